// TLZHBatch: the creating side, and round trips through it.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <limits>
#include <map>

#include "AllocationWatch.h"
#include "BatchTestSupport.h"
#include "archive/ArchiveFormat.h"
#include "archive/ArchiveNames.h"
#include "support/ExpectMessage.h"
#include "support/TestData.h"

namespace kavrix::testing {
namespace {

namespace fs = std::filesystem;
using V = std::vector<uint8_t>;
using Tree = std::map<std::string, V>;  // stored name -> content

// Every file below `root` by its stored name.
Tree ReadTree(const fs::path& root) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::string name = fs::relative(entry.path(), root).string();
    for (char& c : name) {
      if (c == '/') c = '\\';
    }
    tree[name] = ReadFileBytes(entry.path());
  }
  return tree;
}

void WriteTree(const fs::path& root, const Tree& tree) {
  for (const auto& [name, content] : tree) WriteFileBytes(root / Native(name), content);
}

// The directory and data start of an archive file, read with the format reader.
struct ParsedArchive {
  std::vector<archive::DirectoryEntry> entries;
  size_t dataStart = 0;
};

ParsedArchive Parse(const V& file) {
  ParsedArchive parsed;
  size_t at = 0;
  const auto length = archive::ReadDirectory(
      [&](std::span<uint8_t> bytes) {
        if (bytes.size() > file.size() - at) return false;
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(at), bytes.size(), bytes.begin());
        at += bytes.size();
        return true;
      },
      [&](archive::DirectoryEntry&& entry) { parsed.entries.push_back(std::move(entry)); });
  EXPECT_TRUE(length.has_value());
  parsed.dataStart = length.value_or(0);
  return parsed;
}

class CreateTest : public BatchTest {
 protected:
  CreateTest() : source_(temp_ / "source"), archivePath_(temp_ / "made.qv2") {
    fs::create_directories(source_);
    batch_.SetArchiveFileName(archivePath_);
    batch_.SetRootDirectory(source_);
    batch_.InputFiles().Add(source_);
    batch_.SetRecurseDirectories(true);
    batch_.SetDirectoryInfo(diRelativePath);
  }

  std::vector<std::string> StoredNames() {
    std::vector<std::string> names;
    for (int i = 0; i < batch_.Contents().Count(); ++i)
      names.push_back(GetField(batch_.Contents().Strings(i), '\t', 1));
    return names;
  }

  std::string source_;
  std::string archivePath_;
};

const Tree kSmallTree = {
    {"a.txt", Bytes("alpha")}, {"sub\\b.txt", Bytes("beta")}, {"sub\\deeper\\c.txt", Bytes("gamma")}};

TEST_F(CreateTest, RoundTripReproducesTheTree) {
  const Tree tree = {{"readme.txt", TextLike(20000, 1)},
                     {"empty.dat", {}},
                     {"bin\\quorvel.exe", RandomBytes(70000, 2)},
                     {"bin\\data\\skewed.bin", Skewed(300000, 3)},
                     {"docs\\guide\\chapter one.txt", TextLike(4096, 4)},
                     {"docs\\guide\\Z.txt", TextLike(1, 5)}};
  WriteTree(source_, tree);
  batch_.Compress();
  ASSERT_TRUE(batch_.ValidArchive());
  EXPECT_EQ(batch_.Contents().Count(), 6);
  batch_.Verify();

  batch_.SetUseDirectoryNames(true);
  batch_.Extract();
  EXPECT_EQ(ReadTree(out_), tree);
}

