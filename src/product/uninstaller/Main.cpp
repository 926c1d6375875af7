// uninstall.exe: removes Quorvel 2.0 from the directory it runs from.
//
//   uninstall.exe        asks, removes, reports
//   uninstall.exe /S     the same without any window; the exit code tells the result
//
// Started by itself from the temporary folder as "/cleanup <handle> <directory>
// <uninstaller>" it deletes the original uninstaller once that has ended.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "system/DllSearch.h"
#include "system/Win32Handles.h"
#include "uninstaller/Uninstaller.h"

namespace {

using namespace kavrix;

constexpr char kTitle[] = "Uninstall Quorvel 2.0";

struct Arguments {
  bool quiet = false;
  bool cleanup = false;
  HANDLE process = nullptr;
  std::string destination;
  std::string uninstaller;
};

std::string Narrow(const wchar_t* text) {
  const int length = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string result(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), length, nullptr, nullptr);
  result.pop_back();
  return result;
}

Arguments ParseArguments() {
  struct ArgvTraits {
    static LPWSTR* None() noexcept { return nullptr; }
    static bool IsValid(LPWSTR* argv) noexcept { return argv != nullptr; }
    static void Close(LPWSTR* argv) noexcept { ::LocalFree(argv); }
  };
  int count = 0;
  const UniqueResource<LPWSTR*, ArgvTraits> argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
  std::vector<std::string> words;
  for (int i = 1; argv && i < count; ++i) words.push_back(Narrow(argv.Get()[i]));

  Arguments arguments;
  for (size_t i = 0; i < words.size(); ++i) {
    if (::lstrcmpiA(words[i].c_str(), "/S") == 0) {
      arguments.quiet = true;
    } else if (words[i] == "/cleanup" && i + 3 < words.size()) {
      arguments.cleanup = true;
      arguments.process = reinterpret_cast<HANDLE>(std::strtoul(words[i + 1].c_str(), nullptr, 10));
      arguments.destination = words[i + 2];
      arguments.uninstaller = words[i + 3];
      i += 3;
    }
  }
  return arguments;
}

// The lines of `items`, at most a dozen of them, then how many more there are.
std::string ListText(const std::vector<std::string>& items) {
  constexpr size_t kShown = 12;
  std::string text;
  for (size_t i = 0; i < items.size() && i < kShown; ++i) text += "    " + items[i] + "\n";
  if (items.size() > kShown) text += "    ... and " + std::to_string(items.size() - kShown) + " more\n";
  return text;
}

void ShowReport(const Uninstaller& uninstaller, const UninstallReport& report) {
  std::string text;
  UINT icon = MB_ICONINFORMATION;
  if (report.notRemoved.empty()) {
    text = "Quorvel 2.0 was removed from your computer.";
  } else {
    icon = MB_ICONWARNING;
    text = "Quorvel 2.0 was removed, but these items could not be removed:\n\n" + ListText(report.notRemoved) +
           "\nClose any program that may be using them and delete them by hand.";
  }
  if (!report.userFiles.empty()) {
    text += "\n\nThese files were not installed by Quorvel 2.0 and were kept, so the folder\n" +
            uninstaller.Destination() + "\nstays:\n\n" + ListText(report.userFiles);
  }
  ::MessageBoxA(nullptr, text.c_str(), kTitle, MB_OK | icon);
}

int Uninstall(bool quiet) {
  const std::string program = ModulePath();
  const Uninstaller uninstaller(program.substr(0, program.find_last_of('\\')));

  if (!uninstaller.OwnsRegistration()) {
    if (!quiet) {
      const std::string text = "Quorvel 2.0 is registered as installed in\n" + uninstaller.RecordedInstallDir() +
                               "\n\nThis uninstaller belongs to\n" + uninstaller.Destination() +
                               "\nand removes nothing, so that installation keeps working. Use the uninstaller "
                               "in the registered folder, or delete this folder by hand.";
      ::MessageBoxA(nullptr, text.c_str(), kTitle, MB_OK | MB_ICONWARNING);
    }
    return kUninstallRefused;
  }
  if (!quiet) {
    const std::string text = "Do you want to remove Quorvel 2.0 and all of its components from\n" +
                             uninstaller.Destination() + "?";
    if (::MessageBoxA(nullptr, text.c_str(), kTitle, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
      return kUninstallCancelled;
    }
  }

  UninstallReport report = uninstaller.RemoveInstallation();
  if (!quiet) ShowReport(uninstaller, report);
  // Started after the report is closed, so the copy does not wait on a box left open.
  if (!StartSelfRemoval(program, uninstaller.Destination(), quiet)) {
    report.notRemoved.push_back(program);
    if (!quiet) {
      const std::string text = "The uninstaller could not remove itself:\n    " + program + "\nDelete it by hand.";
      ::MessageBoxA(nullptr, text.c_str(), kTitle, MB_OK | MB_ICONWARNING);
    }
  }
  return report.notRemoved.empty() ? kUninstallDone : kUninstallIncomplete;
}

int Cleanup(const Arguments& arguments) {
  const std::vector<std::string> stayed =
      FinishSelfRemoval(arguments.process, arguments.uninstaller, arguments.destination);
  ::CloseHandle(arguments.process);
  if (stayed.empty()) return kUninstallDone;
  if (!arguments.quiet) {
    const std::string text = "These items could not be removed:\n\n" + ListText(stayed) + "\nDelete them by hand.";
    ::MessageBoxA(nullptr, text.c_str(), kTitle, MB_OK | MB_ICONWARNING);
  }
  return kUninstallIncomplete;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  bool quiet = false;
  try {
    const Arguments arguments = ParseArguments();
    quiet = arguments.quiet;
    return arguments.cleanup ? Cleanup(arguments) : Uninstall(arguments.quiet);
  } catch (const std::exception& error) {
    if (!quiet) ::MessageBoxA(nullptr, error.what(), kTitle, MB_OK | MB_ICONERROR);
    return kUninstallIncomplete;
  }
}
