// TLZHBatch on POSIX: links and special files that already sit in the target folder, and
// a volume that runs full.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>

#include <filesystem>

#include "BatchTestSupport.h"
#include "support/ExpectMessage.h"
#include "support/TestData.h"

namespace kavrix::testing {
namespace {

namespace fs = std::filesystem;

class LinkTest : public BatchTest {
 protected:
  LinkTest() : outside_(temp_ / "outside") {
    fs::create_directories(outside_);
    fs::create_directories(out_);
    batch_.SetUseDirectoryNames(true);
  }

  // Extracting `name` meets what the test put at `inTheWay` and refuses it, naming the
  // target, and goes no further.
  void ExpectRefused(const std::string& name, const std::string& inTheWay) {
    UseArchive({{name, Bytes("evil")}, {"after.txt", Bytes("after")}});
    EXPECT_EQ(MessageOf<ENotPlainTarget>([&] { batch_.Extract(); }),
              "Cannot write to " + OutPath(name) + ". A link or a special file is in the way")
        << inTheWay;
    EXPECT_FALSE(OutExists("after.txt")) << inTheWay;
    EXPECT_TRUE(fs::is_symlink(OutPath(inTheWay)) || fs::is_fifo(OutPath(inTheWay)))
        << inTheWay << " is left as it is";
  }

  std::string outside_;
};

TEST_F(LinkTest, RegressionALinkNamedLikeAnEntryIsNotFollowed) {
  WriteFileBytes(outside_ + "/victim.txt", Bytes("mine"));
  fs::permissions(outside_ + "/victim.txt", fs::perms::owner_read);
  fs::create_symlink(outside_ + "/victim.txt", OutPath("x.txt"));
  batch_.SetRestoreAttributes(true);
  for (const bool overwrite : {true, false}) {
    batch_.SetOverwriteExisting(overwrite);
    batch_.OnFileExist = [](TObject&, const std::string&, TFileExistAction& action) { action = feOverwrite; };
    ExpectRefused("x.txt", "x.txt");
  }
  EXPECT_EQ(ReadFileBytes(outside_ + "/victim.txt"), Bytes("mine"));
  EXPECT_EQ(fs::status(outside_ + "/victim.txt").permissions(), fs::perms::owner_read) << "mode unchanged";

  fs::create_symlink(outside_ + "/new.txt", OutPath("dangling.txt"));
  ExpectRefused("dangling.txt", "dangling.txt");
  EXPECT_FALSE(fs::exists(outside_ + "/new.txt")) << "a dangling link creates nothing where it points";
}

TEST_F(LinkTest, RegressionALinkedSubfolderReceivesNothing) {
  fs::create_symlink(outside_, OutPath("sub"));
  ExpectRefused("sub\\x.txt", "sub");
  ExpectRefused("sub\\new\\x.txt", "sub");
  EXPECT_TRUE(fs::is_empty(outside_)) << "not even a directory is made there";
}

TEST_F(LinkTest, RegressionALinkToADeviceIsNotWrittenTo) {
  fs::create_symlink("/dev/null", OutPath("null.txt"));
  ExpectRefused("null.txt", "null.txt");
}

TEST_F(LinkTest, RegressionAFifoNamedLikeAnEntryDoesNotBlock) {
  ASSERT_EQ(mkfifo(OutPath("pipe.txt").c_str(), 0666), 0);
  ExpectRefused("pipe.txt", "pipe.txt");
}

TEST_F(LinkTest, TheTargetFolderItselfMayBeALink) {
  fs::create_directories(outside_ + "/real");
  batch_.SetOutputDirectory(temp_ / "chosen");
  fs::create_symlink(outside_ + "/real", temp_ / "chosen");
  UseArchive({{"sub\\x.txt", Bytes("x")}});
  batch_.Extract();
  EXPECT_EQ(ReadFileBytes(outside_ + "/real/sub/x.txt"), Bytes("x"));
}

// A file-size limit stands in for a full volume: a write past it fails (EFBIG) as one
// on a full disk does (ENOSPC).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : oldSignal_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldSignal_)(int);
};

TEST_F(BatchTest, RegressionAVolumeThatRunsFullLeavesTheOldFileAndNothingHalfWritten) {
  UseArchive({{"small.txt", Bytes("new")}, {"big.bin", RandomBytes(200000, 11)}});
  WriteFileBytes(OutPath("big.bin"), Bytes("old"));
  {
    const FileSizeLimit limit(64 * 1024);
    EXPECT_EQ(MessageOf<EFileWriteError>([&] { batch_.Extract(); }), "Cannot write to file " + OutPath("big.bin"));
  }
  EXPECT_EQ(Out("big.bin"), Bytes("old"));
  EXPECT_EQ(Out("small.txt"), Bytes("new"));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(out_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"big.bin", "small.txt"})) << "no scratch file is left";
}

}  // namespace
}  // namespace kavrix::testing
