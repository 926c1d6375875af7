// uninstall.exe on a simulated installation: the installed files, the four shortcuts,
// the registry rows and the uninstall entry as the installer makes them, and the
// built uninstaller copied into the destination and run in quiet mode.

#include <gtest/gtest.h>
#include <shlwapi.h>

#include "InstalledFiles.h"
#include "PlantedFiles.h"
#include "ProductTestSupport.h"
#include "system/Registry.h"
#include "system/ShortcutLink.h"
#include "uninstaller/Uninstaller.h"

namespace kavrix {
namespace {

using testing::FileExists;
using testing::DirectoryExists;

// `text` in double quotes. (Built up in steps: GCC 12 warns falsely about "\"" + text.)
std::string Quoted(const std::string& text) {
  std::string quoted(1, '"');
  quoted += text;
  quoted += '"';
  return quoted;
}

bool KeyExists(HKEY root, const std::string& path) {
  UniqueRegKey key;
  return registry::OpenKey(root, path, KEY_QUERY_VALUE, key) == ERROR_SUCCESS;
}

void SetString(HKEY root, const std::string& path, const std::string& name, const std::string& value) {
  UniqueRegKey key;
  ASSERT_EQ(registry::CreateKey(root, path, key), ERROR_SUCCESS) << path;
  ASSERT_EQ(::RegSetValueExA(key.Get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1)),
            ERROR_SUCCESS);
}

void SetDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
  UniqueRegKey key;
  ASSERT_EQ(registry::CreateKey(root, path, key), ERROR_SUCCESS) << path;
  ASSERT_EQ(::RegSetValueExA(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                             sizeof value),
            ERROR_SUCCESS);
}