TEST_F(CreateTest, RoundTripRestoresDatesAndAttributes) {
  WriteTree(source_, kSmallTree);
  const fs::path readOnly = fs::path(source_) / Native("sub\\b.txt");
  fs::permissions(readOnly, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const fs::file_time_type past =
      fs::last_write_time(readOnly) - std::chrono::hours(24 * 400) - std::chrono::seconds(3);
  fs::last_write_time(fs::path(source_) / "a.txt", past);
  batch_.Compress();

  batch_.SetUseDirectoryNames(true);
  batch_.SetRestoreFileDate(true);
  batch_.SetRestoreAttributes(true);
  batch_.Extract();
  EXPECT_EQ(ReadTree(out_), kSmallTree);
  for (const auto& [name, content] : kSmallTree) {
    const auto source = files::QueryFileInfo((fs::path(source_) / Native(name)).string());
    const auto target = files::QueryFileInfo(OutPath(name));
    ASSERT_TRUE(source && target) << name;
    archive::LocalTime expected = source->lastWrite;
    expected.second -= expected.second % 2;
    expected.millisecond = 0;
    EXPECT_EQ(target->lastWrite, expected) << name;
    EXPECT_EQ(target->attributes & files::kAttributeReadOnly, source->attributes & files::kAttributeReadOnly)
        << name;
  }
}

TEST_F(CreateTest, ArchivesHaveTheExactLayout) {
  WriteTree(source_,
            {{"z.txt", TextLike(3000, 6)}, {"A.txt", TextLike(200, 7)}, {"m\\n.bin", RandomBytes(40000, 8)}});
  batch_.Compress();
  const V file = ReadFileBytes(archivePath_);
  const ParsedArchive parsed = Parse(file);
  ASSERT_EQ(parsed.entries.size(), 3u);
  EXPECT_EQ(parsed.entries[0].name, "A.txt") << "sorted, ignoring case";
  EXPECT_EQ(parsed.entries[1].name, "m\\n.bin");
  EXPECT_EQ(parsed.entries[2].name, "z.txt");
  int32_t offset = 0;
  for (const archive::DirectoryEntry& entry : parsed.entries) {
    EXPECT_EQ(entry.dataOffset, offset) << "contiguous, in directory order";
    offset += entry.packedSize;
  }
  const archive::DirectoryEntry& last = parsed.entries.back();
  EXPECT_EQ(parsed.dataStart + static_cast<size_t>(last.dataOffset + last.packedSize), file.size());
  EXPECT_EQ(DirectoryBytes(parsed.entries),
            V(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(parsed.dataStart)))
      << "smallest integer kinds and extended dates";
}

TEST_F(CreateTest, WithoutRecursionOnlyTheTopLevelIsCollected) {
  WriteTree(source_, kSmallTree);
  batch_.SetRecurseDirectories(false);
  batch_.Compress();
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"a.txt"});
}

TEST_F(CreateTest, StoredNameForms) {
  WriteTree(source_, kSmallTree);
  batch_.SetDirectoryInfo(diNone);
  batch_.InputFiles().Clear();
  batch_.InputFiles().Add((fs::path(source_) / Native("sub\\b.txt")).string());
  batch_.Compress();
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"b.txt"});

  batch_.SetDirectoryInfo(diFullPath);
  batch_.Compress();
  std::string full = (fs::path(source_) / Native("sub\\b.txt")).string();
  if (full.size() > 1 && full[1] == ':') full.erase(0, 2);
  for (char& c : full) {
    if (c == '/') c = '\\';
  }
  EXPECT_EQ(StoredNames(), std::vector<std::string>{full}) << "the full path without its drive";
  batch_.SetUseDirectoryNames(true);
  batch_.Extract();
  EXPECT_EQ(Out(full.substr(1)), Bytes("beta"));

  batch_.SetDirectoryInfo(diRelativePath);
  batch_.SetRootDirectory((fs::path(source_) / "sub").string());
  batch_.InputFiles().Add((fs::path(source_) / "a.txt").string());
  try {
    batch_.Compress();
    FAIL() << "no exception";
  } catch (const ECollectError& e) {
    EXPECT_EQ(e.Message(), "Cannot collect file " + (fs::path(source_) / "a.txt").string())
        << "not below the root";
  }
}

