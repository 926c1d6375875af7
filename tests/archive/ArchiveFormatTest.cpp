#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "archive/ArchiveFormat.h"
#include "support/ArchiveTestFiles.h"
#include "support/TestData.h"

namespace kavrix::archive {
namespace {

using V = std::vector<uint8_t>;

struct ReadResult {
  std::optional<uint32_t> length;
  std::vector<DirectoryEntry> entries;
  size_t consumed = 0;
};

// Reads a directory from `bytes`, counting what the reader takes.
ReadResult Read(const V& bytes) {
  ReadResult result;
  const ByteSource source = [&](std::span<uint8_t> out) {
    if (out.size() > bytes.size() - result.consumed) return false;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(result.consumed), out.size(), out.begin());
    result.consumed += out.size();
    return true;
  };
  result.length =
      ReadDirectory(source, [&](DirectoryEntry&& entry) { result.entries.push_back(std::move(entry)); });
  return result;
}

// The example directory: docs\readme.txt, 167 bytes packed into 134, attributes 128,
// noon on 1 January 2000.
const V kExampleDirectory = {0x01, 0x06, 0x0F, 'd',  'o',  'c',  's',  '\\', 'r',  'e',  'a',
                             'd',  'm',  'e',  '.',  't',  'x',  't',  0x03, 0xA7, 0x00, 0x03,
                             0x86, 0x00, 0x02, 0x00, 0x03, 0x80, 0x00, 0x05, 0x00, 0x00, 0x00,
                             0x00, 0x00, 0x80, 0xAE, 0x8E, 0x0E, 0x40, 0x00};

TEST(ArchiveFormat, ExampleDirectoryKnownAnswer) {
  const DirectoryEntry entry{"docs\\readme.txt", 167, 134, 0, 128, 36526.5};
  EXPECT_EQ(testing::DirectoryBytes({entry}), kExampleDirectory);

  V file = kExampleDirectory;
  file.insert(file.end(), 134, 0xEE);  // the data area is not the reader's business
  const ReadResult read = Read(file);
  ASSERT_EQ(read.length, 41u);
  EXPECT_EQ(read.consumed, 41u) << "no read-ahead past the list end";
  ASSERT_EQ(read.entries.size(), 1u);
  EXPECT_EQ(read.entries[0].name, "docs\\readme.txt");
  EXPECT_EQ(read.entries[0].unpackedSize, 167);
  EXPECT_EQ(read.entries[0].packedSize, 134);
  EXPECT_EQ(read.entries[0].dataOffset, 0);
  EXPECT_EQ(read.entries[0].attributes, 128);
  EXPECT_EQ(read.entries[0].date, 36526.5);
}

TEST(ArchiveFormat, EmptyDirectoryIsTwoBytes) {
  EXPECT_EQ(testing::DirectoryBytes({}), (V{0x01, 0x00}));
  const ReadResult read = Read(V{0x01, 0x00, 0x01});
  EXPECT_EQ(read.length, 2u);
  EXPECT_TRUE(read.entries.empty());
}

TEST(ArchiveFormat, WriterUsesTheSmallestIntegerKind) {
  const auto integerBytes = [](int32_t value) {
    const V bytes = testing::DirectoryBytes({{"", value, 0, 0, 0, 0}});
    return V(bytes.begin() + 3, bytes.begin() + 3 + (bytes[3] == 0x02 ? 2 : bytes[3] == 0x03 ? 3 : 5));
  };
  EXPECT_EQ(integerBytes(0), (V{0x02, 0x00}));
  EXPECT_EQ(integerBytes(127), (V{0x02, 0x7F}));
  EXPECT_EQ(integerBytes(-128), (V{0x02, 0x80}));
  EXPECT_EQ(integerBytes(128), (V{0x03, 0x80, 0x00}));
  EXPECT_EQ(integerBytes(-129), (V{0x03, 0x7F, 0xFF}));
  EXPECT_EQ(integerBytes(32767), (V{0x03, 0xFF, 0x7F}));
  EXPECT_EQ(integerBytes(32768), (V{0x04, 0x00, 0x80, 0x00, 0x00}));
  EXPECT_EQ(integerBytes(INT32_MIN), (V{0x04, 0x00, 0x00, 0x00, 0x80}));
}

TEST(ArchiveFormat, ReaderAcceptsWiderIntegerKindsAndIntegerDates) {
  // 0 as a 32-bit integer, 128 as a 32-bit integer, -2 as a 16-bit one; dates as
  // 8-, 16- and 32-bit integers.
  const V directory = {
      0x01, 0x06, 0x01, 'a',  0x04, 0,    0, 0,    0, 0x04, 0x80, 0,    0,    0,    0x03, 0xFE,
      0xFF, 0x02, 5,    0x02, 7,                                                     // date: 7 days
      0x06, 0x01, 'b',  0x02, 0,    0x02, 0, 0x02, 0, 0x02, 0,    0x03, 0x8E, 0x8E,  // -29042
      0x06, 0x01, 'c',  0x02, 0,    0x02, 0, 0x02, 0, 0x02, 0,    0x04, 0x00, 0x00, 0x01, 0x00,  // 65536
      0x00};
  const ReadResult read = Read(directory);
  ASSERT_TRUE(read.length.has_value());
  ASSERT_EQ(read.entries.size(), 3u);
  EXPECT_EQ(read.entries[0].unpackedSize, 0);
  EXPECT_EQ(read.entries[0].packedSize, 128);
  EXPECT_EQ(read.entries[0].dataOffset, -2);
  EXPECT_EQ(read.entries[0].attributes, 5);
  EXPECT_EQ(read.entries[0].date, 7.0);
  EXPECT_EQ(read.entries[1].date, static_cast<double>(static_cast<int16_t>(0x8E8E)));
  EXPECT_EQ(read.entries[2].date, 65536.0);
}

TEST(ArchiveFormat, LongNamesUseTheLongStringTag) {
  const std::string name(300, 'n');
  const V bytes = testing::DirectoryBytes({{name, 1, 2, 3, 4, 5}});
  EXPECT_EQ(V(bytes.begin() + 1, bytes.begin() + 6), (V{0x0C, 0x2C, 0x01, 0x00, 0x00}));
  const ReadResult read = Read(bytes);
  ASSERT_EQ(read.entries.size(), 1u);
  EXPECT_EQ(read.entries[0].name, name);

  const std::string shortName(255, 's');
  EXPECT_EQ(testing::DirectoryBytes({{shortName, 0, 0, 0, 0, 0}})[1], 0x06)
      << "255 bytes still fit a short string";
}

TEST(ArchiveFormat, DirectoryEndingMidEntryKeepsTheEntriesBefore) {
  const V full = testing::DirectoryBytes({{"first", 1, 2, 0, 32, 40000}, {"second", 3, 4, 2, 32, 40000}});
  const size_t firstEnd = 1 + 7 + 4 * 2 + 11;
  const size_t secondEnd = full.size() - 1;  // all but the list end
  for (size_t cut = 0; cut < full.size(); ++cut) {
    const ReadResult read = Read(V(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut)));
    EXPECT_FALSE(read.length.has_value()) << "cut " << cut;
    EXPECT_EQ(read.entries.size(), cut >= secondEnd ? 2u : cut >= firstEnd ? 1u : 0u) << "cut " << cut;
  }
}

