// The wizard driven from the keyboard alone, as its users without a mouse drive it, and
// closed by Alt+F4 and the system menu on every page.

#include "EndToEndFixture.h"

namespace kavrix::e2e {
namespace {

constexpr char kExpectNextFocused[] = "expect-focus \"&Next >\"\n";

// Each key of `keys` pressed as the keyboard presses it.
std::string Press(const std::string& keys) { return "press " + keys + "\n"; }

TEST_F(InstallerEndToEnd, EnterAloneInstallsWithTheDefaults) {
  std::string steps = kWizard;
  for (int page = 0; page < 4; ++page) steps += kExpectNextFocused + Press("enter");
  steps += "expect-visible \"&Finish\" yes\nexpect-focus \"&Finish\"\n" + Press("enter");
  Drive("keys-enter", steps);

  ExpectProductInstalledIn(DefaultDestination());
  ExpectRowsOneToThree(DefaultDestination());
  ExpectRightClickVerb(DefaultDestination());
  ExpectEditWithEntry(DefaultDestination());
  EXPECT_FALSE(EndProcesses("quorvel.exe")) << "Finish starts nothing unasked";
}

TEST_F(InstallerEndToEnd, TabAndSpaceReachEveryControlAndChooseTheDestination) {
  // The folder the chooser's list jumps to by its first letter.
  const std::string parent = ProgramFiles() + "\\Kavrix E2E";
  fs::create_directories(parent);
  const std::string target = parent + "\\Keys";
  const std::string steps =
      std::string(kWizard) + kExpectNextFocused +
      // Welcome: Back is disabled and skipped; Shift+Tab goes round the other way.
      Press("tab") + "expect-focus Cancel\n" + Press("tab") + kExpectNextFocused + Press("shift+tab") +
      "expect-focus Cancel\n" + Press("space") + "window Warning\n" + Press("escape") + kWizard +
      kExpectNextFocused + Press("alt+n") +
      // Licence: the text, then the button row in reading order.
      "expect-enabled \"< &Back\" yes\n" + kExpectNextFocused + Press("tab") + "expect-focused Edit\n" +
      Press("tab") + "expect-focus Cancel\n" + Press("tab") + "expect-focus \"< &Back\"\n" + Press("tab") +
      kExpectNextFocused + Press("shift+tab") + "expect-focus \"< &Back\"\n" + Press("space") +
      "expect-enabled \"< &Back\" no\n" + kExpectNextFocused + Press("enter enter") +
      // Destination: Browse, a folder picked with the keys, a new one typed below it.
      "expect-visible \"&Browse...\" yes\n" + kExpectNextFocused + Press("tab") +
      "expect-focus \"&Browse...\"\n" + Shot("keys-page2-browse-focused") + Press("space") +
      "window Directory...\n" + "expect-focused ListBox\n" + Press("k") + Press("alt+n") +
      "window \"New directory...\"\n" + "expect-focused Edit\n" + "type Keys\n" +
      "expect-focused Edit Keys\n" + Press("enter") + "window Directory...\n" + "expect-focus &New...\n" +
      Press("shift+tab shift+tab") + "expect-focus OK\n" + Press("enter") + kWizard + kExpectNextFocused + Press("enter") +
      // Options: both boxes unchecked with Space.
      "expect-visible \"" + kOptionRightClick + "\" yes\n" + kExpectNextFocused + Press("tab") +
      "expect-focus \"" + kOptionRightClick + "\"\n" + Press("space") + "expect-checked \"" +
      kOptionRightClick + "\" off\n" + Press("tab") + "expect-focus \"" + kOptionEditWith + "\"\n" +
      Press("space") + "expect-checked \"" + kOptionEditWith + "\" off\n" + Shot("keys-page3-options") +
      Press("tab") + "expect-focus Cancel\n" + Press("tab tab") + kExpectNextFocused + Press("enter") +
      // Finish: the two boxes, then Finish; Cancel and Back are disabled and skipped.
      "expect-visible \"&Finish\" yes\nexpect-focus \"&Finish\"\n" + Press("tab") +
      "expect-focus \"Yes, I want to view Readme.txt now.\"\n" + Press("tab") +
      "expect-focus \"Yes, I want to run Quorvel 2.0 now.\"\n" + Press("tab") + "expect-focus \"&Finish\"\n" +
      Press("enter");
  Drive("keys-tab", steps);

  ExpectProductInstalledIn(target);
  ExpectRowsOneToThree(target);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "htmlfile\\shell\\Edit with Quorvel 2.0"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".htm\\OpenWithList\\Quorvel 2.0"));
  EXPECT_FALSE(EndProcesses("quorvel.exe"));
}