TEST_F(CreateTest, CollectingEvents) {
  WriteTree(source_, kSmallTree);
  const std::string missing = (fs::path(source_) / "missing.txt").string();
  batch_.InputFiles().Add(missing);
  try {
    batch_.Compress();
    FAIL() << "no exception";
  } catch (const ECollectError& e) {
    EXPECT_EQ(e.Message(), "Cannot collect file " + missing);
  }
  EXPECT_FALSE(fs::exists(archivePath_));

  std::vector<std::string> errors;
  batch_.OnCollectError = [&](TObject&, const std::string& fileName, TCollectErrorAction& action) {
    EXPECT_EQ(action, ceAbort);
    errors.push_back(fileName);
    action = ceSkip;
  };
  std::vector<std::string> seen;
  batch_.OnCollecting = [&](TObject&, const std::string& fileName, TCollectAction& action) {
    EXPECT_EQ(action, caInclude);
    seen.push_back(fileName);
    if (archive::ExtractFileName(fileName) == "b.txt") action = caSkip;
  };
  int doneCalls = 0;
  batch_.OnDoneCollecting = [&](TObject&, int nrOfFiles, int32_t totalSize, bool&) {
    ++doneCalls;
    EXPECT_EQ(nrOfFiles, 2);
    EXPECT_EQ(totalSize, 10);
  };
  batch_.Compress();
  EXPECT_EQ(errors, std::vector<std::string>{missing});
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(doneCalls, 1);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"a.txt", "sub\\deeper\\c.txt"}));
}

// Extraction would refuse the name, so the archive is not written with it.
TEST_F(CreateTest, ANameExtractionWouldRefuseIsNotStored) {
  std::string deep;
  for (size_t level = 0; level < archive::kMaxNameDepth; ++level) deep += "d\\";
  WriteTree(source_, {{"a.txt", Bytes("alpha")}, {deep + "x.txt", Bytes("deep")}});
  try {
    batch_.Compress();
    FAIL() << "no exception";
  } catch (const EUnsafeName& e) {
    EXPECT_EQ(e.Message(), "Archive entry " + deep + "x.txt has an unsafe name");
  }
  EXPECT_FALSE(fs::exists(archivePath_));

  std::vector<std::string> errors;
  batch_.OnCollectError = [&](TObject&, const std::string& fileName, TCollectErrorAction& action) {
    errors.push_back(fileName);
    action = ceSkip;
  };
  batch_.Compress();
  EXPECT_EQ(errors, std::vector<std::string>{source_ + Native("\\" + deep + "x.txt")});
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"a.txt"});
}

TEST_F(CreateTest, CancelledCollectingOrPackingWritesNothing) {
  WriteTree(source_, kSmallTree);
  PutFile(BuildArchive({{"old.txt", Bytes("old")}}), "made.qv2");
  const V before = ReadFileBytes(archivePath_);

  batch_.OnCollecting = [](TObject&, const std::string&, TCollectAction& action) { action = caCancel; };
  batch_.Compress();
  batch_.OnCollecting = nullptr;
  batch_.OnDoneCollecting = [](TObject&, int, int32_t, bool& cancel) { cancel = true; };
  batch_.Compress();
  batch_.OnDoneCollecting = nullptr;
  int calls = 0;
  batch_.OnProgress = [&](TObject&, const std::string&, int32_t fileBytesWritten, int32_t fileBytes,
                          int32_t totalBytesWritten, int32_t totalBytes, bool& cancel) {
    ++calls;
    EXPECT_EQ(fileBytesWritten, fileBytes);
    EXPECT_LE(totalBytesWritten, totalBytes);
    EXPECT_EQ(totalBytes, 14);
    cancel = calls == 2;
  };
  batch_.Compress();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(ReadFileBytes(archivePath_), before);
  EXPECT_FALSE(fs::exists(archivePath_ + ".tmp"));
}

TEST_F(CreateTest, ANewArchiveReplacesAnOldOneOnlyWhenAllowed) {
  WriteTree(source_, kSmallTree);
  PutFile(BuildArchive({{"old.txt", Bytes("old")}}), "made.qv2");
  const V before = ReadFileBytes(archivePath_);
  batch_.SetOverwriteExisting(false);
  try {
    batch_.Compress();
    FAIL() << "no exception";
  } catch (const EFileExist& e) {
    EXPECT_EQ(e.Message(), "Cannot write to " + archivePath_ + ". File already exists");
  }
  batch_.OnFileExist = [](TObject&, const std::string&, TFileExistAction& action) { action = feSkip; };
  batch_.Compress();
  EXPECT_EQ(ReadFileBytes(archivePath_), before);
  batch_.OnFileExist = [](TObject&, const std::string&, TFileExistAction& action) { action = feOverwrite; };
  batch_.Compress();
  EXPECT_EQ(StoredNames().size(), 3u);
}