// What an installation into a scratch folder leaves on the machine; removed again at
// the end whatever the uninstaller did.
class SimulatedInstallation {
 public:
  SimulatedInstallation() : destination_(folder_.Path() + "\\Quorvel 2.0"), group_(Programs() + kShortcutGroup) {
    Cleanup();  // what a crashed earlier run may have left
    testing::MakeDirectory(destination_);
    for (std::string_view directory : kInstalledDirectories) {
      // Listed deepest first; parents are made on the way.
      std::string path = destination_;
      for (size_t start = 0; start <= directory.size();) {
        const size_t end = std::min(directory.find('\\', start), directory.size());
        path += '\\';
        path += directory.substr(start, end - start);
        testing::MakeDirectory(path);
        start = end + 1;
      }
    }
    for (std::string_view name : kInstalledFiles) {
      const std::string path = destination_ + "\\" + std::string(name);
      if (name == kUninstallerName) {
        testing::CopyProgram(KAVRIX_UNINSTALL_EXE, path);
      } else {
        testing::WriteFile(path, "installed " + std::string(name));
      }
    }
    testing::MakeDirectory(group_);
    for (const char* shortcut : kShortcutFiles) testing::WriteFile(group_ + shortcut, "shortcut");

    const std::string command = Quoted(destination_ + "\\quorvel.exe") + " \"%1\"";
    SetString(HKEY_LOCAL_MACHINE, kProductKey, "InstallDir", destination_);
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Quorvel 2.0");
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", Quoted(destination_ + "\\uninstall.exe"));
    SetString(HKEY_CLASSES_ROOT, kEditVerbKey, "", "Edit with Quorvel 2.0");
    SetString(HKEY_CLASSES_ROOT, std::string(kEditVerbKey) + "\\command", "", command);
    SetString(HKEY_CLASSES_ROOT, std::string(kOpenWithKey) + "\\shell\\edit\\command", "", command);
    // The entry's further values, which Programs and Features shows.
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon", destination_ + "\\quorvel.exe");
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "2.0");
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher", "Veddal");
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", destination_);
    SetDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", 2048);
    SetDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify", 1);
    SetDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair", 1);
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString",
              Quoted(destination_ + "\\uninstall.exe") + " /S");
  }
  SimulatedInstallation(const SimulatedInstallation&) = delete;
  SimulatedInstallation& operator=(const SimulatedInstallation&) = delete;
  ~SimulatedInstallation() {
    Cleanup();
    // The uninstaller's copy and its folder are only deleted at the next start of the
    // system; the tests' copies go as soon as they have ended.
    for (const std::string& folder : CopyFolders()) {
      const std::string copy = folder + "\\" + kUninstallerName;
      testing::WaitUntil([&] { return !FileExists(copy) || ::DeleteFileA(copy.c_str()); }, 10'000);
      ::RemoveDirectoryA(folder.c_str());
    }
  }

  const std::string& Destination() const { return destination_; }
  const std::string& Group() const { return group_; }
  std::string File(std::string_view name) const { return destination_ + "\\" + std::string(name); }

  // Runs the destination's uninstaller with /S and returns its exit code.
  int RunQuiet() {
    const UniqueHandle process = testing::StartProcess(Quoted(File(kUninstallerName)) + " /S");
    if (process) uninstallerIds_.push_back(::GetProcessId(process.Get()));
    return process ? testing::WaitForExit(process.Get(), 60'000) : -1;
  }

  // The folders the copies of the uninstallers run here ran from.
  std::vector<std::string> CopyFolders() const {
    const std::string temp = testing::TempFolder();
    std::vector<std::string> folders;
    for (DWORD id : uninstallerIds_) {
      WIN32_FIND_DATAA found;
      const std::string pattern = temp + "\\Quorvel-uninstall-" + std::to_string(id) + "-*";
      const HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
      if (search == INVALID_HANDLE_VALUE) continue;
      do {
        folders.push_back(temp + "\\" + found.cFileName);
      } while (::FindNextFileA(search, &found));
      ::FindClose(search);
    }
    return folders;
  }

  // Waits until the uninstaller's copy has deleted the uninstaller.
  bool WaitForSelfRemoval() const {
    return testing::WaitUntil([&] { return !FileExists(File(kUninstallerName)); }, 20'000);
  }

  // Whether any of the registry entries the installation made still exist.
  static std::vector<std::string> RemainingKeys() {
    std::vector<std::string> remaining;
    for (auto [root, path] : {std::pair{HKEY_LOCAL_MACHINE, kProductKey}, std::pair{HKEY_LOCAL_MACHINE, "Software\\Veddal"},
                              std::pair{HKEY_LOCAL_MACHINE, kUninstallKey}, std::pair{HKEY_CLASSES_ROOT, kEditVerbKey},
                              std::pair{HKEY_CLASSES_ROOT, kOpenWithKey}}) {
      if (KeyExists(root, path)) remaining.push_back(path);
    }
    return remaining;
  }

 private:
  static std::string Programs() { return TShortcutLink().GetProgramsFolder(); }

  void Cleanup() const {
    ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Veddal");
    ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    ::SHDeleteKeyA(HKEY_CLASSES_ROOT, kEditVerbKey);
    ::SHDeleteKeyA(HKEY_CLASSES_ROOT, kOpenWithKey);
    testing::RemoveTree(group_);
  }

  testing::ScratchFolder folder_;
  std::string destination_;
  std::string group_;
  std::vector<DWORD> uninstallerIds_;
};

TEST(Uninstaller, QuietModeRemovesEverythingInstalledAndKeepsTheUsersFiles) {
  SimulatedInstallation installation;
  const std::string userFile = installation.File("my notes.txt");
  const std::string userFileInSamples = installation.File("samples\\my page.htm");
  const std::string userFolder = installation.File("my pages");
  testing::WriteFile(userFile, "mine");
  testing::WriteFile(userFileInSamples, "mine too");
  testing::MakeDirectory(userFolder);
  testing::WriteFile(userFolder + "\\index.htm", "mine as well");

  EXPECT_EQ(installation.RunQuiet(), kUninstallDone);
  EXPECT_TRUE(installation.WaitForSelfRemoval());
  for (std::string_view name : kInstalledFiles) EXPECT_FALSE(FileExists(installation.File(name))) << name;
  for (const char* shortcut : kShortcutFiles) EXPECT_FALSE(FileExists(installation.Group() + shortcut)) << shortcut;
  EXPECT_FALSE(DirectoryExists(installation.Group()));
  EXPECT_EQ(SimulatedInstallation::RemainingKeys(), std::vector<std::string>{});
  // The parents of the shell entries belong to the system.
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "htmlfile\\shell"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".htm\\OpenWithList"));

  EXPECT_EQ(testing::ReadFile(userFile), "mine");
  EXPECT_EQ(testing::ReadFile(userFileInSamples), "mine too");
  EXPECT_EQ(testing::ReadFile(userFolder + "\\index.htm"), "mine as well");
  EXPECT_TRUE(DirectoryExists(installation.Destination()));
}

TEST(Uninstaller, TheCopyRunsFromAFolderOfItsOwnAndTakesNoDllPlantedInTheTemporaryFolder) {
  // The run-time DLLs, and version.dll, which Wine's own user32 makes every program load
  // by name as it starts.
  std::vector<std::string> names = planted::kRunTimeLibraries;
  names.push_back("version.dll");
  const std::string temp = testing::TempFolder();
  const planted::FoundLibrariesPreferred preferred(names);
  ASSERT_TRUE(planted::PlantLibraries(temp, names));
  std::string loadAll = "load";
  for (const std::string& name : names) loadAll += " " + name;
  EXPECT_EQ(planted::RunUnprotected(temp, loadAll), 0);
  EXPECT_EQ(planted::TakeLoadedMarkers(temp, names), names) << "a program run from there takes them";

  SimulatedInstallation installation;
  EXPECT_EQ(installation.RunQuiet(), kUninstallDone);
  EXPECT_TRUE(installation.WaitForSelfRemoval());
  EXPECT_EQ(planted::TakeLoadedMarkers(temp, names), std::vector<std::string>{});
  const std::vector<std::string> folders = installation.CopyFolders();
  ASSERT_EQ(folders.size(), 1u) << "one new folder for the copy";
  EXPECT_TRUE(FileExists(folders[0] + "\\" + kUninstallerName));
  planted::RemoveLibraries(temp, names);
}

