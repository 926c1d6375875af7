#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "archive/PeVersionInfo.h"
#include "support/ArchiveTestFiles.h"

namespace kavrix::archive {
namespace {

using V = std::vector<uint8_t>;

#ifdef KAVRIX_TEST_HOSTS
V Host(const std::string& name) {
  return testing::ReadFileBytes((std::filesystem::path(KAVRIX_TEST_HOSTS) / (name + ".exe")).make_preferred().string());
}
#define REQUIRE_HOSTS()
#else
V Host(const std::string&) { return {}; }
#define REQUIRE_HOSTS() GTEST_SKIP() << "no MinGW tools to build the test hosts"
#endif

TEST(PeVersionInfo, ReadsTheFixedVersionsAndTheFirstStringTable) {
  REQUIRE_HOSTS();
  const std::optional<PeVersionInfo> info = ReadPeVersionInfo(Host("Versioned"));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->fileVersion, (std::array<uint16_t, 4>{2, 0, 7, 65535}));
  EXPECT_EQ(info->productVersion, (std::array<uint16_t, 4>{2, 1, 0, 3}));
  const std::map<std::string, std::string> expected{{"CompanyName", "Veddal"},
                                                    {"FileDescription", "Caf? tool"},
                                                    {"FileVersion", "2.0"},
                                                    {"Comments", ""},
                                                    {"ProductName", "Quorvel 2.0"}};
  EXPECT_EQ(info->strings, expected);
}

TEST(PeVersionInfo, NothingWithoutAWellFormedResource) {
  REQUIRE_HOSTS();
  EXPECT_EQ(ReadPeVersionInfo(Host("ArchiveStart")), std::nullopt) << "resources, but no version";
  EXPECT_EQ(ReadPeVersionInfo(Host("NoResources")), std::nullopt);
  EXPECT_EQ(ReadPeVersionInfo(V{'M', 'Z'}), std::nullopt);

  const V file = Host("Versioned");
  const V truncated(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() / 2));
  EXPECT_EQ(ReadPeVersionInfo(truncated), std::nullopt);

  // The root block's key, in UTF-16; its length field stands 6 bytes before it.
  const std::u16string key = u"VS_VERSION_INFO";
  V keyBytes;
  for (char16_t unit : key) keyBytes.insert(keyBytes.end(), {static_cast<uint8_t>(unit), 0});
  const auto keyAt = std::search(file.begin(), file.end(), keyBytes.begin(), keyBytes.end());
  ASSERT_NE(keyAt, file.end());
  const size_t lengthAt = static_cast<size_t>(keyAt - file.begin()) - 6;

  V overlong = file;
  overlong[lengthAt + 1] = 0x7F;  // beyond the resource's own size
  EXPECT_EQ(ReadPeVersionInfo(overlong), std::nullopt);
  V tooShortForItsChildren = file;
  tooShortForItsChildren[lengthAt] = 0x60;  // ends inside the string table
  tooShortForItsChildren[lengthAt + 1] = 0;
  EXPECT_EQ(ReadPeVersionInfo(tooShortForItsChildren), std::nullopt);
}

}  // namespace
}  // namespace kavrix::archive
