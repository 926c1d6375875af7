// The installation's bookkeeping on its own: what it keeps before each change, and how
// a rollback or a commit leaves the files and the registry.

#include <windows.h>

#include <gtest/gtest.h>

#include <map>

#include "SystemTestSupport.h"
#include "archive/FStorage.h"
#include "installer/FileSystem.h"
#include "installer/transaction/InstallTransaction.h"

namespace kavrix {
namespace {

using testing::ReadTextFile;
using testing::TempDirectory;
using testing::WriteTextFile;

std::map<std::string, std::string> KeyContents(HKEY root, const std::string& path) {
  std::map<std::string, std::string> contents;
  testing::AddRegistryTree(root, path, contents);
  return contents;
}

UniqueHandle HoldWithoutSharing(const std::string& path) {
  return UniqueHandle(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class InstallTransactionTest : public ::testing::Test {
 protected:
  std::string InDestination(const std::string& name) const { return destination_.File(name); }
  std::string Backup() const { return destination_.Path() + TInstallTransaction::kBackupFolder; }

  TempDirectory destination_;
  TempDirectory elsewhere_;  // where the shortcuts go
};

TEST_F(InstallTransactionTest, ARollbackPutsBackReplacedAndDeletedFilesAndRemovesWhatIsNew) {
  WriteTextFile(InDestination("quorvel.exe"), "earlier program");
  ::SetFileAttributesA(InDestination("quorvel.exe").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteTextFile(InDestination("readme.txt"), "earlier readme");
  WriteTextFile(InDestination("notes.txt"), "the user's");
  std::vector<std::string> left{"not run"};
  {
    TInstallTransaction transaction(destination_.Path());
    transaction.MoveAside(InDestination("quorvel.exe"));
    transaction.MoveAside(InDestination("readme.txt"));  // deleted, not replaced
    transaction.MoveAside(InDestination("samples\\deeper\\welcome.htm"));
    EXPECT_FALSE(FileExists(InDestination("quorvel.exe"))) << "moved aside, so its place is free";
    EXPECT_TRUE(DirectoryExists(Backup()));

    WriteTextFile(InDestination("quorvel.exe"), "new program");
    // Named again, in other letters: the new file is not taken for the earlier one.
    transaction.MoveAside(InDestination("QUORVEL.EXE"));
    EXPECT_EQ(ReadTextFile(InDestination("quorvel.exe")), "new program");
    CreateDirectoryOrRaise(InDestination("samples"));
    CreateDirectoryOrRaise(InDestination("samples\\deeper"));
    WriteTextFile(InDestination("samples\\deeper\\welcome.htm"), "new sample");
    left = transaction.Rollback();
  }
  EXPECT_TRUE(left.empty());
  EXPECT_EQ(ReadTextFile(InDestination("quorvel.exe")), "earlier program");
  EXPECT_TRUE(::GetFileAttributesA(InDestination("quorvel.exe").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ReadTextFile(InDestination("readme.txt")), "earlier readme");
  EXPECT_EQ(ReadTextFile(InDestination("notes.txt")), "the user's");
  EXPECT_FALSE(DirectoryExists(InDestination("samples"))) << "new directories go, parents too";
  EXPECT_FALSE(DirectoryExists(Backup()));
  ::SetFileAttributesA(InDestination("quorvel.exe").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(InstallTransactionTest, ACommitDeletesTheBackupAndOnlyAnUnfinishedTransactionRollsBackWhenItEnds) {
  WriteTextFile(InDestination("quorvel.exe"), "earlier program");
  {
    TInstallTransaction transaction(destination_.Path());
    transaction.MoveAside(InDestination("quorvel.exe"));
    WriteTextFile(InDestination("quorvel.exe"), "new program");
    transaction.Commit();
  }
  EXPECT_EQ(ReadTextFile(InDestination("quorvel.exe")), "new program");
  EXPECT_FALSE(DirectoryExists(Backup()));

  {
    TInstallTransaction transaction(destination_.Path());
    transaction.MoveAside(InDestination("quorvel.exe"));
    WriteTextFile(InDestination("quorvel.exe"), "newer program");
  }
  EXPECT_EQ(ReadTextFile(InDestination("quorvel.exe")), "new program");
  EXPECT_FALSE(DirectoryExists(Backup()));
}

TEST_F(InstallTransactionTest, FilesOutsideTheDestinationAreKeptAsCopiesAndTheirNewFoldersRemoved) {
  const std::string earlier = elsewhere_.File("Quorvel 2.0.lnk");
  const std::string group = elsewhere_.File("Quorvel 2.0");
  WriteTextFile(earlier, "earlier shortcut");
  TInstallTransaction transaction(destination_.Path());
  transaction.KeepCopy(earlier);
  transaction.KeepCopy(group + "\\Readme.lnk");
  WriteTextFile(earlier, "new shortcut, longer than the earlier one");
  CreateDirectoryOrRaise(group);
  WriteTextFile(group + "\\Readme.lnk", "new shortcut");

  EXPECT_TRUE(transaction.Rollback().empty());
  EXPECT_EQ(ReadTextFile(earlier), "earlier shortcut");
  EXPECT_FALSE(DirectoryExists(group));
}

TEST_F(InstallTransactionTest, AFileAnotherProgramHoldsOpenIsNamedAndNothingIsMoved) {
  const std::string held = InDestination("uninstall.exe");
  WriteTextFile(held, "earlier uninstaller");
  TInstallTransaction transaction(destination_.Path());
  {
    const UniqueHandle file = HoldWithoutSharing(held);
    ASSERT_TRUE(file);
    try {
      transaction.MoveAside(held);
      ADD_FAILURE() << "a file held open was moved";
    } catch (const EInOutError& e) {
      EXPECT_NE(e.Message().find(held), std::string::npos) << e.Message();
    }
  }
  EXPECT_EQ(ReadTextFile(held), "earlier uninstaller");
  EXPECT_TRUE(transaction.Rollback().empty());
  EXPECT_EQ(ReadTextFile(held), "earlier uninstaller");
  EXPECT_FALSE(DirectoryExists(Backup()));
}

TEST_F(InstallTransactionTest, ARollbackThatMeetsAFailureGoesOnAndNamesWhatItLeft) {
  WriteTextFile(InDestination("quorvel.exe"), "earlier program");
  WriteTextFile(InDestination("readme.txt"), "earlier readme");
  TInstallTransaction transaction(destination_.Path());
  transaction.MoveAside(InDestination("readme.txt"));
  transaction.MoveAside(InDestination("quorvel.exe"));
  WriteTextFile(InDestination("quorvel.exe"), "new program");
  WriteTextFile(InDestination("readme.txt"), "new readme");

  std::vector<std::string> left;
  {
    // The new program runs and cannot be removed; the readme, put back after it, still is.
    const UniqueHandle running = HoldWithoutSharing(InDestination("quorvel.exe"));
    ASSERT_TRUE(running);
    left = transaction.Rollback();
  }
  const std::string kept = Backup() + "\\1";
  ASSERT_EQ(left, std::vector<std::string>{InDestination("quorvel.exe") + " (kept as " + kept + ")"});
  EXPECT_EQ(ReadTextFile(InDestination("readme.txt")), "earlier readme");
  EXPECT_EQ(ReadTextFile(InDestination("quorvel.exe")), "new program");
  EXPECT_EQ(ReadTextFile(kept), "earlier program") << "the earlier file is not lost";

  try {
    RaiseNotUndone(std::make_exception_ptr(Exception("Cannot write to file X")), left);
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot write to file X\r\n\r\nThese could not be put back as they were:\r\n" + left[0]);
  }
}

TEST(InstallTransactionRegistryTest, ARollbackPutsKeysBackValueForValueAndRemovesTheKeysItCreated) {
  const testing::TestRegistryKey scratch("Transaction");
  {
    const UniqueRegKey key = scratch.Create("Product");
    testing::TestRegistryKey::SetRaw(key.Get(), "InstallDir", REG_SZ, std::string("C:\\Earlier\0", 11));
    testing::TestRegistryKey::SetRaw(key.Get(), "Size", REG_DWORD, std::string("\x07\0\0\0", 4));
    testing::TestRegistryKey::SetRaw(key.Get(), "Path", REG_EXPAND_SZ, std::string("%ProgramFiles%\0", 15));
    testing::TestRegistryKey::SetRaw(key.Get(), "", REG_BINARY, std::string("\x01\x00\x02", 3));
    const UniqueRegKey sub = scratch.Create("Product\\shell\\open");
    testing::TestRegistryKey::SetRaw(sub.Get(), "", REG_SZ, std::string("earlier\0", 8));
  }
  const std::string product = scratch.Path() + "\\Product";
  const auto before = KeyContents(HKEY_CURRENT_USER, product);

  const TempDirectory destination;
  TInstallTransaction transaction(destination.Path());
  transaction.KeepKey(HKEY_CURRENT_USER, product);
  transaction.KeepKey(HKEY_CURRENT_USER, scratch.Path() + "\\Missing\\Deeper");
  {
    const UniqueRegKey key = scratch.Create("Product");
    testing::TestRegistryKey::SetRaw(key.Get(), "InstallDir", REG_SZ, std::string("C:\\New\0", 7));
    testing::TestRegistryKey::SetRaw(key.Get(), "Size", REG_SZ, std::string("7\0", 2));
    testing::TestRegistryKey::SetRaw(key.Get(), "Added", REG_SZ, std::string("new\0", 4));
    ::RegDeleteValueA(key.Get(), "Path");
    ::RegDeleteTreeA(key.Get(), "shell");
    scratch.Create("Product\\Added\\Below");
    const UniqueRegKey created = scratch.Create("Missing\\Deeper");
    testing::TestRegistryKey::SetRaw(created.Get(), "Value", REG_SZ, std::string("new\0", 4));
  }
  EXPECT_TRUE(transaction.Rollback().empty());
  EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, product), before);
  EXPECT_TRUE(KeyContents(HKEY_CURRENT_USER, scratch.Path() + "\\Missing").empty())
      << "the first level that was missing goes, with all below it";
  EXPECT_FALSE(KeyContents(HKEY_CURRENT_USER, scratch.Path()).empty()) << "the level above it stays";
}

}  // namespace
}  // namespace kavrix
