// kvpayload pack on product folders as vendors have them: what it packs, and the one-line
// reason it stops with for what an installer cannot carry. The real program runs, so the
// exit status and the exact text the build shows are what is checked.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "archive/Lzh_btch.h"
#include "support/ArchiveTestFiles.h"

namespace kavrix::testing {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class PackTest : public ::testing::Test {
 protected:
  PackTest() : product_(temp_.Path() / "product"), build_(temp_.Path() / "build") {
    fs::create_directories(product_);
    fs::create_directories(build_);
    fs::permissions(build_, fs::perms::all);
  }

  std::string P(const std::string& relative) const { return (product_ / relative).string(); }
  // A path of the product folder in quotes, as the messages show it.
  std::string Q(const std::string& relative) const {
    std::string quoted(1, '\'');
    quoted += P(relative);
    return quoted += '\'';
  }

  void Write(const std::string& relative, const std::string& text) {
    WriteFileBytes(product_ / relative, std::vector<uint8_t>(text.begin(), text.end()));
  }

  // Runs kvpayload pack on the product folder; `asNobody` drops root's right to read
  // everything, for the child only.
  Outcome Pack(bool asNobody = false) {
    const fs::path out = temp_.Path() / "stdout.txt";
    const fs::path err = temp_.Path() / "stderr.txt";
    const std::vector<std::string> args = {KAVRIX_KVPAYLOAD,
                                           "pack",
                                           "--depfile",
                                           (build_ / "product.d").string(),
                                           product_.string(),
                                           (build_ / "product.qv2").string(),
                                           (build_ / "TFORM1.bin").string()};
    const pid_t child = fork();
    if (child == 0) {
      const int outFile = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      const int errFile = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      if (outFile < 0 || errFile < 0 || dup2(outFile, 1) < 0 || dup2(errFile, 2) < 0) _exit(126);
      if (asNobody && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
        _exit(126);
      }
      std::vector<char*> argv;
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
  }

  void ExpectRefused(const std::string& reason, bool asNobody = false) {
    const Outcome outcome = Pack(asNobody);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "kvpayload: " + reason + "\n");
    EXPECT_FALSE(fs::exists(build_ / "TFORM1.bin"));
  }

  // Stored name and unpacked size of every entry of the packed archive.
  std::vector<std::pair<std::string, std::string>> Packed() {
    TLZHBatch batch;
    batch.SetArchiveFileName((build_ / "product.qv2").string());
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < batch.Contents().Count(); ++i) {
      const std::string line = batch.Contents().Strings(i);
      entries.emplace_back(GetField(line, '\t', 1), GetField(line, '\t', 2));
    }
    return entries;
  }

  TempDirectory temp_;
  fs::path product_;
  fs::path build_;
};

using Entries = std::vector<std::pair<std::string, std::string>>;

TEST_F(PackTest, LinksInsideTheFolderAreFollowedUnderTheirOwnNames) {
  Write("data/real.txt", "twelve bytes");
  fs::create_symlink("data/real.txt", product_ / "alias.txt");
  fs::create_directory_symlink("data", product_ / "mirror");
  const Outcome outcome = Pack();
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(Packed(), (Entries{{"alias.txt", "12"}, {"data\\real.txt", "12"}, {"mirror\\real.txt", "12"}}));
}

TEST_F(PackTest, LinksThatDangleLeaveOrLoopAreRefusedByName) {
  Write("a.txt", "a");
  fs::create_symlink("gone.txt", product_ / "old.txt");
  ExpectRefused("the symbolic link '" + P("old.txt") + "' leads to 'gone.txt', which does not exist");

  fs::remove(product_ / "old.txt");
  WriteFileBytes(temp_.Path() / "elsewhere" / "b.txt", std::vector<uint8_t>{'b'});
  fs::create_directory_symlink("../elsewhere", product_ / "shared");
  ExpectRefused("the symbolic link '" + P("shared") + "' leads to '" +
                fs::canonical(temp_.Path() / "elsewhere").string() + "', outside the product folder");

  fs::remove(product_ / "shared");
  fs::create_directories(product_ / "sub");
  fs::create_directory_symlink("..", product_ / "sub" / "up");
  ExpectRefused(Q("sub/up") + " leads back to '" + fs::canonical(product_).string() +
                "', a folder that contains it");
}

