#include "system/DllSearch.h"

#include <string>

// The DLLs the programs import statically are loaded before any of their code runs, so no
// call can protect them; what protects them is that the loader does not search folders for
// them. setup.exe imports kernel32, user32, gdi32, advapi32, shell32, ole32 and msvcrt,
// uninstall.exe kernel32, user32, advapi32, shell32, ole32 and msvcrt, quorvel.exe
// kernel32, user32, gdi32, shell32, comdlg32 and msvcrt. On current Windows all of them
// are on the system's list of known DLLs (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs),
// which the loader maps from the system folder whatever lies beside the program, and so are
// the DLLs those import in turn. comctl32 is not on that list, so setup.exe does not import
// it: the toolkit loads it through LoadSystemLibrary. Every other DLL the system loads on
// a program's behalf once it runs (uxtheme, version, dwmapi, oleaut32 and the like) is
// found through the search RestrictDllSearch limits to the system folder.

namespace kavrix {
namespace {

FARPROC Kernel32Function(const char* name) noexcept {
  return ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name);
}

// The LOAD_LIBRARY_SEARCH_* flags came with Windows 8 and, on Windows Vista and 7, with
// the loader update that added AddDllDirectory; older loaders reject them.
bool LoaderTakesSearchFlags() noexcept { return Kernel32Function("AddDllDirectory") != nullptr; }

}  // namespace

bool RestrictDllSearch() noexcept {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void (*)()>(Kernel32Function("SetDefaultDllDirectories")));
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  // An empty DLL directory takes the current folder out of the search (Windows XP SP1 and
  // later); the program's folder stays first, and nothing an older system offers removes it.
  using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR);
  const auto setDirectory = reinterpret_cast<SetDllDirectoryFunction>(
      reinterpret_cast<void (*)()>(Kernel32Function("SetDllDirectoryA")));
  if (setDirectory) setDirectory("");
  return false;
}

UniqueLibrary LoadSystemLibrary(const char* name) noexcept {
  // By name, restricted to the system folder: the loader first applies the side-by-side
  // redirection of the application's manifest, which a full path could bypass.
  if (LoaderTakesSearchFlags()) return UniqueLibrary(::LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  // A 32-bit program on 64-bit Windows is given the 32-bit system folder for this path by
  // the file system redirection, as it should be. The DLL's own dependencies are then
  // searched for from its folder rather than from the program's.
  char folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  try {
    const std::string path = std::string(folder, length) + '\\' + name;
    return UniqueLibrary(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  } catch (...) {  // out of memory for the path
    return {};
  }
}

}  // namespace kavrix
