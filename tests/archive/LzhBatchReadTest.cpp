// TLZHBatch: properties and reading the contents.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "BatchTestSupport.h"
#include "archive/ArchiveFormat.h"
#include "archive/LzhEncoder.h"
#include "foundation/ComponentStream.h"
#include "support/TestData.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace kavrix::testing {
namespace {

namespace fs = std::filesystem;
using V = std::vector<uint8_t>;

std::string Decimal(const std::string& text) {
  std::string result = text;
  for (char& c : result) {
    if (c == '.') c = files::DecimalSeparator();
  }
  return result;
}

// Runs with the current directory set to `directory`, restoring it afterwards.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const fs::path& directory) : saved_(fs::current_path()) {
    fs::current_path(directory);
  }
  ~CurrentDirectory() { fs::current_path(saved_); }

 private:
  fs::path saved_;
};

TEST_F(BatchTest, ContentsLinesCarryTheDirectoryValues) {
  std::vector<archive::DirectoryEntry> entries = {{"docs\\readme.txt", 167, 134, 0, 128, 36526.5},
                                                  {std::string(300, 'L'), 70000, -1, 134, 33, 36526.0},
                                                  {"when", 0, 1, 5000, 0, 1.0 / 3}};
  V archive = DirectoryBytes(entries);
  archive.resize(archive.size() + 200, 0x80);
  batch_.SetArchiveFileName(PutFile(archive));
  ASSERT_TRUE(batch_.ValidArchive());
  const TStringList& lines = batch_.Contents();
  ASSERT_EQ(lines.Count(), 3);
  EXPECT_EQ(lines.Strings(0), Decimal("docs\\readme.txt\t167\t134\t128\t36526.5"));
  EXPECT_EQ(lines.Strings(1), std::string(300, 'L') + "\t70000\t-1\t33\t36526");
  EXPECT_EQ(lines.Strings(2), Decimal("when\t0\t1\t0\t0.333333333333333"));
  const int32_t offsets[] = {0, 134, 5000};
  for (int i = 0; i < 3; ++i) {
    const auto* extra = dynamic_cast<const TExtraInfo*>(lines.Objects(i));
    ASSERT_NE(extra, nullptr);
    EXPECT_EQ(extra->DataOffset(), offsets[i]) << "the offset is kept outside the text";
  }
}

TEST_F(BatchTest, EmptyAndInvalidArchives) {
  batch_.SetArchiveFileName(PutFile(V{0x01, 0x00}, "empty.qv2"));
  EXPECT_TRUE(batch_.ValidArchive());
  EXPECT_EQ(batch_.Contents().Count(), 0);

  batch_.SetArchiveFileName(temp_ / "missing.qv2");
  EXPECT_FALSE(batch_.ValidArchive());
  EXPECT_EQ(batch_.Contents().Count(), 0);

  UseArchive({{"x", Bytes("x")}});
  batch_.SetArchiveFileName(PutFile(V{0x02, 0x00}, "wrong.qv2"));
  EXPECT_FALSE(batch_.ValidArchive());
  EXPECT_EQ(batch_.Contents().Count(), 0) << "the previous contents are gone";

  batch_.SetArchiveFileName(PutFile(V{}, "zero.qv2"));
  EXPECT_FALSE(batch_.ValidArchive());
  fs::create_directory(temp_ / "folder.qv2");
  batch_.SetArchiveFileName(temp_ / "folder.qv2");
  EXPECT_FALSE(batch_.ValidArchive()) << "a directory is no archive file";
}

TEST_F(BatchTest, DirectoryEndingMidEntryKeepsTheEntriesBefore) {
  const V full = DirectoryBytes({{"first.txt", 1, 2, 0, 32, 40000}, {"second.txt", 3, 4, 2, 32, 40000}});
  batch_.SetArchiveFileName(PutFile(V(full.begin(), full.end() - 5)));
  EXPECT_FALSE(batch_.ValidArchive());
  ASSERT_EQ(batch_.Contents().Count(), 1);
  EXPECT_EQ(GetField(batch_.Contents().Strings(0), '\t', 1), "first.txt");
  EXPECT_TRUE(batch_.Contents().ReadOnly());
}