TEST(Uninstaller, AGroupHoldingTheUsersOwnShortcutStaysWithIt) {
  SimulatedInstallation installation;
  const std::string ownShortcut = installation.Group() + "\\My page.lnk";
  testing::WriteFile(ownShortcut, "shortcut");
  EXPECT_EQ(installation.RunQuiet(), kUninstallDone);
  for (const char* shortcut : kShortcutFiles) EXPECT_FALSE(FileExists(installation.Group() + shortcut)) << shortcut;
  EXPECT_TRUE(FileExists(ownShortcut));
  EXPECT_TRUE(installation.WaitForSelfRemoval());
}

TEST(Uninstaller, WithoutUserFilesTheDestinationGoesToo) {
  SimulatedInstallation installation;
  EXPECT_EQ(installation.RunQuiet(), kUninstallDone);
  EXPECT_TRUE(testing::WaitUntil([&] { return !DirectoryExists(installation.Destination()); }, 20'000));
  EXPECT_EQ(SimulatedInstallation::RemainingKeys(), std::vector<std::string>{});
}

TEST(Uninstaller, AFileHeldOpenIsReportedAndTheRestRemoved) {
  SimulatedInstallation installation;
  const std::string readme = installation.File("readme.txt");
  {
    // Open without delete sharing, as a viewer holding the file would.
    const UniqueHandle held(::CreateFileA(readme.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(installation.RunQuiet(), kUninstallIncomplete);
  }
  EXPECT_TRUE(FileExists(readme));
  EXPECT_FALSE(FileExists(installation.File("quorvel.exe")));
  EXPECT_TRUE(installation.WaitForSelfRemoval());
  EXPECT_EQ(SimulatedInstallation::RemainingKeys(), std::vector<std::string>{});
}

TEST(Uninstaller, RemovesNothingWhenTheRegistryNamesAnotherInstallation) {
  SimulatedInstallation installation;
  SetString(HKEY_LOCAL_MACHINE, kProductKey, "InstallDir", "C:\\Elsewhere\\Quorvel 2.0");
  EXPECT_EQ(installation.RunQuiet(), kUninstallRefused);
  for (std::string_view name : kInstalledFiles) EXPECT_TRUE(FileExists(installation.File(name))) << name;
  EXPECT_TRUE(FileExists(installation.Group() + kShortcutFiles[0]));
  EXPECT_EQ(SimulatedInstallation::RemainingKeys().size(), 5u);
}

TEST(Uninstaller, TheCleanupCopyDeletesNothingOnAForgedCommandLine) {
  testing::ScratchFolder folder;
  const std::string other = folder.Path() + "\\notes.txt";
  const std::string uninstaller = folder.Path() + "\\uninstall.exe";
  testing::WriteFile(other, "not an uninstaller");
  testing::WriteFile(uninstaller, "an uninstaller");
  HANDLE notAProcess = nullptr;  // waiting on it fails
  EXPECT_EQ(FinishSelfRemoval(notAProcess, other, folder.Path()), std::vector<std::string>{other});
  EXPECT_EQ(FinishSelfRemoval(notAProcess, uninstaller, folder.Path()), std::vector<std::string>{uninstaller});
  EXPECT_TRUE(FileExists(other));
  EXPECT_TRUE(FileExists(uninstaller));
}

TEST(Uninstaller, TheRecordedDirectoryMatchesWhateverItsSpelling) {
  testing::ScratchFolder folder;
  const std::string path = folder.Path();
  std::string upper = path;
  for (char& c : upper) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(SameDirectory(path, upper + "\\"));
  char shortPath[MAX_PATH] = {};
  if (::GetShortPathNameA(path.c_str(), shortPath, MAX_PATH) > 0) {
    EXPECT_TRUE(SameDirectory(path, shortPath));
  }
  EXPECT_FALSE(SameDirectory(path, path + "\\sub"));
  EXPECT_FALSE(SameDirectory(path, path + " 2"));
  // A destination at a drive root: the uninstaller's folder is "C:", the record "C:\\";
  // "C:" must not be taken for the current directory of that drive.
  char current[MAX_PATH];
  ::GetCurrentDirectoryA(MAX_PATH, current);
  ASSERT_TRUE(::SetCurrentDirectoryA(path.c_str()));
  const std::string drive = path.substr(0, 2);
  const bool rootMatches = SameDirectory(drive, drive + "\\");
  const bool rootIsNotCurrent = !SameDirectory(drive, path);
  ::SetCurrentDirectoryA(current);
  EXPECT_TRUE(rootMatches);
  EXPECT_TRUE(rootIsNotCurrent);
}

}  // namespace
}  // namespace kavrix