TEST(ArchiveFormat, TagsAFieldDoesNotAcceptMakeTheDirectoryUnreadable) {
  const V good = testing::DirectoryBytes({{"x", 1, 2, 3, 4, 5}});
  // Position of each value's tag: name, four integers, date.
  const size_t tags[] = {1, 4, 6, 8, 10, 12};
  for (const size_t at : tags) {
    for (const uint8_t tag : std::vector<uint8_t>{0x07, 0x08, 0x0A, 0x0D, 0x12, 0x14, 0xFF}) {
      V bad = good;
      bad[at] = tag;
      EXPECT_FALSE(Read(bad).length.has_value()) << "tag " << int(tag) << " at " << at;
    }
  }
  EXPECT_FALSE(Read(V{0x00}).length.has_value()) << "first byte other than 0x01";
  EXPECT_FALSE(Read(V{'M', 'Z'}).length.has_value());
  EXPECT_FALSE(Read(V{0x01, 0x0C, 0xFF, 0xFF, 0xFF, 0xFF}).length.has_value())
      << "negative long-string length";
  V date = good;
  date[12] = 0x06;  // a string where the date belongs
  EXPECT_FALSE(Read(date).length.has_value());
}

TEST(ArchiveFormat, RegressionHugeStringLengthFailsWithoutAllocatingIt) {
  // A long-string length of 2 GB over a few bytes of data: the reader must reach the end
  // of the data, not reserve 2 GB first.
  const ReadResult read = Read(V{0x01, 0x0C, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'});
  EXPECT_FALSE(read.length.has_value());
}

TEST(ArchiveFormat, ExtendedKnownAnswersAndRoundTrips) {
  EXPECT_EQ(DoubleToExtended(36526.5), (ExtendedBytes{0, 0, 0, 0, 0, 0x80, 0xAE, 0x8E, 0x0E, 0x40}));
  EXPECT_EQ(DoubleToExtended(1.0), (ExtendedBytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  EXPECT_EQ(DoubleToExtended(-2.0), (ExtendedBytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
  EXPECT_EQ(DoubleToExtended(0.0), ExtendedBytes{});
  EXPECT_EQ(DoubleToExtended(std::numeric_limits<double>::infinity()),
            (ExtendedBytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}));
  // The smallest subnormal double, 2^-1074, is a normal extended number.
  EXPECT_EQ(DoubleToExtended(std::numeric_limits<double>::denorm_min()),
            (ExtendedBytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B}));

  testing::Random random(11);
  for (int i = 0; i < 20000; ++i) {
    const uint64_t bits = (uint64_t{random.Next()} << 32) | random.Next();
    const double value = std::bit_cast<double>(bits);
    const double back = ExtendedToDouble(DoubleToExtended(value));
    if (std::isnan(value)) {
      ASSERT_TRUE(std::isnan(back));
    } else {
      ASSERT_EQ(std::bit_cast<uint64_t>(back), bits) << value;
    }
  }
  EXPECT_EQ(std::bit_cast<uint64_t>(ExtendedToDouble(DoubleToExtended(-0.0))), std::bit_cast<uint64_t>(-0.0));
}

TEST(ArchiveFormat, ExtendedBeyondDoubleRange) {
  const ExtendedBytes huge{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F};  // 2^16383
  EXPECT_EQ(ExtendedToDouble(huge), std::numeric_limits<double>::infinity());
  const ExtendedBytes tiny{0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00};  // 2^-16382
  EXPECT_EQ(ExtendedToDouble(tiny), 0.0);
  const ExtendedBytes nan{1, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0xFF};
  EXPECT_TRUE(std::isnan(ExtendedToDouble(nan)));
  // Significands that need rounding: 1 + 2^-53 + 2^-63 is nearer to 1 + 2^-52.
  const ExtendedBytes above{1, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(ExtendedToDouble(above), 1.0 + std::ldexp(1.0, -52));
}

TEST(ArchiveFormat, ArchiveStartText) {
  EXPECT_EQ(ParseArchiveStart("65536"), 65536);
  EXPECT_EQ(ParseArchiveStart("+12"), 12);
  EXPECT_EQ(ParseArchiveStart("00000000000655"), 655);
  EXPECT_EQ(ParseArchiveStart("2147483647"), INT32_MAX);
  for (const char* text :
       {"", "0", "-5", "64K", " 12", "12 ", "2147483648", "0x100", "$100", "+", "-", "1.5"}) {
    EXPECT_EQ(ParseArchiveStart(text), 0) << '"' << text << '"';
  }
  EXPECT_EQ(ParseArchiveStart("000000000006553"), 0) << "more than the 14 characters a resource buffer holds";
}

}  // namespace
}  // namespace kavrix::archive