TEST_F(BatchTest, ArchiveFileNameIsExpandedAndReReadOnlyWhenItChanges) {
  const std::string path = PutFile(BuildArchive({{"one", Bytes("1")}}), "a.qv2");
  {
    const CurrentDirectory inTemp(temp_.Path());
    batch_.SetArchiveFileName("a.qv2");
  }
  EXPECT_TRUE(fs::equivalent(batch_.ArchiveFileName(), path));
  EXPECT_TRUE(fs::path(batch_.ArchiveFileName()).is_absolute());
  EXPECT_EQ(batch_.Contents().Count(), 1);

  PutFile(BuildArchive({{"one", Bytes("1")}, {"two", Bytes("2")}}), "a.qv2");
  batch_.SetArchiveFileName(batch_.ArchiveFileName());
  EXPECT_EQ(batch_.Contents().Count(), 1) << "the same name does not re-read";
  batch_.ReadContents();
  EXPECT_EQ(batch_.Contents().Count(), 2);

  PutFile(BuildArchive({}), "a.qv2");
  batch_.SetRootDirectory(temp_ / "root");
  EXPECT_EQ(batch_.Contents().Count(), 0) << "a new root re-reads";
  PutFile(BuildArchive({{"one", Bytes("1")}}), "a.qv2");
  batch_.SetRootDirectory(temp_ / "root");
  EXPECT_EQ(batch_.Contents().Count(), 0) << "the same root does not";
}

// A value cut to 255 characters named another file or directory without a word.
TEST_F(BatchTest, RegressionStringPropertiesRefuseMoreThan255Characters) {
  const std::string longest = "/" + std::string(254, 'd');
  batch_.SetOutputDirectory(longest);
  batch_.SetRootDirectory(longest);
  const struct {
    const char* property;
    std::function<void()> assign;
  } cases[] = {
      {"OutputDirectory", [&] { batch_.SetOutputDirectory(longest + "x"); }},
      {"RootDirectory", [&] { batch_.SetRootDirectory(longest + "x"); }},
      {"ArchiveFileName", [&] { batch_.SetArchiveFileName(temp_ / std::string(300, 'a')); }},
  };
  for (const auto& c : cases) {
    try {
      c.assign();
      ADD_FAILURE() << c.property << ": no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), std::string(c.property) + " is longer than 255 characters");
    }
  }
  EXPECT_EQ(batch_.OutputDirectory(), longest) << "the value before stays";
  EXPECT_EQ(batch_.RootDirectory(), longest);
  EXPECT_EQ(batch_.ArchiveFileName(), "");
}

// A component stream holding `batch` alone, as a form would save it.
V Saved(TLZHBatch& batch) {
  V stream;
  TWriter writer(stream);
  writer.WriteSignature();
  writer.WriteComponentHeader("TLZHBatch", "LZHBatch1");
  batch.WriteState(writer);
  return stream;
}

TEST_F(BatchTest, SavedPropertiesKnownAnswer) {
  TLZHBatch wizard;
  EXPECT_EQ(Saved(wizard), Bytes(std::string("TPF0\x09TLZHBatch\x09LZHBatch1", 24) + std::string(2, '\0')))
      << "defaults are not saved";
  wizard.SetDirectoryInfo(diRelativePath);
  wizard.SetRecurseDirectories(true);
  wizard.SetUseDirectoryNames(true);
  const V saved = Saved(wizard);
  // clang-format off
  const std::string properties =
      "\x0D" "DirectoryInfo" "\x07" "\x0E" "diRelativePath"  // name, vaIdent, identifier
      "\x12" "RecurseDirectories" "\x09"                      // name, vaTrue
      "\x11" "UseDirectoryNames" "\x09";
  // clang-format on
  EXPECT_EQ(V(saved.begin() + 24, saved.end()), Bytes(properties + std::string(2, '\0')));
}