TEST_F(PackTest, UnreadableFileIsRefusedByName) {
  Write("secret.txt", "s");
  fs::permissions(product_ / "secret.txt", fs::perms::none);
  const bool asNobody = geteuid() == 0;
  if (!asNobody && access((product_ / "secret.txt").c_str(), R_OK) == 0) {
    GTEST_SKIP() << "this user reads files whatever their permissions";
  }
  ExpectRefused("cannot read '" + P("secret.txt") + "': Permission denied", asNobody);
}

TEST_F(PackTest, NamesAreStoredInCodePage1252OrRefused) {
  Write("caf\xC3\xA9 \xE2\x82\xAC.txt", "c");  // "café €.txt"
  const Outcome outcome = Pack();
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(Packed(), (Entries{{"caf\xE9 \x80.txt", "1"}}));

  Write("docs/\xE6\x97\xA5\xE6\x9C\xAC.txt", "j");  // "日本.txt"
  ExpectRefused("the name '" + P("docs/\xE6\x97\xA5\xE6\x9C\xAC.txt") +
                "' has characters that the archive's names (Windows code page 1252) cannot carry");

  fs::remove_all(product_ / "docs");
  Write("back\\slash.txt", "b");
  ExpectRefused("the name '" + P("back\\slash.txt") +
                "' has characters that the archive's names (Windows code page 1252) cannot carry");

  fs::remove(product_ / "back\\slash.txt");
  Write("aux.txt", "a");
  ExpectRefused("the name '" + P("aux.txt") + "' cannot be installed on Windows");
}

TEST_F(PackTest, WhatIsNeitherFileNorFolderIsRefused) {
  Write("a.txt", "a");
  ASSERT_EQ(mkfifo((product_ / "pipe").c_str(), 0666), 0);
  ExpectRefused(Q("pipe") + " is neither a file nor a folder");
}

TEST_F(PackTest, SizesPastTheArchiveLimitsAreRefusedWithTheFigure) {
  Write("huge.bin", "");
  fs::resize_file(product_ / "huge.bin", (uintmax_t{1} << 32) + 1);  // sparse: nothing is written
  ExpectRefused(Q("huge.bin") + " has 4294967297 bytes, more than the 2147483647 an archive entry can hold");

  fs::resize_file(product_ / "huge.bin", uintmax_t{3} << 29);
  Write("huge2.bin", "");
  fs::resize_file(product_ / "huge2.bin", uintmax_t{3} << 29);
  ExpectRefused(
      "the product's files have 3221225472 bytes together, more than the 2147483647 an archive can hold");
}

TEST_F(PackTest, EmptyFilesAreCarriedEmptyFoldersReportedAsDropped) {
  Write("a.txt", "a");
  Write("empty.dat", "");
  fs::create_directories(product_ / "blank");
  fs::create_directories(product_ / "hollow" / "inner");
  const Outcome outcome = Pack();
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out.substr(0, outcome.out.find("kvpayload: " + product_.string() + ":")),
            "kvpayload: " + P("blank") +
                ": an empty folder, not carried (the archive holds files only)\n"
                "kvpayload: " +
                P("hollow") + ": an empty folder, not carried (the archive holds files only)\n");
  EXPECT_EQ(Packed(), (Entries{{"a.txt", "1"}, {"empty.dat", "0"}}));

  fs::remove(product_ / "a.txt");
  fs::remove(product_ / "empty.dat");
  ExpectRefused("the product folder '" + product_.string() + "' holds no files");
}

TEST_F(PackTest, DependencyFileNamesEveryFolderAndFileEscapedForMake) {
  Write("a b.txt", "a");
  Write("d#1/x$.txt", "x");
  const Outcome outcome = Pack();
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::string root = product_.string();
  EXPECT_EQ(ReadText(build_ / "product.d"), (build_ / "product.qv2").string() + ": \\\n  " + root +
                                                " \\\n  " + root + "/d\\#1 \\\n  " + root +
                                                "/a\\ b.txt \\\n  " + root + "/d\\#1/x$$.txt\n");
}

}  // namespace
}  // namespace kavrix::testing
