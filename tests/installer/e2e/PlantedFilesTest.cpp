// setup.exe started from a folder anyone could have put files into, as a Downloads folder
// is: DLLs under the names of those it loads at run time and a notepad.exe lie beside it.
// Each attack is first shown to work on a program that does nothing against it.

#include "EndToEndFixture.h"
#include "PlantedFiles.h"

namespace kavrix::e2e {
namespace {

class PlantedFiles : public InstallerEndToEnd {
 protected:
  void SetUp() override {
    InstallerEndToEnd::SetUp();
    std::error_code ignored;
    fs::remove_all(downloads_, ignored);
    fs::create_directories(downloads_);
  }
  void TearDown() override {
    InstallerEndToEnd::TearDown();
    std::error_code ignored;
    fs::remove_all(downloads_, ignored);
  }

  std::string downloads_ = ModuleDirectory() + "\\downloads";
};

TEST_F(PlantedFiles, DllsAndANotepadBesideSetupAreNotTaken) {
  const std::vector<std::string>& names = planted::kRunTimeLibraries;
  const planted::FoundLibrariesPreferred preferred(names);
  ASSERT_TRUE(planted::PlantLibraries(downloads_, names));
  const std::string notepad = downloads_ + "\\notepad.exe";
  ASSERT_TRUE(planted::PlantProgram(notepad));

  std::string loadAll = "load";
  for (const std::string& name : names) loadAll += " " + name;
  EXPECT_EQ(planted::RunUnprotected(downloads_, loadAll), 0);
  EXPECT_EQ(planted::TakeLoadedMarkers(downloads_, names), names) << "a program in that folder takes the DLLs";
  EXPECT_EQ(planted::RunUnprotected(downloads_, "run notepad.exe"), 0);
  EXPECT_TRUE(fs::remove(planted::ProgramMarker(notepad))) << "and starts the notepad.exe beside it";

  ASSERT_TRUE(::CopyFileA((ModuleDirectory() + "\\setup.exe").c_str(), (downloads_ + "\\setup.exe").c_str(), FALSE));
  Drive("planted", std::string(kWizard) + kNext + kNext + kNext + kNext + "expect-visible \"&Finish\" yes\n" +
                       "check \"Yes, I want to view Readme.txt now.\" on\n" + "click \"&Finish\"\n",
        "downloads\\setup.exe");

  ExpectProductInstalledIn(DefaultDestination());
  EXPECT_EQ(planted::TakeLoadedMarkers(downloads_, names), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(planted::ProgramMarker(notepad))) << "the planted notepad.exe ran";
  // The system's Notepad shows the readme, started by the desktop's shell or directly.
  HWND readme = nullptr;
  for (int i = 0; i < 100 && !readme; ++i, ::Sleep(100)) readme = ::FindWindowA(nullptr, "readme.txt - Notepad");
  EXPECT_NE(readme, nullptr) << "Finish opens the readme in the system's Notepad";
}

// A program on the unquoted path's way: "C:\Program.exe" for "C:\Program Files\...".
TEST_F(PlantedFiles, TheUninstallEntryIsRunAsStoredAndNoProgramOnItsPathRunsInstead) {
  const std::string installed = DefaultDestination() + "\\uninstall.exe";
  const std::string shortened = installed.substr(0, installed.find(' ')) + ".exe";
  ASSERT_NE(shortened, installed + ".exe") << "the test needs a destination with a space";
  ASSERT_TRUE(planted::PlantProgram(shortened));
  struct Unplant {
    std::string program;
    ~Unplant() {
      ::DeleteFileA(program.c_str());
      ::DeleteFileA(planted::ProgramMarker(program).c_str());
    }
  } unplant{shortened};

  Drive("entry-install", std::string(kWizard) + kNext + kNext + kNext + kNext + "expect-visible \"&Finish\" yes\n" +
                             "click \"&Finish\"\n");
  EXPECT_EQ(planted::RunUnprotected(downloads_, "run " + installed), 0);
  EXPECT_TRUE(fs::remove(planted::ProgramMarker(shortened))) << "unquoted, the path starts " << shortened;

  RunScript("entry-uninstall", StartUninstallEntry() + "window \"Uninstall Quorvel 2.0\" #32770 &Yes\n" +
                                   "click &Yes\n" + "window \"Uninstall Quorvel 2.0\" #32770 OK\n" + "click OK\n" +
                                   "wait-process-exit\n");
  EXPECT_FALSE(fs::exists(planted::ProgramMarker(shortened)));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "the entry's command uninstalled";
}

}  // namespace
}  // namespace kavrix::e2e
