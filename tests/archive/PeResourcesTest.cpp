#include <gtest/gtest.h>

#include <filesystem>

#include "archive/ArchiveFiles.h"
#include "archive/ArchiveFormat.h"
#include "archive/ArchiveReader.h"
#include "archive/PeResources.h"
#include "support/ArchiveTestFiles.h"

namespace kavrix::archive {
namespace {

using V = std::vector<uint8_t>;

#ifdef KAVRIX_TEST_HOSTS
std::string HostPath(const std::string& name) {
  return (std::filesystem::path(KAVRIX_TEST_HOSTS) / (name + ".exe")).make_preferred().string();
}
#define REQUIRE_HOSTS()
#else
std::string HostPath(const std::string&) { return {}; }
#define REQUIRE_HOSTS() GTEST_SKIP() << "no MinGW tools to build the test hosts"
#endif

std::optional<std::string> StringOf(const std::string& host, uint16_t id = kArchiveStartStringId,
                                    size_t bufferChars = kArchiveStartBufferChars) {
  return ReadPeStringResource(testing::ReadFileBytes(HostPath(host)), id, bufferChars);
}

TEST(PeResources, StringsOfRealHosts) {
  REQUIRE_HOSTS();
  EXPECT_EQ(StringOf("ArchiveStart"), "65536");
  EXPECT_EQ(StringOf("ArchiveStart", 1, 3), "65") << "a buffer of 3 keeps 2 characters";
  EXPECT_EQ(StringOf("ArchiveStart", 1, 1), "");
  EXPECT_EQ(StringOf("ArchiveStart", 2), std::nullopt);
  EXPECT_EQ(StringOf("ArchiveStart", 17), std::nullopt) << "no block 2";
  EXPECT_EQ(StringOf("OtherString"), std::nullopt) << "string 1 of the block is empty";
  EXPECT_EQ(StringOf("OtherString", 2), "65536");
  EXPECT_EQ(StringOf("NotANumber"), "64K");
  EXPECT_EQ(StringOf("TooLong"), "00000000000655");
  EXPECT_EQ(StringOf("NoStringTable"), std::nullopt);
  EXPECT_EQ(StringOf("NoResources"), std::nullopt);
  EXPECT_EQ(ReadPeStringResource(V{'M', 'Z'}, 1, 15), std::nullopt);
  EXPECT_EQ(ReadPeStringResource(V{}, 1, 15), std::nullopt);
}

TEST(PeResources, NamedDataResourcesAreFoundWithoutRegardToCase) {
  REQUIRE_HOSTS();
  const V file = testing::ReadFileBytes(HostPath("NoStringTable"));
  constexpr uint32_t kRcData = 10;
  EXPECT_EQ(ReadPeResourceData(file, kRcData, "TFORM1"), (V{'f', 'o', 'r', 'm', ' ', 'b', 'y', 't', 'e', 's'}));
  EXPECT_EQ(ReadPeResourceData(file, kRcData, "tForm1"), ReadPeResourceData(file, kRcData, "TFORM1"));
  EXPECT_EQ(ReadPeResourceData(file, kRcData, "TFORM2"), std::nullopt);
  EXPECT_EQ(ReadPeResourceData(file, 6, "TFORM1"), std::nullopt) << "another type";
  EXPECT_EQ(ReadPeResourceData(testing::ReadFileBytes(HostPath("NoResources")), kRcData, "TFORM1"), std::nullopt);
  V truncated(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() / 2));
  EXPECT_EQ(ReadPeResourceData(truncated, kRcData, "TFORM1"), std::nullopt);
}

TEST(PeResources, LocatedStringIsTheOneReadAndLoaded) {
  REQUIRE_HOSTS();
  V file = testing::ReadFileBytes(HostPath("ArchiveStart"));
  const std::optional<PeStringLocation> at = LocatePeStringResource(file, kArchiveStartStringId);
  ASSERT_TRUE(at.has_value());
  ASSERT_EQ(at->length, 5u);
  // Rewritten in place, the units are what the reader and LoadString (under Wine) see.
  const auto offset = static_cast<size_t>(at->fileOffset);
  for (size_t i = 0; i < at->length; ++i) {
    file[offset + 2 * i] = static_cast<uint8_t>('9' - i);
    file[offset + 2 * i + 1] = 0;
  }
  EXPECT_EQ(ReadPeStringResource(file, kArchiveStartStringId, kArchiveStartBufferChars), "98765");
  const testing::TempDirectory temp;
  testing::WriteFileBytes(temp / "patched.exe", file);
  EXPECT_EQ(files::LoadHostString(temp / "patched.exe", kArchiveStartStringId, kArchiveStartBufferChars),
            "98765");

  const V cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(offset + 2));
  EXPECT_FALSE(LocatePeStringResource(cut, kArchiveStartStringId)) << "only a part of the string is there";
  EXPECT_FALSE(LocatePeStringResource(file, 2));
  EXPECT_FALSE(LocatePeStringResource(testing::ReadFileBytes(HostPath("OtherString")), 1)) << "empty";
  EXPECT_EQ(LocatePeStringResource(testing::ReadFileBytes(HostPath("OtherString")), 2)->length, 5u);
  EXPECT_FALSE(LocatePeStringResource(testing::ReadFileBytes(HostPath("NoResources")), 1));
}

TEST(PeResources, LoadHostStringAgreesWithTheReader) {
  REQUIRE_HOSTS();
  // In the Windows build this compares LoadString under Wine with our own reader.
  for (const char* host :
       {"ArchiveStart", "OtherString", "NotANumber", "TooLong", "NoStringTable", "NoResources"}) {
    for (const uint16_t id : std::vector<uint16_t>{1, 2}) {
      EXPECT_EQ(files::LoadHostString(HostPath(host), id, kArchiveStartBufferChars),
                StringOf(host, id).value_or(""))
          << host << " string " << id;
    }
  }
  EXPECT_EQ(files::LoadHostString(HostPath("NoSuchHost"), 1, kArchiveStartBufferChars), "");
}

TEST(PeResources, ArchiveStartOfHosts) {
  REQUIRE_HOSTS();
  const testing::TempDirectory temp;
  const auto startOf = [&](const std::string& host, const std::string& copyName) {
    const std::string copy = temp / copyName;
    std::filesystem::copy_file(HostPath(host), copy, std::filesystem::copy_options::overwrite_existing);
    return ArchiveStartOf(copy);
  };
  EXPECT_EQ(startOf("ArchiveStart", "setup.exe"), 65536);
  EXPECT_EQ(startOf("ArchiveStart", "SETUP.EXE"), 65536) << "the extension is compared in lower case";
  EXPECT_EQ(startOf("ArchiveStart", "setup.Exe"), 65536);
  EXPECT_EQ(startOf("ArchiveStart", "setup.qv2"), 0) << "only .exe hosts are asked";
  EXPECT_EQ(startOf("ArchiveStart", "setup.exe.qv2"), 0);
  EXPECT_EQ(startOf("TooLong", "long.exe"), 655) << "14 characters of 16";
  EXPECT_EQ(startOf("NotANumber", "nan.exe"), 0);
  EXPECT_EQ(startOf("OtherString", "other.exe"), 0);
  EXPECT_EQ(startOf("NoResources", "bare.exe"), 0);
}

}  // namespace
}  // namespace kavrix::archive