TEST_F(CreateTest, RegressionAFailedWriteKeepsTheOldArchive) {
  WriteTree(source_, kSmallTree);
  PutFile(BuildArchive({{"old.txt", Bytes("old")}}), "made.qv2");
  const V before = ReadFileBytes(archivePath_);
  fs::create_directories(archivePath_ + ".tmp");  // the new archive cannot be written
  EXPECT_THROW(batch_.Compress(), EFileCreateError);
  EXPECT_EQ(ReadFileBytes(archivePath_), before);
}

TEST_F(CreateTest, AddingKeepsOtherEntriesAndReplacesEqualNames) {
  WriteTree(source_, {{"keep.txt", TextLike(5000, 9)}, {"Same.txt", Bytes("old")}});
  batch_.Compress();
  const ParsedArchive first = Parse(ReadFileBytes(archivePath_));

  fs::remove_all(source_);
  WriteTree(source_, {{"same.txt", Bytes("new")}, {"added\\x.txt", Bytes("added")}});
  batch_.SetArchiveMode(amAdd);
  batch_.SetOverwriteExisting(false);  // not asked: an added archive is not replaced
  batch_.Compress();
  const V file = ReadFileBytes(archivePath_);
  const ParsedArchive added = Parse(file);
  ASSERT_EQ(added.entries.size(), 3u);
  EXPECT_EQ(added.entries[0].name, "keep.txt");
  EXPECT_EQ(added.entries[0].packedSize, first.entries[0].packedSize);
  EXPECT_EQ(added.entries[0].date, first.entries[0].date);
  EXPECT_EQ(added.entries[1].name, "added\\x.txt");
  EXPECT_EQ(added.entries[2].name, "same.txt") << "replaced, ignoring case";

  batch_.SetUseDirectoryNames(true);
  batch_.Extract();
  EXPECT_EQ(
      ReadTree(out_),
      (Tree{{"keep.txt", TextLike(5000, 9)}, {"same.txt", Bytes("new")}, {"added\\x.txt", Bytes("added")}}));

  PutFile(V{0x01, 0x06}, "made.qv2");
  EXPECT_THROW(batch_.Compress(), EInvalidArchive) << "a damaged archive is not silently dropped";
}

// Adding once reserved memory for the packed size an entry claimed before reading it, so
// a crafted directory claiming 2 GB took 2 GB (or failed to) before the read found less.
TEST_F(CreateTest, RegressionAddingReservesNoMoreThanTheArchiveHolds) {
  std::vector<archive::DirectoryEntry> entries;
  const V original = BuildArchive({{"claims.txt", TextLike(3000, 5)}}, &entries);
  const V data(original.begin() + static_cast<std::ptrdiff_t>(DirectoryBytes(entries).size()), original.end());
  entries[0].packedSize = std::numeric_limits<int32_t>::max() - 16;
  V file = DirectoryBytes(entries);
  file.insert(file.end(), data.begin(), data.end());
  PutFile(file, "made.qv2");

  WriteTree(source_, {{"new.txt", Bytes("new")}});
  batch_.SetArchiveMode(amAdd);
  const fuzz::AllocationWatch watch;
  EXPECT_EQ(MessageOf<EDamagedEntry>([&] { batch_.Compress(); }), "Archive entry claims.txt is damaged");
  EXPECT_LT(watch.Largest(), size_t{1} << 20);
  EXPECT_EQ(ReadFileBytes(archivePath_), file) << "the archive stays as it was";
}

TEST_F(CreateTest, TheArchiveIsNeverPackedIntoItself) {
  WriteTree(source_, kSmallTree);
  const std::string inside = (fs::path(source_) / "self.qv2").string();
  batch_.SetArchiveFileName(inside);
  batch_.SetArchiveMode(amAdd);
  batch_.Compress();
  batch_.Compress();
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"a.txt", "sub\\b.txt", "sub\\deeper\\c.txt"}));
}

TEST_F(CreateTest, WithoutAnArchiveNameNothingIsCreated) {
  WriteTree(source_, kSmallTree);
  batch_.SetArchiveFileName("");
  EXPECT_THROW(batch_.Compress(), EFileCreateError);
}

}  // namespace
}  // namespace kavrix::testing
