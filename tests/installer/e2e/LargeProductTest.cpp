// The large test product (the demo product and a made-up tree of 24 MB in 1,200 files):
// installed whole while the wizard keeps answering the system and ignores what arrives
// meanwhile, then removed completely by its uninstaller.

#include <algorithm>
#include <iterator>

#include "EndToEndFixture.h"

namespace kavrix::e2e {
namespace {

// Where the build staged the product the large setup program carries.
const fs::path kStage = KAVRIX_LARGE_PRODUCT_STAGE;

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The files below `root`, relative, in one order.
std::vector<fs::path> FilesBelow(const fs::path& root) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), root));
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The page 4 checks, run at once after Next on the options page: the wizard answers the
// system's question several times while it installs, and clicks on Next, Back and
// Cancel, Enter, Escape and Alt+F4 arrive in the meantime.
std::string WhileInstalling() {
  std::string steps = "expect-enabled \"&Next >\" no\nexpect-responsive 1000\n";
  for (const char* button : {"\"&Next >\"", "\"< &Back\"", "Cancel"}) steps += std::string("post-click ") + button + "\n";
  for (const char* key : {"enter", "escape", "alt+f4"}) steps += std::string("post-key ") + key + "\n";
  for (int i = 0; i < 3; ++i) steps += "sleep 250\nexpect-responsive 1000\n";
  return steps;
}

TEST_F(InstallerEndToEnd, ALargeProductInstallsWholeWithTheWizardAliveAndUninstallsCompletely) {
  const std::vector<fs::path> staged = FilesBelow(kStage);
  ASSERT_GE(staged.size(), 1000u);

  Drive("large", std::string(kWizard) + kNext + kNext + kNext + kNext + WhileInstalling() +
                     "expect-visible \"&Finish\" yes\n" + Shot("large-page5") +
                     // Nothing of what arrived during the installation acted afterwards.
                     "wait-gone Warning\nexpect-enabled Cancel no\nexpect-focus \"&Finish\"\n" +
                     "click \"&Finish\"\n",
        "setup_large.exe");

  uintmax_t bytes = 0;
  for (const fs::path& file : staged) {
    const fs::path installed = fs::path(DefaultDestination()) / file;
    ASSERT_TRUE(fs::is_regular_file(installed)) << installed;
    const std::string expected = Contents(kStage / file);
    ASSERT_TRUE(Contents(installed) == expected) << installed << " differs from the product's file";
    bytes += expected.size();
  }
  EXPECT_GE(bytes, 20'000'000u);
  EXPECT_EQ(FilesBelow(DefaultDestination()).size(), staged.size()) << "installed exactly the product";
  ExpectRowsOneToThree(DefaultDestination());
  ExpectShortcuts(DefaultDestination());

  RunScript("large-uninstall", StartUninstallEntry() + "window \"Uninstall Quorvel 2.0\" #32770 &Yes\n" +
                                   "click &Yes\n" + "window \"Uninstall Quorvel 2.0\" #32770 OK\n" + "click OK\n" +
                                   "wait-process-exit\n");
  // The uninstaller's copy removes uninstall.exe and the folder once the original ended.
  for (int i = 0; i < 100 && fs::exists(DefaultDestination()); ++i) ::Sleep(100);
  EXPECT_FALSE(fs::exists(DefaultDestination())) << "nothing of the installation is left";
  EXPECT_FALSE(fs::exists(Programs() + "\\Quorvel 2.0"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Veddal"));
}

}  // namespace
}  // namespace kavrix::e2e
