#pragma once
// Fixtures of the product tests: scratch folders, files, and starting a program and
// waiting for it.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "system/Win32Handles.h"

namespace kavrix::testing {

// The user's temporary folder, without a trailing backslash.
std::string TempFolder();

// A new folder below the user's temporary folder, removed with its contents at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();

  // No trailing backslash.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Removes a folder with everything in it; nothing when it does not exist.
void RemoveTree(const std::string& path);

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
void MakeDirectory(const std::string& path);
void CopyProgram(const char* builtPath, const std::string& target);

// Starts `commandLine`; fails the test when it cannot.
UniqueHandle StartProcess(const std::string& commandLine);

// Waits up to `milliseconds` for `process` and returns its exit code, or -1 on timeout
// (the process is then ended).
int WaitForExit(HANDLE process, DWORD milliseconds);

// Polls `condition` every 50 ms for up to `milliseconds`; its last value.
template <typename F>
bool WaitUntil(F condition, DWORD milliseconds) {
  for (DWORD waited = 0;; waited += 50) {
    if (condition()) return true;
    if (waited >= milliseconds) return false;
    ::Sleep(50);
  }
}

}  // namespace kavrix::testing
