// Installations of the demo product: the road through the six pages, the options, the
// directory dialogs, failures and the uninstaller.

#include "EndToEndFixture.h"

namespace kavrix::e2e {
namespace {

TEST_F(InstallerEndToEnd, ADefaultInstallationWithBothFinishOptions) {
  // Leftovers of an earlier installation: a stale help file and a read-only program.
  fs::create_directories(DefaultDestination());
  std::ofstream(DefaultDestination() + "\\quorvel.hlp") << "stale";
  std::ofstream(DefaultDestination() + "\\quorvel.exe") << "stale";
  ::SetFileAttributesA((DefaultDestination() + "\\quorvel.exe").c_str(), FILE_ATTRIBUTE_READONLY);

  Drive("default", "window Loading...\n" + Shot("splash") + ToOptionsPage("default") + kNext +
                       "sleep 600\n" + Shot("default-page4") + "expect-visible \"&Finish\" yes\n" +
                       "expect-focus \"&Finish\"\n" + "expect-enabled Cancel no\n" + Shot("default-page5") +
                       "check \"Yes, I want to view Readme.txt now.\" on\n" +
                       "check \"Yes, I want to run Quorvel 2.0 now.\" on\n" + "click \"&Finish\"\n");

  ExpectProductInstalledIn(DefaultDestination());
  EXPECT_FALSE(fs::exists(DefaultDestination() + "\\quorvel.hlp"));
  ExpectRowsOneToThree(DefaultDestination());
  ExpectRightClickVerb(DefaultDestination());
  ExpectEditWithEntry(DefaultDestination());
  ExpectShortcuts(DefaultDestination());
  EXPECT_FALSE(fs::exists(TemporaryArchive())) << "the temporary archive is deleted at exit";
  // Started by the desktop's shell, which runs as the user, not by the elevated installer.
  EXPECT_STRCASEEQ(ParentImageName("quorvel.exe").c_str(), "explorer.exe");
  EXPECT_STRCASEEQ(ParentImageName("notepad.exe").c_str(), "explorer.exe");
  EXPECT_TRUE(EndProcesses("quorvel.exe")) << "Finish starts the program";
  EXPECT_TRUE(EndProcesses("notepad.exe")) << "Finish opens the readme in Notepad";

  // The shell's "Edit with Quorvel 2.0" command opens an HTML file in the program.
  std::string command = *RegistryString(HKEY_CLASSES_ROOT, "htmlfile\\shell\\Edit with Quorvel 2.0\\command", "");
  command.replace(command.find("%1"), 2, DefaultDestination() + "\\samples\\welcome.htm");
  ExpectWindowOf(command, "welcome.htm - Quorvel 2.0");
}

TEST_F(InstallerEndToEnd, CancelAsksFirstAndNoKeepsThePage) {
  std::string steps = kWizard;
  for (int page = 0; page < 4; ++page) {
    // No (Escape) keeps the page and its buttons.
    steps += "click Cancel\nwindow Warning\n";
    if (page == 0) steps += Shot("message-box");
    steps += std::string("key escape\n") + kWizard +
             "expect-enabled \"< &Back\" " + (page == 0 ? "no" : "yes") + "\n" +
             "expect-visible \"&Browse...\" " + (page == 2 ? "yes" : "no") + "\n";
    if (page < 3) steps += kNext;
  }
  steps += "expect-checked \"" + std::string(kOptionEditWith) + "\" on\n";
  // Yes (Enter) ends the installer without installing anything.
  steps += "click Cancel\nwindow Warning\nkey enter\n";
  Drive("cancel", steps);

  EXPECT_FALSE(fs::exists(DefaultDestination()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Veddal"));
  EXPECT_FALSE(fs::exists(Programs() + "\\Quorvel 2.0"));
  EXPECT_FALSE(fs::exists(TemporaryArchive()));
}

TEST_F(InstallerEndToEnd, ANewDirectoryFromBrowseWithOnlyTheEditWithOption) {
  const std::string target = ProgramFiles() + "\\Kavrix E2E";
  // Without the "Open with" list the registry step says so in a box, then writes it anyway.
  ::RegDeleteKeyA(HKEY_CLASSES_ROOT, kOpenWithList);
  Drive("browse", std::string(kWizard) + kNext + kNext + "click \"&Browse...\"\n" +
                      "window Directory...\n" + Shot("directory") + "click \"&New...\"\n" +
                      "window \"New directory...\"\n" + "set-text Edit 0 \"\\Kavrix E2E\"\n" +
                      Shot("new-directory") + "click \"&Create\"\n" + "window Directory...\n" + "click OK\n" +
                      kWizard + kNext + "check \"" + kOptionRightClick + "\" off\n" + kNext +
                      "window Error #32770\n" + Shot("missing-parent-key") + "click OK\n" + kWizard +
                      "expect-visible \"&Finish\" yes\n" + "click \"&Finish\"\n");

  ExpectProductInstalledIn(target);
  ExpectRowsOneToThree(target);
  ExpectEditWithEntry(target);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "htmlfile\\shell\\Edit with Quorvel 2.0"));
  EXPECT_FALSE(EndProcesses("quorvel.exe")) << "nothing is started without the finish options";
  EXPECT_FALSE(EndProcesses("notepad.exe"));
}

TEST_F(InstallerEndToEnd, BackToTheLicenceRestoresTheDefaultAndNoOptionsWriteOnlyTheFirstRows) {
  Drive("back", std::string(kWizard) + kNext + kNext + "click \"&Browse...\"\n" + "window Directory...\n" +
                    "click \"&New...\"\n" + "window \"New directory...\"\n" +
                    "set-text Edit 0 Elsewhere\n" + "click \"&Create\"\n" + "window Directory...\n" +
                    "click OK\n" + kWizard + "click \"< &Back\"\n" + "expect-visible \"&Browse...\" no\n" +
                    kNext + kNext + "check \"" + kOptionRightClick + "\" off\n" + "check \"" +
                    kOptionEditWith + "\" off\n" + kNext + "expect-visible \"&Finish\" yes\n" +
                    "click \"&Finish\"\n");

  ExpectProductInstalledIn(DefaultDestination());
  ExpectRowsOneToThree(DefaultDestination());
  EXPECT_TRUE(fs::is_empty(ProgramFiles() + "\\Elsewhere")) << "created by the dialog, not installed into";
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "htmlfile\\shell\\Edit with Quorvel 2.0"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".htm\\OpenWithList\\Quorvel 2.0"));
}

