#pragma once
// Planting files where an elevated program could pick them up, and looking for the
// marker each leaves when it was loaded or started (see MarkerLibrary.cpp and
// MarkerProgram.cpp).

#include <windows.h>

#include <string>
#include <vector>

namespace kavrix::planted {

// The DLLs a program of ours could take from its own folder: those it loads at run time
// (the toolkit's comctl32, the caption's dwmapi, the desktop shell's oleaut32).
inline const std::vector<std::string> kRunTimeLibraries = {"comctl32.dll", "dwmapi.dll", "oleaut32.dll"};

inline bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string LibraryMarker(const std::string& folder, const std::string& name) {
  return folder + "\\" + name + ".loaded";
}
inline std::string ProgramMarker(const std::string& program) { return program + ".ran"; }

// Copies the marker DLL into `folder` as each of `names`; false when a copy failed.
inline bool PlantLibraries(const std::string& folder, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (!::CopyFileA(KAVRIX_MARKER_LIBRARY, (folder + "\\" + name).c_str(), FALSE)) return false;
  }
  return true;
}

// Copies the marker program to `path`.
inline bool PlantProgram(const std::string& path) { return ::CopyFileA(KAVRIX_MARKER_PROGRAM, path.c_str(), FALSE); }

// The names of `names` whose marker lies in `folder`, deleting each marker found.
inline std::vector<std::string> TakeLoadedMarkers(const std::string& folder, const std::vector<std::string>& names) {
  std::vector<std::string> loaded;
  for (const std::string& name : names) {
    if (::DeleteFileA(LibraryMarker(folder, name).c_str())) loaded.push_back(name);
  }
  return loaded;
}

// Removes the planted DLLs and their markers.
inline void RemoveLibraries(const std::string& folder, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    ::DeleteFileA((folder + "\\" + name).c_str());
    ::DeleteFileA(LibraryMarker(folder, name).c_str());
  }
}

// Runs the unprotected program with `arguments` (as a command-line text) from the
// folder `folder`, where it is copied first, and returns its exit code; -1 when it could
// not be run.
inline int RunUnprotected(const std::string& folder, const std::string& arguments) {
  const std::string program = folder + "\\unprotected_program.exe";
  if (!::CopyFileA(KAVRIX_UNPROTECTED_PROGRAM, program.c_str(), FALSE)) return -1;
  std::string command = "\"" + program + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
    return -1;
  ::WaitForSingleObject(process.hProcess, 60'000);
  DWORD exitCode = static_cast<DWORD>(-1);
  ::GetExitCodeProcess(process.hProcess, &exitCode);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  ::DeleteFileA(program.c_str());
  return static_cast<int>(exitCode);
}

// Makes programs started from now on take a DLL found in a folder for each of `names`, as
// Windows does, for the owner's lifetime. Wine prefers its own built-in copy of most
// system DLLs to such a file; its DLL overrides in the registry tell it not to. Windows
// does not read that key.
class FoundLibrariesPreferred {
 public:
  explicit FoundLibrariesPreferred(const std::vector<std::string>& names) {
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    for (const std::string& name : names) {
      const std::string module = name.substr(0, name.rfind('.'));
      if (::RegQueryValueExA(key_, module.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) continue;
      static constexpr char kNativeFirst[] = "native,builtin";
      ::RegSetValueExA(key_, module.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kNativeFirst),
                       sizeof kNativeFirst);
      added_.push_back(module);
    }
  }
  FoundLibrariesPreferred(const FoundLibrariesPreferred&) = delete;
  FoundLibrariesPreferred& operator=(const FoundLibrariesPreferred&) = delete;
  ~FoundLibrariesPreferred() {
    if (!key_) return;
    for (const std::string& module : added_) ::RegDeleteValueA(key_, module.c_str());
    ::RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  std::vector<std::string> added_;
};

}  // namespace kavrix::planted
