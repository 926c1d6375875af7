// TLZHBatch: extraction and verification.

#include <gtest/gtest.h>

#include "support/ExpectMessage.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <stdexcept>

#include "BatchTestSupport.h"
#include "archive/ArchiveDates.h"
#include "archive/ArchiveFiles.h"
#include "archive/ArchiveNames.h"
#include "archive/LzhEncoder.h"
#include "archive/LzhMemory.h"
#include "support/TestData.h"

namespace kavrix::testing {
namespace {

namespace fs = std::filesystem;
using V = std::vector<uint8_t>;


bool IsWritable(const std::string& path) {
  return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

// The names in `directory`, sorted.
std::vector<std::string> Listing(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(BatchTest, EmptyArchiveWritesNothingAndReportsNothing) {
  UseArchive({});
  RecordProgress();
  batch_.Extract();
  EXPECT_TRUE(progress_.empty());
  EXPECT_FALSE(fs::exists(out_));
}

TEST_F(BatchTest, EntriesComeBackWithTheirDirectories) {
  const std::vector<PlannedEntry> planned = {{"readme.txt", TextLike(5000, 1)},
                                               {"bin\\app.exe", RandomBytes(70000, 2)},
                                               {"bin\\data\\skewed.dat", Skewed(40000, 3)},
                                               {"empty.txt", {}}};
  UseArchive(planned);
  batch_.SetUseDirectoryNames(true);
  batch_.Extract();
  for (const PlannedEntry& entry : planned) EXPECT_EQ(Out(entry.name), entry.content) << entry.name;
}

TEST_F(BatchTest, ExtractOnAMissingArchiveRaisesEOpenErrorAndStaysUsable) {
  const std::string missing = temp_ / "missing.qv2";
  batch_.SetArchiveFileName(missing);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const std::string message = MessageOf<EOpenError>([&] { batch_.Extract(); });
    const std::string prefix = "Error opening archive file " + missing + ".\r\n";
    EXPECT_EQ(message.substr(0, prefix.size()), prefix) << "attempt " << attempt;
    EXPECT_GT(message.size(), prefix.size()) << "the system's reason follows";
  }
  PutFile(BuildArchive({{"x.txt", Bytes("x")}}), "missing.qv2");
  batch_.ReadContents();
  batch_.Extract();
  EXPECT_EQ(Out("x.txt"), Bytes("x"));
}

TEST_F(BatchTest, WithoutDirectoryNamesEqualFileNamesCollide) {
  UseArchive({{"a\\x.txt", Bytes("first")}, {"b\\x.txt", Bytes("second")}});
  batch_.Extract();
  EXPECT_EQ(Out("x.txt"), Bytes("second"));
  EXPECT_FALSE(fs::exists(temp_ / "out/a"));

  fs::remove(OutPath("x.txt"));
  batch_.SetOverwriteExisting(false);
  EXPECT_EQ(MessageOf<EFileExist>([&] { batch_.Extract(); }),
            "Cannot write to " + OutPath("x.txt") + ". File already exists");
  EXPECT_EQ(Out("x.txt"), Bytes("first"));
}

TEST_F(BatchTest, ALeadingBackslashIsDroppedAndMissingParentsAreCreated) {
  UseArchive({{"\\deep\\er\\x.txt", Bytes("deep")}});
  batch_.SetUseDirectoryNames(true);
  batch_.Extract();
  EXPECT_EQ(Out("deep\\er\\x.txt"), Bytes("deep"));
}

TEST_F(BatchTest, AnEmptyOutputDirectoryIsNoDirectory) {
  UseArchive({{"x.txt", Bytes("x")}});
  batch_.SetOutputDirectory("");
  EXPECT_EQ(MessageOf<EInvalidDir>([&] { batch_.Extract(); }), "This is not a valid directory name");
}

TEST_F(BatchTest, AReadOnlyTargetIsReplaced) {
  UseArchive({{"x.txt", Bytes("new")}});
  WriteFileBytes(OutPath("x.txt"), Bytes("old"));
  fs::permissions(OutPath("x.txt"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  batch_.Extract();
  EXPECT_EQ(Out("x.txt"), Bytes("new"));
}

TEST_F(BatchTest, FileExistSkipLeavesTheFileAndItsBytesUncounted) {
  std::vector<archive::DirectoryEntry> entries;
  UseArchive({{"x.txt", TextLike(3000, 1)}, {"y.txt", TextLike(3000, 2)}}, &entries);
  WriteFileBytes(OutPath("x.txt"), Bytes("mine"));
  batch_.SetOverwriteExisting(false);
  std::vector<std::string> asked;
  batch_.OnFileExist = [&](TObject&, const std::string& fileName, TFileExistAction& action) {
    EXPECT_EQ(action, feOverwrite);
    asked.push_back(fileName);
    action = feSkip;
  };
  RecordProgress();
  batch_.Extract();
  EXPECT_EQ(asked, std::vector<std::string>{OutPath("x.txt")});
  EXPECT_EQ(Out("x.txt"), Bytes("mine"));
  EXPECT_EQ(Out("y.txt"), TextLike(3000, 2));
  ASSERT_FALSE(progress_.empty());
  for (const ProgressCall& call : progress_) EXPECT_EQ(call.fileName, OutPath("y.txt"));
  EXPECT_EQ(progress_.back().totalBytesWritten, entries[1].packedSize);
  EXPECT_EQ(progress_.back().totalBytes, entries[0].packedSize + entries[1].packedSize);
}

TEST_F(BatchTest, FileExistCancelStopsAfterTheEntry) {
  UseArchive({{"a.txt", Bytes("a")}, {"b.txt", Bytes("b")}, {"c.txt", Bytes("c")}});
  WriteFileBytes(OutPath("b.txt"), Bytes("mine"));
  batch_.SetOverwriteExisting(false);
  TFileExistAction answer = feCancel;
  batch_.OnFileExist = [&](TObject&, const std::string&, TFileExistAction& action) { action = answer; };
  batch_.Extract();
  EXPECT_EQ(Out("a.txt"), Bytes("a"));
  EXPECT_EQ(Out("b.txt"), Bytes("mine"));
  EXPECT_FALSE(OutExists("c.txt"));

  answer = feOverwrite;
  batch_.Extract();
  EXPECT_EQ(Out("b.txt"), Bytes("b")) << "the next Extract starts with cancel cleared";
  EXPECT_EQ(Out("c.txt"), Bytes("c"));
}

TEST_F(BatchTest, RegressionACancelledEntryLeavesTheOldFileAndNoCutShortOne) {
  const V big = TextLike(100000, 4);
  UseArchive({{"big.bin", big}, {"new.bin", big}, {"next.txt", Bytes("next")}});
  WriteFileBytes(OutPath("big.bin"), Bytes("old"));
  int calls = 0;
  batch_.OnProgress = [&](TObject&, const std::string&, int32_t fileBytesWritten, int32_t, int32_t, int32_t,
                          bool& cancel) {
    if (++calls == 1) {
      EXPECT_EQ(fileBytesWritten, 4096) << "one input buffer read so far";
    }
    cancel = true;
  };
  batch_.Extract();
  EXPECT_EQ(Out("big.bin"), Bytes("old")) << "the old file stays as it was";
  EXPECT_FALSE(OutExists("new.bin"));
  EXPECT_FALSE(OutExists("next.txt"));
  EXPECT_EQ(Listing(out_), std::vector<std::string>{"big.bin"}) << "no scratch file is left";

  batch_.OnProgress = nullptr;
  batch_.Extract();
  EXPECT_EQ(Out("big.bin"), big);
  EXPECT_EQ(Out("next.txt"), Bytes("next"));
}

TEST_F(BatchTest, ACancelInTheLastWriteKeepsTheCompleteEntry) {
  UseArchive({{"a.txt", Bytes("a")}, {"b.txt", Bytes("b")}});
  batch_.OnProgress = [](TObject&, const std::string&, int32_t, int32_t, int32_t, int32_t, bool& cancel) {
    cancel = true;
  };
  batch_.Extract();
  EXPECT_EQ(Out("a.txt"), Bytes("a"));
  EXPECT_FALSE(OutExists("b.txt"));
}

TEST_F(BatchTest, ProgressCountsPackedBytesPerOutputBuffer) {
  for (const V& content : {TextLike(10000, 5), RandomBytes(10000, 6)}) {
    std::vector<archive::DirectoryEntry> entries;
    UseArchive({{"ten.txt", content}}, &entries);
    progress_.clear();
    RecordProgress();
    batch_.Extract();
    ASSERT_EQ(progress_.size(), 3u) << "4096 + 4096 + 1808 decoded bytes";
    int32_t before = 0;
    for (const ProgressCall& call : progress_) {
      EXPECT_EQ(call.fileName, OutPath("ten.txt"));
      EXPECT_EQ(call.fileBytes, entries[0].packedSize);
      EXPECT_EQ(call.totalBytes, entries[0].packedSize);
      EXPECT_EQ(call.totalBytesWritten, call.fileBytesWritten);
      EXPECT_GE(call.fileBytesWritten, before);
      EXPECT_TRUE(call.fileBytesWritten % 4096 == 0 || call.fileBytesWritten == call.fileBytes)
          << "read in blocks of 4096: " << call.fileBytesWritten;
      before = call.fileBytesWritten;
    }
    EXPECT_EQ(progress_.back().fileBytesWritten, entries[0].packedSize);
  }
}

TEST_F(BatchTest, RestoreFileDateAndAttributes) {
  const double odd = archive::EncodeDayCount({2001, 6, 15, 10, 0, 59, 0});
  const double early = archive::EncodeDayCount({1975, 6, 15, 10, 0, 0, 0});
  UseArchive({{"odd.txt", Bytes("1"), 1, odd},
              {"early.txt", Bytes("2"), 128, early},
              {"plain.txt", Bytes("3"), 1, odd}});
  batch_.SetRestoreFileDate(true);
  batch_.SetRestoreAttributes(true);
  batch_.Extract();

  const auto oddInfo = files::QueryFileInfo(OutPath("odd.txt"));
  ASSERT_TRUE(oddInfo.has_value());
  EXPECT_EQ(oddInfo->lastWrite, (archive::LocalTime{2001, 6, 15, 10, 0, 58, 0})) << "DOS seconds are even";
  const auto earlyInfo = files::QueryFileInfo(OutPath("early.txt"));
  ASSERT_TRUE(earlyInfo.has_value());
  EXPECT_GE(earlyInfo->lastWrite.year, 2020) << "1975 sets no date: the file keeps its extraction time";
  EXPECT_FALSE(IsWritable(OutPath("odd.txt"))) << "attribute 1 is read-only";
  EXPECT_TRUE(IsWritable(OutPath("early.txt")));

  batch_.SetRestoreFileDate(false);
  batch_.SetRestoreAttributes(false);
  batch_.Extract();  // replaces the read-only file too
  EXPECT_TRUE(IsWritable(OutPath("plain.txt")));
  EXPECT_GE(files::QueryFileInfo(OutPath("plain.txt"))->lastWrite.year, 2020);
}

TEST_F(BatchTest, RegressionStoredNamesCannotLeaveTheOutputDirectory) {
  batch_.SetUseDirectoryNames(true);
  for (const char* unsafe : {"..\\evil.txt", "sub\\..\\..\\evil.txt", "../evil.txt", "\\\\evil.txt",
                             "C:\\evil.txt", "\\\\server\\share\\evil.txt", "CON", "x.txt:stream", "CONIN$",
                             "conout$", "CLOCK$"}) {
    UseArchive({{"ok.txt", Bytes("ok")}, {unsafe, Bytes("evil")}, {"after.txt", Bytes("after")}});
    EXPECT_EQ(MessageOf<EUnsafeName>([&] { batch_.Extract(); }),
              std::string("Archive entry ") + unsafe + " has an unsafe name");
    EXPECT_EQ(Out("ok.txt"), Bytes("ok")) << "the entries before stay extracted";
    EXPECT_FALSE(OutExists("after.txt"));
    EXPECT_FALSE(fs::exists(temp_ / "evil.txt")) << unsafe;
    fs::remove_all(out_);
  }
  // Without directory names only the file name is used, and that one is safe.
  batch_.SetUseDirectoryNames(false);
  UseArchive({{"..\\..\\evil.txt", Bytes("fine")}});
  batch_.Extract();
  EXPECT_EQ(Out("evil.txt"), Bytes("fine"));
}

std::string Levels(size_t count) {
  std::string name;
  for (size_t i = 0; i < count; ++i) name += "a\\";
  return name + "x";
}

// A 40 KB archive of one name 20,000 levels deep once took hundreds of megabytes and
// overflowed the stack while its directories were made.
TEST_F(BatchTest, RegressionNamesPastTheBoundsAreRefusedBeforeAnythingIsCreated) {
  batch_.SetUseDirectoryNames(true);
  for (const std::string& name : {Levels(20000), Levels(archive::kMaxNameDepth), std::string(225, 'n')}) {
    UseArchive({{name, Bytes("deep")}, {"after.txt", Bytes("after")}});
    EXPECT_EQ(MessageOf<EUnsafeName>([&] { batch_.Extract(); }), "Archive entry " + name + " has an unsafe name");
    EXPECT_FALSE(fs::exists(out_)) << name.size();
    EXPECT_THROW(batch_.Verify(), EUnsafeName);
    EXPECT_THROW(batch_.CheckNames(), EUnsafeName);
  }
  UseArchive({{Levels(archive::kMaxNameDepth - 1), Bytes("deepest")}});
  batch_.CheckNames();
  batch_.Extract();
  EXPECT_EQ(Out(Levels(archive::kMaxNameDepth - 1)), Bytes("deepest"));
}

TEST_F(BatchTest, RegressionDamagedEntriesAreReportedAndRemoved) {
  std::vector<archive::DirectoryEntry> entries;
  const V original = BuildArchive({{"good.txt", Bytes("good")}, {"bad.txt", TextLike(20000, 7)}}, &entries);
  const V data(original.begin() + static_cast<std::ptrdiff_t>(DirectoryBytes(entries).size()),
               original.end());
  // The archive with entry 1 replaced by `bad` and the data area shortened by `dataCut`.
  const auto archiveWith = [&](const archive::DirectoryEntry& bad, size_t dataCut) {
    std::vector<archive::DirectoryEntry> changed = entries;
    changed[1] = bad;
    V file = DirectoryBytes(changed);
    file.insert(file.end(), data.begin(), data.end() - static_cast<std::ptrdiff_t>(dataCut));
    return file;
  };
  archive::DirectoryEntry longer = entries[1];
  longer.unpackedSize += 1;
  archive::DirectoryEntry shorter = entries[1];
  shorter.unpackedSize -= 5000;
  archive::DirectoryEntry elsewhere = entries[1];
  elsewhere.dataOffset = 1 << 20;
  const std::vector<std::pair<V, const char*>> cases = {
      {archiveWith(longer, 0), "announced one byte more"},
      {archiveWith(shorter, 0), "announced fewer bytes"},
      {archiveWith(entries[1], 100), "packed data cut short"},
      {archiveWith(elsewhere, 0), "data offset past the end"}};
  for (const auto& [file, what] : cases) {
    batch_.SetArchiveFileName(PutFile(file, std::string(what) + ".qv2"));
    ASSERT_TRUE(batch_.ValidArchive()) << what;
    EXPECT_EQ(MessageOf<EDamagedEntry>([&] { batch_.Extract(); }), "Archive entry bad.txt is damaged")
        << what;
    EXPECT_EQ(Out("good.txt"), Bytes("good"));
    EXPECT_FALSE(OutExists("bad.txt")) << what << ": a damaged target is not left behind";
    EXPECT_THROW(batch_.Verify(), EDamagedEntry) << what;
  }
}

// The totals reached the 32-bit event narrowed, so packed sizes a directory claims beyond
// 2 GB in sum turned them negative.
TEST_F(BatchTest, RegressionProgressTotalsNeverTurnNegative) {
  std::vector<archive::DirectoryEntry> entries;
  const V original = BuildArchive({{"first.txt", Bytes("first")}, {"huge.txt", Bytes("huge")}}, &entries);
  const V data(original.begin() + static_cast<std::ptrdiff_t>(DirectoryBytes(entries).size()), original.end());
  entries[1].packedSize = std::numeric_limits<int32_t>::max();
  V file = DirectoryBytes(entries);
  file.insert(file.end(), data.begin(), data.end());
  batch_.SetArchiveFileName(PutFile(file));
  ASSERT_TRUE(batch_.ValidArchive());
  RecordProgress();
  try {
    batch_.Extract();
  } catch (const Exception&) {  // the second entry's claim is not met: whatever it raises
  }
  ASSERT_FALSE(progress_.empty());
  EXPECT_EQ(progress_.front().totalBytes, std::numeric_limits<int32_t>::max());
  for (const ProgressCall& call : progress_) EXPECT_GE(call.totalBytesWritten, 0);
  EXPECT_EQ(ProgressCount(-1), 0);
  EXPECT_EQ(ProgressCount(int64_t{1} << 32), std::numeric_limits<int32_t>::max());
}

TEST_F(BatchTest, RegressionAHalfReadDirectoryIsNotExtracted) {
  const V whole = BuildArchive({{"first.txt", Bytes("1")}, {"second.txt", Bytes("2")}});
  const size_t directory =
      DirectoryBytes({{"first.txt", 1, 0, 0, 128, 0}, {"second.txt", 1, 0, 0, 128, 0}}).size();
  const std::string path =
      PutFile(V(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(directory) - 5));
  batch_.SetArchiveFileName(path);
  ASSERT_FALSE(batch_.ValidArchive());
  ASSERT_EQ(batch_.Contents().Count(), 1);
  EXPECT_EQ(MessageOf<EInvalidArchive>([&] { batch_.Extract(); }),
            "The directory of archive " + path + " could not be read");
  EXPECT_FALSE(fs::exists(out_));
  EXPECT_THROW(batch_.Verify(), EInvalidArchive);
}

TEST_F(BatchTest, RegressionATargetThatCannotBeCreatedIsReported) {
  UseArchive({{"x.txt", Bytes("x")}, {"y.txt", Bytes("y")}});
  fs::create_directories(OutPath("x.txt"));  // a directory where the file should go
  EXPECT_EQ(MessageOf<EFileCreateError>([&] { batch_.Extract(); }), "Cannot create file " + OutPath("x.txt"));
  EXPECT_FALSE(OutExists("y.txt"));
  EXPECT_EQ(Listing(out_), std::vector<std::string>{"x.txt"}) << "no scratch file is left";
}

TEST_F(BatchTest, RegressionAFailedEntryLeavesTheOldFileAsItWas) {
  std::vector<archive::DirectoryEntry> entries;
  const V whole = BuildArchive({{"x.txt", TextLike(20000, 3)}}, &entries);
  // The packed data cut short: the entry decodes to fewer bytes than announced.
  batch_.SetArchiveFileName(PutFile(V(whole.begin(), whole.end() - 100), "cut.qv2"));
  WriteFileBytes(OutPath("x.txt"), Bytes("old"));
  fs::permissions(OutPath("x.txt"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_THROW(batch_.Extract(), EDamagedEntry);
  EXPECT_EQ(Out("x.txt"), Bytes("old"));
  EXPECT_FALSE(IsWritable(OutPath("x.txt"))) << "still read-only";
  EXPECT_EQ(Listing(out_), std::vector<std::string>{"x.txt"});
}

TEST_F(BatchTest, RegressionAnExceptionFromOnProgressIsNotSwallowed) {
  UseArchive({{"ten.txt", TextLike(10000, 8)}, {"next.txt", Bytes("next")}});
  WriteFileBytes(OutPath("ten.txt"), Bytes("old"));
  batch_.OnProgress = [](TObject&, const std::string&, int32_t, int32_t, int32_t, int32_t, bool&) {
    throw std::runtime_error("handler failed");
  };
  EXPECT_THROW(batch_.Extract(), std::runtime_error);
  EXPECT_EQ(Out("ten.txt"), Bytes("old")) << "an entry cut short replaces nothing";
  EXPECT_FALSE(OutExists("next.txt"));
  EXPECT_EQ(Listing(out_), std::vector<std::string>{"ten.txt"});
  batch_.OnProgress = nullptr;
  batch_.Extract();
  EXPECT_EQ(Out("ten.txt"), TextLike(10000, 8)) << "not left busy";
}

TEST_F(BatchTest, RegressionAnExceptionFromOnProgressInTheLastWriteKeepsTheCompleteFile) {
  UseArchive({{"ten.txt", TextLike(10000, 8)}, {"next.txt", Bytes("next")}});
  int calls = 0;
  batch_.OnProgress = [&](TObject&, const std::string&, int32_t, int32_t, int32_t, int32_t, bool&) {
    if (++calls == 3) throw std::runtime_error("handler failed");
  };
  EXPECT_THROW(batch_.Extract(), std::runtime_error);
  EXPECT_EQ(Out("ten.txt"), TextLike(10000, 8));
  EXPECT_FALSE(OutExists("next.txt"));
  EXPECT_EQ(Listing(out_), std::vector<std::string>{"ten.txt"});
}

TEST_F(BatchTest, TargetPathsAreWhereExtractWrites) {
  batch_.SetUseDirectoryNames(true);
  UseArchive({{"a.txt", Bytes("a")}, {"sub\\b.txt", Bytes("b")}});
  EXPECT_EQ(batch_.TargetPaths(), (std::vector<std::string>{OutPath("a.txt"), OutPath("sub\\b.txt")}));
  batch_.Extract();
  for (const std::string& path : batch_.TargetPaths()) EXPECT_TRUE(fs::is_regular_file(path)) << path;
  UseArchive({{"..\\up.txt", Bytes("u")}});
  EXPECT_THROW(batch_.TargetPaths(), EUnsafeName);
}

TEST_F(BatchTest, ExtractFromInsideAnEventReturnsAtOnce) {
  UseArchive({{"ten.txt", TextLike(10000, 9)}});
  int calls = 0;
  batch_.OnProgress = [&](TObject& sender, const std::string&, int32_t, int32_t, int32_t, int32_t, bool&) {
    ++calls;
    static_cast<TLZHBatch&>(sender).Extract();
    static_cast<TLZHBatch&>(sender).Verify();
  };
  batch_.Extract();
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(Out("ten.txt"), TextLike(10000, 9));
}

TEST_F(BatchTest, VerifyDecodesEverythingAndWritesNothing) {
  UseArchive({{"a\\b.txt", TextLike(30000, 10)}, {"c.bin", RandomBytes(5000, 11)}});
  RecordProgress();
  batch_.Verify();
  EXPECT_FALSE(fs::exists(out_));
  ASSERT_FALSE(progress_.empty());
  EXPECT_EQ(progress_.front().fileName, "a\\b.txt") << "names as stored";
  EXPECT_EQ(progress_.back().totalBytesWritten, progress_.back().totalBytes);

  UseArchive({{"..\\x", Bytes("x")}});
  EXPECT_THROW(batch_.Verify(), EUnsafeName);
}

}  // namespace
}  // namespace kavrix::testing
