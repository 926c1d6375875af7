#include "uninstaller/Uninstaller.h"

#include <sddl.h>

#include <cstdint>
#include <set>
#include <string_view>

#include "InstalledFiles.h"
#include "system/Registry.h"
#include "system/ShortcutLink.h"
#include "system/Win32Handles.h"

namespace kavrix {

namespace {

struct FindHandleTraits {
  static HANDLE None() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE handle) noexcept { return handle != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) noexcept { ::FindClose(handle); }
};
using UniqueFindHandle = UniqueResource<HANDLE, FindHandleTraits>;

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Deletes a file, read-only or not. True when it is gone, also when it never existed.
bool RemoveFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return IsMissing(::GetLastError());
  if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return ::DeleteFileA(path.c_str()) != 0;
}

// Removes a directory if it is empty. False only when an empty or existing directory
// could not be removed for another reason than holding files.
bool RemoveDirectoryIfEmpty(const std::string& path) {
  if (::RemoveDirectoryA(path.c_str())) return true;
  const DWORD error = ::GetLastError();
  return IsMissing(error) || error == ERROR_DIR_NOT_EMPTY;
}

// Deletes the key `path` below `root` when it has neither values nor subkeys.
LSTATUS DeleteKeyIfEmpty(HKEY root, const std::string& path) {
  UniqueRegKey key;
  LSTATUS status = registry::OpenKey(root, path, KEY_QUERY_VALUE, key);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return status;
  DWORD subKeys = 0, values = 0;
  status = ::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                              nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) return status;
  key.Reset();
  if (subKeys != 0 || values != 0) return ERROR_SUCCESS;
  status = ::RegDeleteKeyA(root, path.c_str());
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  if (!upper.empty()) ::CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  return upper;
}

// Asked for every folder met in the destination: a set, as a large product installs
// hundreds of folders.
bool IsInstalledDirectory(const std::string& relative) {
  static const std::set<std::string> installed = [] {
    std::set<std::string> names;
    for (std::string_view directory : kInstalledDirectories) names.insert(UpperCase(directory));
    return names;
  }();
  return installed.contains(UpperCase(relative));
}

std::string RootName(HKEY root) {
  return root == HKEY_CLASSES_ROOT ? "HKEY_CLASSES_ROOT\\" : "HKEY_LOCAL_MACHINE\\";
}

// A long path in one form: full, long names, backslashes, no trailing backslash except
// at a drive root.
std::string CanonicalDirectory(std::string path) {
  // "C:" alone would name the current directory of drive C.
  if (path.size() == 2 && path[1] == ':') path += '\\';
  char full[MAX_PATH];
  const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  std::string result = length > 0 && length < MAX_PATH ? std::string(full, length) : path;
  char longName[MAX_PATH];
  const DWORD longLength = ::GetLongPathNameA(result.c_str(), longName, MAX_PATH);
  if (longLength > 0 && longLength < MAX_PATH) result.assign(longName, longLength);
  for (char& c : result) {
    if (c == '/') c = '\\';
  }
  while (result.size() > 3 && result.back() == '\\') result.pop_back();
  return result;
}

constexpr char kRunFolderPrefix[] = "Quorvel-uninstall-";

struct LocalMemoryTraits {
  static PSECURITY_DESCRIPTOR None() noexcept { return nullptr; }
  static bool IsValid(PSECURITY_DESCRIPTOR memory) noexcept { return memory != nullptr; }
  static void Close(PSECURITY_DESCRIPTOR memory) noexcept { ::LocalFree(memory); }
};

// A folder of its own for the copy, below `tempDir`. The temporary folder is the user's: a
// DLL or a program put there under a system name would be taken by a program started from
// it, with administrator rights. The folder is new, so nothing lies in it that this run did
// not put there (a name already taken is skipped, never reused), and only administrators
// and the system may write to it, so no program of the user can add or replace anything
// before the copy starts. Empty when it cannot be created.
std::string CreateRunFolder(const std::string& tempDir) {
  UniqueResource<PSECURITY_DESCRIPTOR, LocalMemoryTraits> descriptor;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)",
                                                              SDDL_REVISION_1, descriptor.Put(), nullptr))
    return {};
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
  const std::string stem = tempDir + kRunFolderPrefix + std::to_string(::GetCurrentProcessId()) + "-";
  for (int attempt = 1; attempt <= 100; ++attempt) {
    const std::string folder = stem + std::to_string(attempt);
    if (::CreateDirectoryA(folder.c_str(), &attributes)) return folder;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

}  // namespace