TEST_F(BatchTest, LoadingFromAFormRestoresEveryPropertyAndThenTheContents) {
  const std::string path = PutFile(BuildArchive({{"x.txt", Bytes("x")}}), "form.qv2");
  TLZHBatch saved;
  saved.SetDirectoryInfo(diFullPath);
  saved.InputFiles().SetText("one\r\ntwo\r\n");
  saved.SetArchiveFileName(path);
  saved.SetArchiveMode(amAdd);
  saved.SetOutputDirectory("C:\\Out");
  saved.SetOverwriteExisting(false);
  saved.SetRootDirectory(temp_ / "root");
  saved.SetRecurseDirectories(true);
  saved.SetRestoreAttributes(true);
  saved.SetRestoreFileDate(true);
  saved.SetUseDirectoryNames(true);
  const V stream = Saved(saved);

  TLZHBatch loaded;
  TReader(stream).ReadRootComponent(loaded);
  EXPECT_EQ(loaded.DirectoryInfo(), diFullPath);
  EXPECT_EQ(loaded.InputFiles().Text(), "one\r\ntwo\r\n");
  EXPECT_EQ(loaded.ArchiveFileName(), path);
  EXPECT_EQ(loaded.ArchiveMode(), amAdd);
  EXPECT_EQ(loaded.OutputDirectory(), "C:\\Out");
  EXPECT_FALSE(loaded.OverwriteExisting());
  EXPECT_EQ(loaded.RootDirectory(), temp_ / "root");
  EXPECT_TRUE(loaded.RecurseDirectories());
  EXPECT_TRUE(loaded.RestoreAttributes());
  EXPECT_TRUE(loaded.RestoreFileDate());
  EXPECT_TRUE(loaded.UseDirectoryNames());
  EXPECT_TRUE(loaded.ValidArchive());
  EXPECT_EQ(loaded.Contents().Count(), 1);
  EXPECT_EQ(Saved(loaded), stream);

  V unknown = Saved(saved);
  const std::string mode = "amAdd";
  const auto at = std::search(unknown.begin(), unknown.end(), mode.begin(), mode.end());
  ASSERT_NE(at, unknown.end());
  *(at + 2) = 'x';  // "amxdd"
  TLZHBatch refused;
  EXPECT_THROW(TReader(unknown).ReadRootComponent(refused), EReadError);
}

#ifdef KAVRIX_TEST_HOSTS
std::string HostPath(const std::string& name) {
  return (fs::path(KAVRIX_TEST_HOSTS) / (name + ".exe")).make_preferred().string();
}

// The host, padded to 65536 bytes, then `archive`.
V SelfExtracting(const std::string& host, const V& archive) {
  V file = ReadFileBytes(HostPath(host));
  EXPECT_LT(file.size(), 65536u);
  file.resize(65536, 0);
  file.insert(file.end(), archive.begin(), archive.end());
  return file;
}

TEST_F(BatchTest, SelfExtractingHostsReadTheArchiveStartFromTheirStringTable) {
  const V content = TextLike(9000, 1);
  const V archive = BuildArchive({{"app\\readme.txt", content}, {"b.bin", RandomBytes(100, 2)}});
  batch_.SetUseDirectoryNames(true);
  batch_.SetArchiveFileName(PutFile(SelfExtracting("ArchiveStart", archive), "Setup.EXE"));
  ASSERT_TRUE(batch_.ValidArchive());
  EXPECT_EQ(batch_.Contents().Count(), 2);
  batch_.Extract();
  EXPECT_EQ(Out("app\\readme.txt"), content) << "data offsets count from the data start, not the file start";

  for (const char* host : {"OtherString", "NotANumber", "NoResources"}) {
    batch_.SetArchiveFileName(PutFile(SelfExtracting(host, archive), std::string(host) + ".exe"));
    EXPECT_FALSE(batch_.ValidArchive()) << host << " is read from byte 0, where 'MZ' is";
  }
  batch_.SetArchiveFileName(PutFile(archive, "plain.exe"));
  EXPECT_TRUE(batch_.ValidArchive()) << "a file that is no PE image is read from byte 0";
}
#endif

#ifndef _WIN32
TEST_F(BatchTest, AnArchiveThatCannotBeOpenedRaisesTheFileOpenError) {
  if (geteuid() == 0) GTEST_SKIP() << "root opens any file; the Windows build tests a file held exclusively";
  const std::string path = PutFile(BuildArchive({{"x", Bytes("x")}}), "locked.qv2");
  fs::permissions(path, fs::perms::none);
  try {
    batch_.SetArchiveFileName(path);
    FAIL() << "no exception";
  } catch (const EFileOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + path);
  }
  EXPECT_EQ(batch_.ArchiveFileName(), path);
  EXPECT_FALSE(batch_.ValidArchive());
  EXPECT_EQ(batch_.Contents().Count(), 0);
  EXPECT_TRUE(batch_.Contents().ReadOnly());
}
#endif

}  // namespace
}  // namespace kavrix::testing
