#pragma once
// Whole installations, driven from outside like a user: each test resets the machine,
// lets windriver.exe start a setup program and work its windows through a script, and
// then checks what the installation left on the machine. Screenshots of the windows are
// kept in e2e-artifacts next to the test program.

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ShellLinkReader.h"
#include "archive/Lzh_btch.h"
#include "system/Win32Handles.h"

namespace kavrix::e2e {

namespace fs = std::filesystem;

constexpr char kWizard[] = "window \"Quorvel 2.0 Kavrix\" KavrixWindow \"&Next >\"\n";
constexpr char kNext[] = "click \"&Next >\"\n";
constexpr char kOpenWithList[] = ".htm\\OpenWithList";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvel 2.0";
constexpr char kOptionRightClick[] = "Add \"\"Edit with Quorvel 2.0\"\" to right click menu";
constexpr char kOptionEditWith[] = "Add \"\"Edit with Quorvel 2.0\"\" to Internet Explorer's \"\"Edit with\"\" list";

inline std::string ModuleDirectory() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path().string();
}

inline std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  ::SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
  return path;
}

inline std::string TempFolder() {
  char path[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, path);
  return path;
}

inline std::optional<std::string> RegistryString(HKEY root, const std::string& key, const std::string& name) {
  char data[1024] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  if (::RegGetValueA(root, key.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_ANY, &type, data, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
  return std::string(data);
}

inline bool KeyExists(HKEY root, const std::string& key) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  ::RegCloseKey(opened);
  return true;
}

// Ends every running program of this image name; true when there was one.
inline bool EndProcesses(const std::string& imageName) {
  const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = ::Process32First(snapshot.Get(), &entry); more; more = ::Process32Next(snapshot.Get(), &entry)) {
    if (_stricmp(entry.szExeFile, imageName.c_str()) != 0) continue;
    found = true;
    const UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
    if (process) {
      ::TerminateProcess(process.Get(), 0);
      ::WaitForSingleObject(process.Get(), 5000);
    }
  }
  return found;
}

// The image name of the process that started the running program `imageName`; empty
// when it is not running or its parent has ended.
inline std::string ParentImageName(const std::string& imageName) {
  const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  std::vector<PROCESSENTRY32> processes;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot.Get(), &entry); more; more = ::Process32Next(snapshot.Get(), &entry)) {
    processes.push_back(entry);
  }
  for (const PROCESSENTRY32& child : processes) {
    if (_stricmp(child.szExeFile, imageName.c_str()) != 0) continue;
    for (const PROCESSENTRY32& parent : processes) {
      if (parent.th32ProcessID == child.th32ParentProcessID) return parent.szExeFile;
    }
  }
  return {};
}

class InstallerEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(artifacts_);
    ResetMachine();
  }
  void TearDown() override {
    EndProcesses("quorvel.exe");
    EndProcesses("notepad.exe");
    ResetMachine();
  }

  static void ResetMachine() {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Veddal");
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, "htmlfile\\shell\\Edit with Quorvel 2.0");
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, ".htm\\OpenWithList\\Quorvel 2.0");
    // As on Windows, where the shell keeps an "Open with" list for .htm files.
    HKEY openWith = nullptr;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, kOpenWithList, 0, nullptr, 0, KEY_WRITE, nullptr, &openWith, nullptr) ==
        ERROR_SUCCESS) {
      ::RegCloseKey(openWith);
    }
    std::error_code ignored;
    for (const char* folder : {"\\Quorvel 2.0", "\\Kavrix E2E", "\\Elsewhere"}) {
      fs::remove_all(ProgramFiles() + folder, ignored);
    }
    fs::remove_all(Programs() + "\\Quorvel 2.0", ignored);
    fs::remove(TemporaryArchive(), ignored);
  }

  static std::string ProgramFiles() { return SpecialFolder(CSIDL_PROGRAM_FILES); }
  static std::string Programs() { return SpecialFolder(CSIDL_PROGRAMS); }
  static std::string DefaultDestination() { return ProgramFiles() + "\\Quorvel 2.0"; }
  static std::string TemporaryArchive() { return TempFolder() + "setup.qv2"; }

  // Starts `program` (setup.exe unless named) through the driver, runs `steps` against
  // it and expects it to end with exit code 0; screenshots named in the steps land in the
  // artifacts folder.
  void Drive(const std::string& name, const std::string& steps, const std::string& program = "setup.exe") {
    RunScript(name, "start \"" + ModuleDirectory() + "\\" + program + "\"\n" + steps + "expect-exit 0\n");
  }

  // A driver step that runs the uninstall entry's command exactly as stored, as the
  // system's list of programs does.
  static std::string StartUninstallEntry() {
    const std::optional<std::string> command = RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
    EXPECT_TRUE(command) << "no UninstallString";
    return "start-command " + ScriptWord(command.value_or("")) + "\n";
  }

  // `text` as one quoted word of a driver script.
  static std::string ScriptWord(const std::string& text) {
    std::string word = "\"";
    for (char c : text) word += c == '"' ? std::string("\"\"") : std::string(1, c);
    return word + "\"";
  }

  // Runs the driver on `steps` and expects all of them to pass.
  void RunScript(const std::string& name, const std::string& steps) {
    const std::string script = artifacts_ + "\\" + name + ".drv";
    std::error_code ignored;
    fs::remove(artifacts_ + "\\" + name + "-failure.bmp", ignored);  // of an earlier run
    std::ofstream(script) << "timeout 60\n"
                          << "failure-screenshot \"" << artifacts_ << "\\" << name << "-failure.bmp\"\n"
                          << steps;
    const std::string log = artifacts_ + "\\" + name + ".log";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const UniqueHandle output(::CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.Get();
    startup.hStdError = output.Get();
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + ModuleDirectory() + "\\windriver.exe\" \"" + script + "\"";
    ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                 nullptr, &startup, &info));
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    ASSERT_EQ(::WaitForSingleObject(process.Get(), 240000), WAIT_OBJECT_0) << "the driver did not end";
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.Get(), &exitCode);
    if (exitCode != 0) {
      std::ifstream in(log);
      std::stringstream text;
      text << in.rdbuf();
      FAIL() << "the driver failed (" << exitCode << "):\n" << text.str();
    }
  }

  // Taken once the windows had a moment to paint what the last step changed.
  std::string Shot(const std::string& name) const {
    return "sleep 300\nscreenshot \"" + artifacts_ + "\\" + name + ".bmp\" screen\n";
  }

  // Starts `commandLine` and waits for a top-level window captioned `caption`.
  static void ExpectWindowOf(std::string commandLine, const std::string& caption) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &info))
        << commandLine;
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    HWND window = nullptr;
    for (int i = 0; i < 100 && !window; ++i, ::Sleep(100)) window = ::FindWindowA(nullptr, caption.c_str());
    EXPECT_NE(window, nullptr) << "no window \"" << caption << "\" from " << commandLine;
    ::TerminateProcess(process.Get(), 0);
  }

  // Every archived file is installed below `destination` with its size, the files the
  // shortcuts and the uninstall entry name among them.
  static void ExpectProductInstalledIn(const std::string& destination) {
    for (const char* file : {"\\quorvel.exe", "\\readme.txt", "\\uninstall.exe", "\\quorvel.chm"}) {
      EXPECT_TRUE(fs::is_regular_file(destination + file)) << destination + file;
    }
    TLZHBatch archive;
    archive.SetArchiveFileName(KAVRIX_PAYLOAD_ARCHIVE);
    ASSERT_TRUE(archive.ValidArchive());
    ASSERT_GT(archive.Contents().Count(), 0);
    for (int i = 0; i < archive.Contents().Count(); ++i) {
      const std::string& line = archive.Contents().Strings(i);
      const std::string name = GetField(line, '\t', 1);
      const auto size = std::stoull(GetField(line, '\t', 2));
      const fs::path file = destination + "\\" + name;
      ASSERT_TRUE(fs::is_regular_file(file)) << file;
      EXPECT_EQ(fs::file_size(file), size) << file;
    }
  }

  static void ExpectRowsOneToThree(const std::string& destination) {
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "Software\\Veddal\\Quorvel 2.0", "InstallDir"), destination);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Quorvel 2.0");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
              "\"" + destination + "\\uninstall.exe\"");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"),
              "\"" + destination + "\\uninstall.exe\" /S");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"), destination);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"), destination + "\\quorvel.exe");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"), "Veddal");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "2.0");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify"), "1");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair"), "1");
    EXPECT_TRUE(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize"));
  }

  static std::string VerbCommand(const std::string& destination) {
    return "\"" + destination + "\\quorvel.exe\" \"%1\"";
  }

  static void ExpectRightClickVerb(const std::string& destination) {
    EXPECT_EQ(RegistryString(HKEY_CLASSES_ROOT, "htmlfile\\shell\\Edit with Quorvel 2.0", ""),
              "Edit with Quorvel 2.0");
    EXPECT_EQ(RegistryString(HKEY_CLASSES_ROOT, "htmlfile\\shell\\Edit with Quorvel 2.0\\command", ""),
              VerbCommand(destination));
  }

  static void ExpectEditWithEntry(const std::string& destination) {
    EXPECT_EQ(RegistryString(HKEY_CLASSES_ROOT, ".htm\\OpenWithList\\Quorvel 2.0\\shell\\edit\\command", ""),
              VerbCommand(destination));
  }

  static void ExpectShortcuts(const std::string& destination) {
    struct Expected {
      const char* file;
      std::string target;
      const char* description;
      std::string icon;
      uint32_t showCommand;
    };
    const Expected shortcuts[] = {
        // A normal window is stored as SW_RESTORE, which shell link readers take as normal.
        {"Quorvel 2.0.lnk", destination + "\\quorvel.exe", "Quorvel 2.0", destination + "\\quorvel.exe",
         SW_RESTORE},
        {"Readme.lnk", destination + "\\readme.txt", "Readme", "", SW_RESTORE},
        {"Uninstall Quorvel.lnk", destination + "\\uninstall.exe", "Uninstall Quorvel", "", SW_RESTORE},
        {"Quorvel Help.lnk", destination + "\\quorvel.chm", "Quorvel Help", "", SW_SHOWMAXIMIZED},
    };
    for (const Expected& expected : shortcuts) {
      const std::string path = Programs() + "\\Quorvel 2.0\\" + expected.file;
      ASSERT_TRUE(fs::is_regular_file(path)) << path;
      const testing::ShellLinkFile link = testing::ReadShellLinkFile(path);
      EXPECT_EQ(link.localBasePath, expected.target) << expected.file;
      EXPECT_EQ(link.description, expected.description) << expected.file;
      EXPECT_EQ(link.workingDir, destination) << expected.file;
      EXPECT_EQ(link.iconLocation, expected.icon) << expected.file;
      EXPECT_EQ(link.arguments, "") << expected.file;
      EXPECT_EQ(link.hotKey, 0) << expected.file;
      EXPECT_EQ(link.showCommand, expected.showCommand) << expected.file;
    }
  }

  // From the welcome page to the options page, with a screenshot of each.
  std::string ToOptionsPage(const std::string& shots) const {
    return kWizard + Shot(shots + "-page0") + "expect-enabled \"< &Back\" no\n" + kNext +
           "expect-enabled \"< &Back\" yes\n" + Shot(shots + "-page1") + kNext +
           "expect-visible \"&Browse...\" yes\n" + Shot(shots + "-page2") + kNext +
           "expect-checked \"" + kOptionRightClick + "\" on\n" + Shot(shots + "-page3");
  }

  std::string artifacts_ = ModuleDirectory() + "\\e2e-artifacts";
};

}  // namespace kavrix::e2e