TEST_F(InstallerEndToEnd, ADestinationThatCannotBeCreatedShowsTheErrorAndLeavesOnlyCancel) {
  // A file where the destination directory would go.
  std::ofstream(DefaultDestination()) << "in the way";
  Drive("failure", std::string(kWizard) + kNext + kNext + kNext + kNext +
                       "window \"Quorvel 2.0 Kavrix\" #32770\n" + Shot("failure-message") + "click OK\n" +
                       kWizard + "expect-enabled \"&Next >\" no\n" + "expect-enabled \"< &Back\" no\n" +
                       "expect-enabled Cancel yes\n" + "click Cancel\n" + "window Warning\n" + "click &Yes\n");

  EXPECT_TRUE(fs::is_regular_file(DefaultDestination())) << "the file in the way is left alone";
  EXPECT_FALSE(fs::exists(Programs() + "\\Quorvel 2.0"));
  EXPECT_FALSE(fs::exists(TemporaryArchive()));
}

TEST_F(InstallerEndToEnd, TheUninstallEntryRemovesTheInstallationButNotTheUsersFiles) {
  Drive("install", std::string(kWizard) + kNext + kNext + kNext + kNext + "expect-visible \"&Finish\" yes\n" +
                       "click \"&Finish\"\n");
  std::ofstream(DefaultDestination() + "\\my notes.txt") << "mine";

  RunScript("uninstall", StartUninstallEntry() + "window \"Uninstall Quorvel 2.0\" #32770 &Yes\n" +
                             Shot("uninstall-confirm") + "click &Yes\n" +
                             "window \"Uninstall Quorvel 2.0\" #32770 OK\n" + Shot("uninstall-done") +
                             "click OK\n" + "wait-process-exit\n");
  // The uninstaller's copy removes uninstall.exe once the original has ended.
  for (int i = 0; i < 100 && fs::exists(DefaultDestination() + "\\uninstall.exe"); ++i) ::Sleep(100);

  std::vector<std::string> left;
  for (const auto& entry : fs::recursive_directory_iterator(DefaultDestination())) {
    left.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{"my notes.txt"}) << "only the user's file stays, with its folder";
  EXPECT_FALSE(fs::exists(Programs() + "\\Quorvel 2.0"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Veddal"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "htmlfile\\shell\\Edit with Quorvel 2.0"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".htm\\OpenWithList\\Quorvel 2.0"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kOpenWithList)) << "the shell's own list stays";
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "htmlfile\\shell"));
}

}  // namespace
}  // namespace kavrix::e2e
