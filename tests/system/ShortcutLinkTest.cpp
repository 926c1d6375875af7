#include <gtest/gtest.h>

#include "ShellLinkReader.h"
#include "SystemTestSupport.h"
#include "system/PBSystem.h"
#include "system/ShortcutLink.h"

namespace kavrix {
namespace {

using testing::ReadShellLinkFile;
using testing::ShellLinkFile;

class ShortcutLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteTextFile(temp_.File("target.exe"), "");
    testing::WriteTextFile(temp_.File("other.exe"), "");
    link_.SetTarget(temp_.File("target.exe"));
    link_.SetShortcutFile(temp_.File("first.lnk"));
  }

  testing::TempDirectory temp_;
  TShortcutLink link_;
};

TEST_F(ShortcutLinkTest, FreshComponentWritesNoHotKeyAndShowCommandNine) {
  EXPECT_EQ(link_.HotKey(), " ");
  EXPECT_EQ(link_.ShowCmd(), scShowNormal);
  link_.CreateShortcut();
  const ShellLinkFile file = ReadShellLinkFile(link_.ShortcutFile());
  EXPECT_EQ(file.showCommand, 9u);
  EXPECT_EQ(file.hotKey, 0u);
  EXPECT_EQ(file.localBasePath, link_.Target());
  EXPECT_EQ(file.arguments, "");
  EXPECT_EQ(file.description, "");
  EXPECT_EQ(file.iconLocation, "");
}

TEST_F(ShortcutLinkTest, EveryPropertyReachesTheFile) {
  link_.SetWorkingDir(temp_.Path());
  link_.SetArguments("/readme \"two words\"");
  link_.SetDescription(
      "Quorvel 2.0 \xE9"
      "dition");  // ANSI text beyond ASCII
  link_.SetIconLocation(temp_.File("other.exe"));
  link_.SetIconNumber(3);
  link_.SetShowCmd(scShowMaximized);
  link_.SetHotKey("q");
  link_.CreateShortcut();
  const ShellLinkFile file = ReadShellLinkFile(link_.ShortcutFile());
  EXPECT_EQ(file.localBasePath, link_.Target());
  EXPECT_EQ(file.workingDir, temp_.Path());
  EXPECT_EQ(file.arguments, "/readme \"two words\"");
  EXPECT_EQ(file.description,
            "Quorvel 2.0 \xE9"
            "dition");
  EXPECT_EQ(file.iconLocation, temp_.File("other.exe"));
  EXPECT_EQ(file.iconIndex, 3);
  EXPECT_EQ(file.showCommand, 3u);
  EXPECT_EQ(file.hotKey, 0x0651);
}

TEST_F(ShortcutLinkTest, HotKeyIsCtrlAltAndTheFirstCharacterUpperCased) {
  const struct {
    const char* text;
    const char* readBack;
    uint16_t written;
  } cases[] = {
      {"a", "A", 0x0641}, {"quit", "Q", 0x0651}, {"7", "7", 0x0637}, {"Z", "Z", 0x065A},
      {"", " ", 0},       {" ", " ", 0},         {"\t", " ", 0},     {"\xE9", "\xE9", 0x06E9},
  };
  for (const auto& c : cases) {
    link_.SetHotKey(c.text);
    EXPECT_EQ(link_.HotKey(), c.readBack) << c.text;
    link_.CreateShortcut();
    EXPECT_EQ(ReadShellLinkFile(link_.ShortcutFile()).hotKey, c.written) << c.text;
  }
}

TEST_F(ShortcutLinkTest, ShowCmdMapsToTheStoredShowCommand) {
  const struct {
    TShowCmd value;
    uint32_t written;
  } cases[] = {{scShowMaximized, 3}, {scShowMinimized, 7}, {scShowNormal, 9}};
  for (const auto& c : cases) {
    link_.SetShowCmd(c.value);
    EXPECT_EQ(link_.ShowCmd(), c.value);
    link_.CreateShortcut();
    EXPECT_EQ(ReadShellLinkFile(link_.ShortcutFile()).showCommand, c.written);
  }
}