Uninstaller::Uninstaller(std::string destination) : destination_(std::move(destination)) {}

std::string Uninstaller::RecordedInstallDir() const {
  UniqueRegKey key;
  if (registry::OpenKey(HKEY_LOCAL_MACHINE, kProductKey, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) return {};
  try {
    return registry::ReadString(key.Get(), "InstallDir");
  } catch (const ERegistryException&) {
    return {};  // not a string: not a value this product wrote
  }
}

bool Uninstaller::OwnsRegistration() const {
  const std::string recorded = RecordedInstallDir();
  return recorded.empty() || SameDirectory(recorded, destination_);
}

UninstallReport Uninstaller::RemoveInstallation() const {
  UninstallReport report;
  RemoveFiles(report);
  RemoveShortcuts(report);
  RemoveRegistryEntries(report);
  ListUserFiles({}, report);
  return report;
}

void Uninstaller::RemoveFiles(UninstallReport& report) const {
  for (std::string_view name : kInstalledFiles) {
    if (name == kUninstallerName) continue;
    const std::string path = destination_ + "\\" + std::string(name);
    if (!RemoveFile(path)) report.notRemoved.push_back(path);
  }
  // Folders that still hold files keep them: those files were not installed and are
  // listed as the user's.
  for (std::string_view name : kInstalledDirectories) {
    const std::string path = destination_ + "\\" + std::string(name);
    if (!RemoveDirectoryIfEmpty(path)) report.notRemoved.push_back(path);
  }
}

void Uninstaller::RemoveShortcuts(UninstallReport& report) const {
  const std::string programs = TShortcutLink().GetProgramsFolder();
  if (programs.empty()) {
    report.notRemoved.push_back(std::string("the Start-menu group \"") + (kShortcutGroup + 1) +
                                "\" (the Programs folder is unknown)");
    return;
  }
  const std::string group = programs + kShortcutGroup;
  for (const char* name : kShortcutFiles) {
    if (!RemoveFile(group + name)) report.notRemoved.push_back(group + name);
  }
  // The user may have put shortcuts of their own into the group; it then stays.
  if (!RemoveDirectoryIfEmpty(group)) report.notRemoved.push_back(group);
}

void Uninstaller::RemoveRegistryEntries(UninstallReport& report) const {
  auto check = [&](HKEY root, const std::string& path, LSTATUS status) {
    if (status != ERROR_SUCCESS) report.notRemoved.push_back(RootName(root) + path);
  };
  {
    UniqueRegKey key;
    LSTATUS status = registry::OpenKey(HKEY_LOCAL_MACHINE, kProductKey, KEY_SET_VALUE, key);
    if (status == ERROR_SUCCESS) status = ::RegDeleteValueA(key.Get(), "InstallDir");
    if (status != ERROR_FILE_NOT_FOUND) check(HKEY_LOCAL_MACHINE, std::string(kProductKey) + "\\InstallDir", status);
  }
  // The product's key and the vendor's key go when nothing else is stored there; the
  // parents of the shell entries are the system's and always stay.
  check(HKEY_LOCAL_MACHINE, kProductKey, DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, kProductKey));
  check(HKEY_LOCAL_MACHINE, "Software\\Veddal", DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, "Software\\Veddal"));
  check(HKEY_LOCAL_MACHINE, kUninstallKey, DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey));
  check(HKEY_CLASSES_ROOT, kEditVerbKey, DeleteKeyTree(HKEY_CLASSES_ROOT, kEditVerbKey));
  check(HKEY_CLASSES_ROOT, kOpenWithKey, DeleteKeyTree(HKEY_CLASSES_ROOT, kOpenWithKey));
}

void Uninstaller::ListUserFiles(const std::string& relative, UninstallReport& report) const {
  const std::string directory = relative.empty() ? destination_ : destination_ + "\\" + relative;
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(::FindFirstFileA((directory + "\\*").c_str(), &found));
  if (!search) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const std::string inner = relative.empty() ? name : relative + "\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      // Only the folders the installation made are looked into: any other folder is the
      // user's as a whole (and a destination at a drive root would hold the whole disk).
      if (IsInstalledDirectory(inner)) {
        ListUserFiles(inner, report);
      } else {
        report.userFiles.push_back(destination_ + "\\" + inner + "\\");
      }
    } else if (!(relative.empty() && ::lstrcmpiA(name.c_str(), kUninstallerName) == 0)) {
      report.userFiles.push_back(destination_ + "\\" + inner);
    }
  } while (::FindNextFileA(search.Get(), &found));
}

