#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <exception>
#include <filesystem>

#include "archive/ArchiveFiles.h"
#include "archive/ArchiveNames.h"
#include "archive/Lzh_btch.h"
#include "support/ArchiveTestFiles.h"

namespace kavrix::archive {
namespace {

std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '\\', files::PathDelimiter());
  return path;
}

TEST(ArchiveNames, SafeNamesKeepTheirDirectories) {
  EXPECT_EQ(SafeRelativePath("docs\\readme.txt", true), Native("docs\\readme.txt"));
  EXPECT_EQ(SafeRelativePath("\\docs\\readme.txt", true), Native("docs\\readme.txt"))
      << "one leading backslash goes";
  EXPECT_EQ(SafeRelativePath("a/b\\c.txt", true), Native("a\\b\\c.txt"));
  EXPECT_EQ(SafeRelativePath("readme", true), "readme");
  EXPECT_EQ(SafeRelativePath("...txt", true), "...txt");
  EXPECT_EQ(SafeRelativePath("console.log", true), "console.log");
  EXPECT_EQ(SafeRelativePath("com10", true), "com10");
  EXPECT_EQ(SafeRelativePath("caf\xE9.txt", true), "caf\xE9.txt") << "ANSI characters are fine";
}

TEST(ArchiveNames, WithoutDirectoriesOnlyTheFileNameCounts) {
  EXPECT_EQ(SafeRelativePath("a\\x.txt", false), "x.txt");
  EXPECT_EQ(SafeRelativePath("C:\\dir\\x.txt", false), "x.txt");
  EXPECT_EQ(SafeRelativePath("..\\..\\x.txt", false), "x.txt");
  EXPECT_EQ(SafeRelativePath("d:x.txt", false), "x.txt");
  EXPECT_EQ(SafeRelativePath("a/../../x.txt", false), "x.txt");
  EXPECT_FALSE(SafeRelativePath("a\\..", false).has_value());
  EXPECT_FALSE(SafeRelativePath("a\\", false).has_value());
}

TEST(ArchiveNames, RegressionNamesThatLeaveTheTargetAreRefused) {
  // clang-format off
  const char* const unsafe[] = {
      "..\\evil.txt", "a\\..\\..\\evil.txt", "..", ".", "a\\.\\b", "C:\\evil.txt", "C:evil.txt",
      "\\\\server\\share\\x", "\\\\evil.txt", "a\\\\b", "a/../../evil.txt", "../evil.txt", "/etc/passwd",
      "dir\\", "", "\\", "x.txt:stream", "CON", "nul.txt", "Lpt1", "aux .txt", "dir\\com3\\x", "a\tb", "a\nb",
      "x?", "x*", "a<b", "a>b", "a|b", "a\"b", "trailing.", "trailing ", "dir.\\x", "CONIN$", "conout$",
      "CLOCK$", "conin$.txt", "dir\\ConOut$\\x"};
  // clang-format on
  for (const char* name : unsafe) {
    EXPECT_FALSE(SafeRelativePath(name, true).has_value()) << '"' << name << '"';
  }
}

std::string Repeated(const std::string& part, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) text += part;
  return text;
}

TEST(ArchiveNames, RegressionNamesPastTheBoundsAreRefused) {
  const std::string longest(kMaxNameLength, 'n');
  EXPECT_EQ(SafeRelativePath(longest, true), longest);
  EXPECT_EQ(SafeRelativePath("\\" + longest, true), longest) << "the leading backslash does not count";
  EXPECT_FALSE(SafeRelativePath(longest + "n", true).has_value());
  EXPECT_FALSE(SafeRelativePath(longest + "n", false).has_value());

  const std::string deepest = Repeated("a\\", kMaxNameDepth - 1) + "x";
  EXPECT_EQ(SafeRelativePath(deepest, true), Native(deepest));
  EXPECT_FALSE(SafeRelativePath("a\\" + deepest, true).has_value());
  EXPECT_FALSE(SafeRelativePath("a/" + deepest, false).has_value()) << "whatever is kept of it";
  EXPECT_FALSE(SafeRelativePath(Repeated("a\\", 20000) + "x", true).has_value());
}

TEST(ArchiveNames, GetField) {
  EXPECT_EQ(GetField("a\tb", '\t', 1), "a");
  EXPECT_EQ(GetField("a\tb", '\t', 2), "b");
  EXPECT_EQ(GetField("a\tb", '\t', 3), "");
  EXPECT_EQ(GetField("a\t\tc\td", '\t', 2), "");
  EXPECT_EQ(GetField("a\t\tc\td", '\t', 4), "d");
  EXPECT_EQ(GetField("", '\t', 1), "");
  EXPECT_EQ(GetField("x;y;z", ';', 3), "z");
}

TEST(ArchiveNames, MakeDirectoryPathCreatesParentsFirst) {
  const testing::TempDirectory temp;
  const std::string deep = temp / Native("one\\two\\three");
  MakeDirectoryPath(deep + files::PathDelimiter());
  EXPECT_TRUE(std::filesystem::is_directory(deep));
  MakeDirectoryPath(deep);  // existing: nothing to do

  try {
    MakeDirectoryPath("");
    FAIL() << "no exception";
  } catch (const EInvalidDir& e) {
    EXPECT_EQ(e.Message(), "This is not a valid directory name");
  }
  testing::WriteFileBytes(temp / "file", std::vector<uint8_t>{1});
  EXPECT_THROW(MakeDirectoryPath(temp / Native("file\\sub")), EInvalidDir) << "a file is in the way";
  EXPECT_THROW(MakeDirectoryPath("no-such-relative-root-xq"), EInvalidDir)
      << "a relative path has no known parent";
}

// A missing relative directory of one or two characters is refused like a longer one, not
// passed as made; nothing is created for it.
TEST(ArchiveNames, MakeDirectoryPathRefusesAShortMissingRelativePath) {
  for (const std::string& name : {std::string("q"), std::string("qz"), "qz" + std::string(1, files::PathDelimiter())}) {
    ASSERT_FALSE(std::filesystem::exists(name.substr(0, 2))) << name;
    EXPECT_THROW(MakeDirectoryPath(name), EInvalidDir) << name;
    EXPECT_FALSE(std::filesystem::exists(name.substr(0, 2))) << name;
  }
}

// The walk up a path once recursed per level, with a copy of the path at each: a path of
// 20,000 levels took hundreds of megabytes and overflowed a small stack.
TEST(ArchiveNames, RegressionMakeDirectoryPathTakesConstantStackAtAnyDepth) {
  const std::string deep =
      "no-such-relative-root-xq" + Repeated(std::string(1, files::PathDelimiter()) + "a", 20000);
  std::exception_ptr raised;
  pthread_attr_t small{};
  ASSERT_EQ(pthread_attr_init(&small), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&small, 256 * 1024), 0);
  struct Call {
    const std::string* path;
    std::exception_ptr* raised;
  } call{&deep, &raised};
  pthread_t thread{};
  ASSERT_EQ(pthread_create(
                &thread, &small,
                [](void* argument) -> void* {
                  const auto* request = static_cast<Call*>(argument);
                  try {
                    MakeDirectoryPath(*request->path);
                  } catch (...) {
                    *request->raised = std::current_exception();
                  }
                  return nullptr;
                },
                &call),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&small);
  ASSERT_TRUE(raised);
  EXPECT_THROW(std::rethrow_exception(raised), EInvalidDir) << "the first level is missing";
}

}  // namespace
}  // namespace kavrix::archive
