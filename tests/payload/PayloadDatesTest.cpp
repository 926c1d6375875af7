#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "payload/PayloadDates.h"
#include "support/ArchiveTestFiles.h"

namespace kavrix::payload {
namespace {

using V = std::vector<uint8_t>;

std::vector<archive::DirectoryEntry> DirectoryOf(const V& archive, size_t& length) {
  size_t at = 0;
  std::vector<archive::DirectoryEntry> entries;
  const std::optional<uint32_t> read =
      archive::ReadDirectory(archive::MemorySource(archive, at), [&entries](archive::DirectoryEntry&& entry) { entries.push_back(entry); });
  EXPECT_TRUE(read);
  length = read.value_or(0);
  return entries;
}

TEST(PayloadDates, ClampingChangesOnlyTheLaterDates) {
  std::vector<archive::DirectoryEntry> planned;
  V archive = testing::BuildArchive({{"old.txt", {'a', 'b'}, 128, 36526.5},
                                     {"sub\\new.exe", V(3000, 'x'), 1, 46000.25},
                                     {"newest.dat", {}, 128, 50000}},
                                    &planned);
  size_t before = 0;
  DirectoryOf(archive, before);
  const V streams(archive.begin() + static_cast<std::ptrdiff_t>(before), archive.end());

  ClampArchiveDates(archive, 45000.75);
  size_t after = 0;
  const std::vector<archive::DirectoryEntry> clamped = DirectoryOf(archive, after);
  ASSERT_EQ(clamped.size(), 3u);
  planned[1].date = 45000.75;
  planned[2].date = 45000.75;
  for (size_t i = 0; i < clamped.size(); ++i) {
    EXPECT_EQ(clamped[i].name, planned[i].name);
    EXPECT_EQ(clamped[i].date, planned[i].date) << planned[i].name;
    EXPECT_EQ(clamped[i].unpackedSize, planned[i].unpackedSize);
    EXPECT_EQ(clamped[i].packedSize, planned[i].packedSize);
    EXPECT_EQ(clamped[i].dataOffset, planned[i].dataOffset);
    EXPECT_EQ(clamped[i].attributes, planned[i].attributes);
  }
  EXPECT_EQ(V(archive.begin() + static_cast<std::ptrdiff_t>(after), archive.end()), streams);
}

TEST(PayloadDates, BytesWithoutADirectoryAreRefused) {
  V notAnArchive{0x02, 0x00};
  EXPECT_THROW(ClampArchiveDates(notAnArchive, 45000), std::runtime_error);
  EXPECT_EQ(notAnArchive, (V{0x02, 0x00}));
  V cutShort = testing::BuildArchive({{"a.txt", {'a'}}});
  cutShort.resize(5);
  EXPECT_THROW(ClampArchiveDates(cutShort, 45000), std::runtime_error);
}

TEST(PayloadDates, SecondsSince1970BecomeLocalDayCounts) {
  // 2026-01-01 00:00 UTC is day 46023; local time is at most 14 hours away.
  constexpr int64_t kNewYear2026 = 1767225600;
  EXPECT_LE(std::abs(LocalDayCount(kNewYear2026) - 46023.0), 14.0 / 24);
  EXPECT_NEAR(LocalDayCount(kNewYear2026 + 86400) - LocalDayCount(kNewYear2026), 1.0, 1e-9);
  EXPECT_NEAR(LocalDayCount(kNewYear2026 + 90) - LocalDayCount(kNewYear2026), 90.0 / 86400, 1e-9);
}

}  // namespace
}  // namespace kavrix::payload