TEST_F(InstallerEndToEnd, AltBSharedByBackAndBrowseMovesTheFocusBetweenThemAndPressesNeither) {
  const std::string browse = "expect-focus \"&Browse...\"\n";
  const std::string back = "expect-focus \"< &Back\"\n";
  const std::string stillOnTheDestinationPage = "expect-visible \"&Browse...\" yes\n";
  Drive("keys-alt-b", std::string(kWizard) + Press("enter enter") + stillOnTheDestinationPage + kExpectNextFocused +
                          Press("alt+b") + browse + Press("alt+b") + back + Press("alt+b") + browse +
                          Press("alt+b") + back + stillOnTheDestinationPage + Press("b") + browse +
                          // A key of one button still presses it.
                          Press("alt+n") + "expect-visible \"" + kOptionRightClick + "\" yes\n" + Press("alt+b") +
                          stillOnTheDestinationPage + "click Cancel\nwindow Warning\n" + Press("enter"));
  EXPECT_FALSE(fs::exists(DefaultDestination()));
}

TEST_F(InstallerEndToEnd, AltF4AsksAsCancelDoesOnTheFirstFourPagesAndTheBackdropStaysOpen) {
  std::string steps = kWizard;
  for (int page = 0; page < 4; ++page) {
    // Asked to close by the keyboard and, on the next page, by the system menu (or another
    // program); No keeps the page. The backdrop below the wizard gets the same request
    // and must not end the program around it.
    steps += page % 2 == 0 ? Press("alt+f4") : "close \"Quorvel 2.0 Kavrix\" KavrixWindow\n";
    steps += std::string("window Warning\n") + Press("escape") + kWizard +
             "expect-visible \"&Browse...\" " + (page == 2 ? "yes" : "no") + "\n" + kExpectNextFocused;
    if (page < 3) steps += Press("enter");
  }
  steps += Press("alt+f4") + "window Warning\n" + Press("enter");
  Drive("keys-alt-f4", steps);

  EXPECT_FALSE(fs::exists(DefaultDestination()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Veddal"));
  EXPECT_FALSE(fs::exists(TemporaryArchive()));
}

TEST_F(InstallerEndToEnd, AltF4DoesNothingAfterAFailedInstallationAndClosesTheFinishPageWithoutStarting) {
  // A file where the destination directory would go: the installation fails on page 4.
  std::ofstream(DefaultDestination()) << "in the way";
  Drive("keys-alt-f4-failure", std::string(kWizard) + Press("enter enter enter enter") +
                                   "window \"Quorvel 2.0 Kavrix\" #32770\n" + Press("enter") + kWizard +
                                   "expect-enabled Cancel yes\n" + Press("alt+f4") +
                                   "close \"Quorvel 2.0 Kavrix\" KavrixWindow\n" + "sleep 1000\n" +
                                   "wait-gone Warning\n" + kWizard + "click Cancel\n" + "window Warning\n" +
                                   Press("enter"));
  fs::remove(DefaultDestination());

  Drive("keys-alt-f4-finish", std::string(kWizard) + Press("enter enter enter enter") +
                                  "expect-focus \"&Finish\"\n" +
                                  "check \"Yes, I want to view Readme.txt now.\" on\n" +
                                  "check \"Yes, I want to run Quorvel 2.0 now.\" on\n" + Press("alt+f4"));
  ExpectProductInstalledIn(DefaultDestination());
  EXPECT_FALSE(EndProcesses("quorvel.exe")) << "closing is not Finish";
  EXPECT_FALSE(EndProcesses("notepad.exe"));
}

}  // namespace
}  // namespace kavrix::e2e