TEST_F(ShortcutLinkTest, ConsecutiveShortcutsShareWhatWasNotChanged) {
  link_.SetWorkingDir(temp_.Path());
  link_.SetDescription("Quorvel");
  link_.SetIconLocation(temp_.File("target.exe"));
  link_.SetHotKey("k");
  link_.CreateShortcut();
  link_.SetTarget(temp_.File("other.exe"));
  link_.SetShortcutFile(temp_.File("second.lnk"));
  link_.CreateShortcut();
  const ShellLinkFile first = ReadShellLinkFile(temp_.File("first.lnk"));
  const ShellLinkFile second = ReadShellLinkFile(temp_.File("second.lnk"));
  EXPECT_EQ(first.localBasePath, temp_.File("target.exe"));
  EXPECT_EQ(second.localBasePath, temp_.File("other.exe"));
  for (const ShellLinkFile* file : {&first, &second}) {
    EXPECT_EQ(file->workingDir, temp_.Path());
    EXPECT_EQ(file->description, "Quorvel");
    EXPECT_EQ(file->iconLocation, temp_.File("target.exe"));
    EXPECT_EQ(file->hotKey, 0x064B);
  }
}

TEST_F(ShortcutLinkTest, UnwritablePathsRaiseShortcutError) {
  const auto expectFailure = [&](const std::string& path) {
    link_.SetShortcutFile(path);
    try {
      link_.CreateShortcut();
      ADD_FAILURE() << "saved " << path;
    } catch (const EShortcutError& error) {
      EXPECT_EQ(error.Message(), "Unable to create .lnk file");
    }
    EXPECT_FALSE(testing::FileExists(path));
  };
  expectFailure(temp_.File("no such folder\\a.lnk"));

  // MAX_PATH counts the terminating zero: 259 characters fit, 260 do not.
  std::string folder = temp_.File(std::string(200 - temp_.Path().size() - 1, 'f'));
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  const auto pathOfLength = [&](size_t length) {
    return folder + "\\" + std::string(length - folder.size() - 1 - 4, 'n') + ".lnk";
  };
  expectFailure(pathOfLength(260));
  expectFailure(pathOfLength(300));
  link_.SetShortcutFile(pathOfLength(259));
  link_.CreateShortcut();
  EXPECT_EQ(ReadShellLinkFile(pathOfLength(259)).localBasePath, link_.Target());
}

TEST_F(ShortcutLinkTest, SpecialFoldersAreTheShellsWithoutTrailingBackslash) {
  const std::string programs = link_.GetProgramsFolder();
  ASSERT_FALSE(programs.empty());
  EXPECT_NE(programs.back(), '\\');
  EXPECT_EQ(programs, TPBSystemPath().Programs()) << "the shell and the user's shell-folder key agree";
  EXPECT_EQ(link_.GetSpecialFolder(CSIDL_PROGRAMS), programs);
  EXPECT_EQ(link_.GetSpecialFolder(0xFF), "") << "no such folder number";
  EXPECT_EQ(link_.GetSpecialFolder(CSIDL_DRIVES), "") << "a folder outside the file system";
}

TEST_F(ShortcutLinkTest, AThousandOperationsLeaveNoHandleOpen) {
  // The shell keeps what its first uses load, a failed save included, for the process.
  link_.CreateShortcut();
  link_.GetProgramsFolder();
  link_.SetShortcutFile(temp_.File("no such folder\\a.lnk"));
  EXPECT_THROW(link_.CreateShortcut(), EShortcutError);
  const unsigned before = testing::ProcessHandleCount();
  // A thousand operations: folder look-ups, refused saves and saves.
  for (int i = 0; i < 400; ++i) {
    link_.GetProgramsFolder();
    EXPECT_THROW(link_.CreateShortcut(), EShortcutError);
  }
  link_.SetShortcutFile(temp_.File("loop.lnk"));
  for (int i = 0; i < 200; ++i) link_.CreateShortcut();
  EXPECT_EQ(testing::ProcessHandleCount(), before);
}

}  // namespace
}  // namespace kavrix
