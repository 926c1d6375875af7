#pragma once
// Removal of an installed Quorvel 2.0: the installed files, the Start-menu shortcuts,
// the registry entries, and at last the uninstaller itself, through a copy of it that
// runs from the temporary folder once the original has ended.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

namespace kavrix {

// The uninstaller's exit codes.
enum UninstallExitCode : int {
  kUninstallDone = 0,        // everything the installation made is gone or going
  kUninstallIncomplete = 1,  // some of it could not be removed
  kUninstallCancelled = 2,   // the user said No
  kUninstallRefused = 3,     // the registry names another installation; nothing removed
};

inline constexpr char kProductKey[] = "Software\\Veddal\\Quorvel 2.0";
inline constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvel 2.0";
inline constexpr char kEditVerbKey[] = "htmlfile\\shell\\Edit with Quorvel 2.0";
inline constexpr char kOpenWithKey[] = ".htm\\OpenWithList\\Quorvel 2.0";
inline constexpr char kShortcutGroup[] = "\\Quorvel 2.0";
inline constexpr const char* kShortcutFiles[] = {
    "\\Quorvel 2.0.lnk", "\\Readme.lnk", "\\Uninstall Quorvel.lnk", "\\Quorvel Help.lnk"};
inline constexpr char kUninstallerName[] = "uninstall.exe";

struct UninstallReport {
  std::vector<std::string> notRemoved;  // what should have gone but stayed
  std::vector<std::string> userFiles;   // files and folders (ending in a backslash) in the
                                        // destination the installation did not make
};

// The installation in `destination` (a directory without trailing backslash).
class Uninstaller {
 public:
  explicit Uninstaller(std::string destination);

  const std::string& Destination() const noexcept { return destination_; }

  // The install directory the registry records; empty when it records none.
  std::string RecordedInstallDir() const;

  // True when the registry records no install directory or records this one; otherwise
  // the registry belongs to another installation and nothing may be removed.
  bool OwnsRegistration() const;

  // Removes everything the installation made except the uninstaller and the destination
  // directory, which cannot go while this program runs, and lists what stays.
  UninstallReport RemoveInstallation() const;

 private:
  void RemoveFiles(UninstallReport& report) const;
  void RemoveShortcuts(UninstallReport& report) const;
  void RemoveRegistryEntries(UninstallReport& report) const;
  // Lists what is left in the folder `relative` (to the destination; empty for the
  // destination itself) apart from the uninstaller.
  void ListUserFiles(const std::string& relative, UninstallReport& report) const;

  std::string destination_;
};

// Whether two directory paths name the same directory (case, separators, trailing
// backslashes and short names aside).
bool SameDirectory(const std::string& a, const std::string& b);

// The full path of this program.
std::string ModulePath();

// Deletes the key `path` below `root` with all its subkeys and values. ERROR_SUCCESS when
// it is gone, also when it never existed.
LSTATUS DeleteKeyTree(HKEY root, const std::string& path);

// Starts a copy of this program, from a folder created for this run in the temporary
// folder (named Quorvel-uninstall-<process id>-<n>), that waits for this process to
// end and then deletes `uninstaller` and the directory `destination` if empty. The copy
// inherits a handle of this process to wait on. False when the copy cannot be started.
bool StartSelfRemoval(const std::string& uninstaller, const std::string& destination, bool quiet);

// The copy's work: waits for `process`, deletes `uninstaller` and then `destination` if
// it is empty, and arranges for its own file and folder to be deleted. Returns what stayed. Does
// nothing when `uninstaller` is not the uninstaller of `destination` or `process` is no
// process handle.
std::vector<std::string> FinishSelfRemoval(HANDLE process, const std::string& uninstaller,
                                           const std::string& destination);

}  // namespace kavrix
