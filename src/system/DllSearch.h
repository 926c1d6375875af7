#pragma once
// Where the elevated programs take their DLLs from. Windows looks for a DLL named without
// a path in the program's own folder before the system folder, and setup.exe and the
// uninstaller run with administrator rights from folders any program of the user can
// write to (Downloads, the temporary folder): a DLL placed there under a system DLL's
// name would run with those rights. So each program restricts the search at its very
// start and loads the DLLs it looks up at run time from the system folder only.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "system/Win32Handles.h"

namespace kavrix {

// Makes the system folder the only folder searched for the DLLs this process loads by
// name from now on, its own and those the system loads on its behalf. The first
// statement of every program's entry point. Returns false where the system offers no
// such restriction (before Windows 8 without its loader update): there the current
// folder is at least taken out of the search, and the program's own folder stays in it,
// which is why LoadSystemLibrary never relies on the search.
bool RestrictDllSearch() noexcept;

struct LibraryTraits {
  static HMODULE None() noexcept { return nullptr; }
  static bool IsValid(HMODULE module) noexcept { return module != nullptr; }
  static void Close(HMODULE module) noexcept { ::FreeLibrary(module); }
};
using UniqueLibrary = UniqueResource<HMODULE, LibraryTraits>;

// Loads the system DLL `name` ("dwmapi.dll") from the system folder, never from any other
// folder; none when the system has no such DLL. The side-by-side assembly an application
// manifest names still takes precedence where the loader offers it (comctl32 version 6).
UniqueLibrary LoadSystemLibrary(const char* name) noexcept;

// The function `name` of `library` as a pointer of type Function; null when missing.
template <typename Function>
Function SystemFunction(const UniqueLibrary& library, const char* name) noexcept {
  if (!library) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(library.Get(), name)));
}

}  // namespace kavrix