bool SameDirectory(const std::string& a, const std::string& b) {
  return ::lstrcmpiA(CanonicalDirectory(a).c_str(), CanonicalDirectory(b).c_str()) == 0;
}

std::string ModulePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

LSTATUS DeleteKeyTree(HKEY root, const std::string& path) {
  std::vector<std::string> subKeys;
  {
    UniqueRegKey key;
    const LSTATUS status = registry::OpenKey(root, path, KEY_ENUMERATE_SUB_KEYS, key);
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    char name[256];  // key names are at most 255 characters
    for (DWORD index = 0;; ++index) {
      DWORD length = sizeof name;
      const LSTATUS enumStatus =
          ::RegEnumKeyExA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (enumStatus == ERROR_NO_MORE_ITEMS) break;
      if (enumStatus != ERROR_SUCCESS) return enumStatus;
      subKeys.emplace_back(name, length);
    }
  }
  // RegDeleteKey removes only keys without subkeys (RegDeleteTree does not exist before
  // Windows Vista), so the tree goes leaves first.
  for (const std::string& subKey : subKeys) {
    if (const LSTATUS status = DeleteKeyTree(root, path + "\\" + subKey); status != ERROR_SUCCESS) return status;
  }
  const LSTATUS status = ::RegDeleteKeyA(root, path.c_str());
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

bool StartSelfRemoval(const std::string& uninstaller, const std::string& destination, bool quiet) {
  char temp[MAX_PATH + 1];
  const DWORD tempLength = ::GetTempPathA(sizeof temp, temp);
  if (tempLength == 0 || tempLength > MAX_PATH) return false;
  const std::string tempDir(temp, tempLength);
  const std::string folder = CreateRunFolder(tempDir);
  if (folder.empty()) return false;
  const std::string copy = folder + "\\" + kUninstallerName;
  if (!::CopyFileA(uninstaller.c_str(), copy.c_str(), TRUE)) {
    ::RemoveDirectoryA(folder.c_str());
    return false;
  }

  // An inheritable handle of this process keeps the same value in the copy, which waits
  // on it; a process id could be reused by another process before the copy looks.
  HANDLE self = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), &self, SYNCHRONIZE,
                         TRUE, 0)) {
    ::DeleteFileA(copy.c_str());
    ::RemoveDirectoryA(folder.c_str());
    return false;
  }
  const UniqueHandle ownHandle(self);
  std::string command = "\"" + copy + "\" /cleanup " + std::to_string(reinterpret_cast<uintptr_t>(self)) + " \"" +
                        destination + "\" \"" + uninstaller + "\"" + (quiet ? " /S" : "");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // The copy runs in its folder: a current directory inside the destination would keep
  // the destination from being removed.
  if (!::CreateProcessA(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
    ::DeleteFileA(copy.c_str());
    ::RemoveDirectoryA(folder.c_str());
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

std::vector<std::string> FinishSelfRemoval(HANDLE process, const std::string& uninstaller,
                                           const std::string& destination) {
  // Only the uninstaller of that very destination is deleted, and only after a wait on
  // a real process: a mistyped or forged command line removes nothing.
  const bool named = ::lstrcmpiA(uninstaller.c_str(), (destination + "\\" + kUninstallerName).c_str()) == 0;
  if (!named || ::WaitForSingleObject(process, 60'000) == WAIT_FAILED) return {uninstaller};

  std::vector<std::string> stayed;
  // The file of a program that has just ended can stay locked for a moment while the
  // system lets go of its image.
  bool removed = false;
  for (int attempt = 0; attempt < 50 && !(removed = RemoveFile(uninstaller)); ++attempt) ::Sleep(100);
  if (!removed) stayed.push_back(uninstaller);
  // A destination that still holds the user's files stays; the original reported them.
  // A drive root is never removed.
  const bool driveRoot = destination.size() <= 3 && destination.size() >= 2 && destination[1] == ':';
  if (!driveRoot && !RemoveDirectoryIfEmpty(destination)) stayed.push_back(destination);

  // A running program cannot delete its own file. Deletion at the next start of the
  // system is the documented way to remove it: a batch file or a second helper would
  // race with this process or need the same trick in turn. The copy is a small file in
  // the temporary folder until then; its folder goes after it, when it is the copy's own.
  const std::string self = ModulePath();
  ::MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  const std::string folder = self.substr(0, self.find_last_of('\\'));
  if (folder.compare(folder.find_last_of('\\') + 1, sizeof kRunFolderPrefix - 1, kRunFolderPrefix) == 0)
    ::MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return stayed;
}

}  // namespace kavrix
