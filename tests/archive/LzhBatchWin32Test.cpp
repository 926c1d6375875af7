// TLZHBatch on the Win32 file API: attributes, local DOS times, sharing, and handles.

#include <gtest/gtest.h>

#include "support/ExpectMessage.h"
#include <windows.h>

#include <filesystem>
#include <memory>

#include "BatchTestSupport.h"
#include "archive/ArchiveDates.h"
#include "archive/ArchiveFormat.h"
#include "archive/ArchiveNames.h"
#include "support/TestData.h"

namespace kavrix::testing {
namespace {

namespace fs = std::filesystem;
using V = std::vector<uint8_t>;

struct HandleCloser {
  void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using Handle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

Handle Hold(const std::string& path, DWORD access, DWORD share) {
  const HANDLE handle =
      CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(handle, INVALID_HANDLE_VALUE) << path;
  return Handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}


TEST_F(BatchTest, Win32AttributesAreRestoredExactly) {
  const DWORD hiddenSystemReadOnly =
      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  UseArchive({{"special.txt", Bytes("s"), static_cast<int32_t>(hiddenSystemReadOnly)},
              {"normal.txt", Bytes("n"), 128}});
  batch_.SetRestoreAttributes(true);
  batch_.Extract();
  EXPECT_EQ(GetFileAttributesA(OutPath("special.txt").c_str()), hiddenSystemReadOnly);
  // Windows reports 128 back, Wine 32 (archive): either way nothing else is set.
  EXPECT_EQ(GetFileAttributesA(OutPath("normal.txt").c_str()) &
                ~DWORD{FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_ARCHIVE},
            0u);

  batch_.SetRestoreAttributes(false);
  batch_.Extract();  // replaces the hidden, system, read-only file
  EXPECT_EQ(GetFileAttributesA(OutPath("special.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(BatchTest, Win32FileDateIsTheStoredLocalTime) {
  const double stored = archive::EncodeDayCount({2004, 2, 29, 23, 59, 59, 0});
  UseArchive({{"leap.txt", Bytes("x"), 128, stored}});
  batch_.SetRestoreFileDate(true);
  batch_.Extract();
  const Handle file = Hold(OutPath("leap.txt"), GENERIC_READ, FILE_SHARE_READ);
  FILETIME written{};
  FILETIME local{};
  WORD dosDate = 0;
  WORD dosTime = 0;
  ASSERT_TRUE(GetFileTime(file.get(), nullptr, nullptr, &written));
  ASSERT_TRUE(FileTimeToLocalFileTime(&written, &local));
  ASSERT_TRUE(FileTimeToDosDateTime(&local, &dosDate, &dosTime));
  EXPECT_EQ((archive::DosDateTime{dosDate} << 16) | dosTime, archive::DayCountToDosDateTime(stored));
  EXPECT_EQ(dosTime & 0x1F, 29) << "59 seconds become 58";
}

TEST_F(BatchTest, Win32AnArchiveHeldExclusivelyCannotBeRead) {
  const std::string path = PutFile(BuildArchive({{"x.txt", Bytes("x")}}));
  {
    const Handle exclusive = Hold(path, GENERIC_READ, 0);
    EXPECT_EQ(MessageOf<EFileOpenError>([&] { batch_.SetArchiveFileName(path); }),
              "Cannot open file " + path);
    EXPECT_FALSE(batch_.ValidArchive());
    EXPECT_EQ(batch_.Contents().Count(), 0);
    EXPECT_TRUE(batch_.Contents().ReadOnly());
  }
  batch_.ReadContents();
  ASSERT_TRUE(batch_.ValidArchive());
  {
    const Handle exclusive = Hold(path, GENERIC_READ, 0);
    const std::string message = MessageOf<EOpenError>([&] { batch_.Extract(); });
    const std::string prefix = "Error opening archive file " + path + ".\r\n";
    EXPECT_EQ(message.substr(0, prefix.size()), prefix);
    EXPECT_GT(message.size(), prefix.size() + 5) << "the system's description: " << message;
  }
  batch_.Extract();
  EXPECT_EQ(Out("x.txt"), Bytes("x"));
}

TEST_F(BatchTest, Win32OtherReadersAndWritersMayKeepTheArchiveOpen) {
  const std::string path = PutFile(BuildArchive({{"x.txt", TextLike(9000, 1)}}));
  const Handle shared = Hold(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  batch_.SetArchiveFileName(path);
  ASSERT_TRUE(batch_.ValidArchive());
  batch_.Extract();
  EXPECT_EQ(Out("x.txt"), TextLike(9000, 1));
}

TEST_F(BatchTest, Win32ATargetInUseIsReported) {
  UseArchive({{"busy.txt", Bytes("new")}});
  WriteFileBytes(OutPath("busy.txt"), Bytes("old"));
  const Handle inUse = Hold(OutPath("busy.txt"), GENERIC_READ, 0);
  EXPECT_EQ(MessageOf<EFileCreateError>([&] { batch_.Extract(); }),
            "Cannot create file " + OutPath("busy.txt"));
}

TEST_F(BatchTest, Win32CollectedAttributesAndDatesAreTheFilesOwn) {
  const std::string source = temp_ / "source";
  WriteFileBytes(source + "\\hidden.txt", Bytes("h"));
  ASSERT_TRUE(
      SetFileAttributesA((source + "\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  batch_.SetArchiveFileName(temp_ / "made.qv2");
  batch_.SetDirectoryInfo(diRelativePath);
  batch_.SetRootDirectory(source);
  batch_.InputFiles().Add(source);
  batch_.Compress();
  ASSERT_EQ(batch_.Contents().Count(), 1);
  EXPECT_EQ(GetField(batch_.Contents().Strings(0), '\t', 4),
            std::to_string(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));

  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA((source + "\\hidden.txt").c_str(), GetFileExInfoStandard, &data));
  FILETIME local{};
  SYSTEMTIME fields{};
  ASSERT_TRUE(FileTimeToLocalFileTime(&data.ftLastWriteTime, &local));
  ASSERT_TRUE(FileTimeToSystemTime(&local, &fields));
  const double expected = archive::EncodeDayCount({fields.wYear, fields.wMonth, fields.wDay, fields.wHour,
                                                   fields.wMinute, fields.wSecond, fields.wMilliseconds});
  std::string date = GetField(batch_.Contents().Strings(0), '\t', 5);
  EXPECT_EQ(date, archive::FormatDayCount(expected, files::DecimalSeparator()));
}

// Wine acted on a path of 65,536 + k characters as on its first k, so the entry went to a
// prefix of its target, outside the target folder; Windows documents such paths as
// refused. Neither may be relied on: the path is refused before any file call.
TEST_F(BatchTest, RegressionATargetPathPastMaxPathIsRefused) {
  const std::string name(150, 'n');
  const std::string directory = out_ + "\\" + std::string(MAX_PATH - 2 - name.size() - out_.size(), 'd');
  ASSERT_EQ(directory.size() + 1 + name.size(), size_t{MAX_PATH}) << "one character past the limit";
  batch_.SetOutputDirectory(directory);
  UseArchive({{name, Bytes("long")}});
  EXPECT_EQ(MessageOf<EUnsafeName>([&] { batch_.Extract(); }), "Archive entry " + name + " has an unsafe name");
  EXPECT_FALSE(fs::exists(out_)) << "nothing is created, not even the target folder";

  batch_.SetOutputDirectory(directory.substr(0, directory.size() - 1));
  batch_.Extract();
  EXPECT_EQ(ReadFileBytes(directory.substr(0, directory.size() - 1) + "\\" + name), Bytes("long"));
}

TEST_F(BatchTest, RegressionAReparsePointBelowTheTargetIsNotFollowed) {
  const std::string outside = temp_ / "outside";
  ASSERT_TRUE(CreateDirectoryA(outside.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(out_.c_str(), nullptr));
  if (!CreateSymbolicLinkA(OutPath("sub").c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
    GTEST_SKIP() << "no symbolic links here (error " << GetLastError() << ")";
  }
  // Windows marks every symbolic link and junction as a reparse point, and the extraction
  // relies on what the system says. Wine 8 reports success but leaves an entry that
  // neither GetFileAttributes nor FindFirstFile can see.
  const DWORD attributes = GetFileAttributesA(OutPath("sub").c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    GTEST_SKIP() << "the system made no link that it reports as a reparse point";
  }
  batch_.SetUseDirectoryNames(true);
  UseArchive({{"sub\\new\\x.txt", Bytes("evil")}});
  EXPECT_EQ(MessageOf<ENotPlainTarget>([&] { batch_.Extract(); }),
            "Cannot write to " + OutPath("sub\\new\\x.txt") + ". A link or a special file is in the way");
  EXPECT_TRUE(fs::is_empty(outside));
}

TEST_F(BatchTest, RegressionAShortNameIsNotTakenForAnotherFolder) {
  const std::string folder = OutPath("Long folder name");
  ASSERT_TRUE(fs::create_directories(folder));
  char shortPath[MAX_PATH] = {};
  const DWORD length = GetShortPathNameA(folder.c_str(), shortPath, MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::string alias = archive::ExtractFileName(shortPath);
  if (alias == "Long folder name") GTEST_SKIP() << "this file system keeps no short names";
  batch_.SetUseDirectoryNames(true);
  UseArchive({{alias + "\\x.txt", Bytes("aliased")}});
  EXPECT_THROW(batch_.Extract(), ENotPlainTarget) << alias;
  EXPECT_TRUE(fs::is_empty(folder));
}

// "C:" once counted as ending in a separator, so its entries went to the drive's current
// directory ("C:name") instead of its root.
TEST_F(BatchTest, RegressionADriveAloneMeansItsRoot) {
  const std::string drive = fs::path(out_).root_name().string();
  ASSERT_EQ(drive.size(), 2u) << out_;
  const std::string name = "kavrix-drive-root-" + std::to_string(GetCurrentProcessId()) + ".txt";
  const std::string atRoot = drive + "\\" + name;
  {
    const Handle probe(CreateFileA(atRoot.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (probe.get() == INVALID_HANDLE_VALUE) GTEST_SKIP() << "the root of " << drive << " is not writable here";
  }
  const fs::path previous = fs::current_path();
  fs::create_directories(out_);
  fs::current_path(out_);
  UseArchive({{name, Bytes("root")}});
  batch_.SetOutputDirectory(drive);
  EXPECT_NO_THROW(batch_.Extract());
  fs::current_path(previous);
  EXPECT_EQ(ReadFileBytes(atRoot), Bytes("root"));
  EXPECT_FALSE(OutExists(name)) << "not in the current directory";
  DeleteFileA(atRoot.c_str());
}

// Reading a self-extracting archive's start set the process's error mode for good,
// dropping the modes the program had chosen.
TEST_F(BatchTest, RegressionReadingAHostKeepsTheProcessErrorMode) {
  const UINT chosen = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX;
  const UINT before = SetErrorMode(chosen);
  batch_.SetArchiveFileName(PutFile(BuildArchive({{"x.txt", Bytes("x")}}), "host.exe"));
  const UINT after = SetErrorMode(before);
  EXPECT_EQ(after, chosen);
}

TEST_F(BatchTest, Win32NoHandleOutlivesItsOperation) {
  const V archive = BuildArchive({{"a\\x.txt", TextLike(20000, 2)}, {"y.txt", Bytes("y")}});
  const std::string path = PutFile(archive, "loop.exe");  // also through LoadLibraryEx
  batch_.SetUseDirectoryNames(true);
  const auto once = [&] {
    batch_.SetArchiveFileName(path);
    batch_.ReadContents();
    batch_.Extract();
    batch_.Verify();
  };
  once();
  DWORD before = 0;
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
  for (int i = 0; i < 25; ++i) once();
  DWORD after = 0;
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace kavrix::testing
