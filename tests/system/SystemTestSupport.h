#pragma once
// Test fixtures for the Win32 layer: handle counts, a scratch registry key and temp
// folder that clean up after themselves, predefined-key redirection, running a console
// program with its output captured, and the error-box capture.

#include <map>
#include <string>
#include <vector>

#include "foundation/ErrorBox.h"
#include "system/Win32Handles.h"

namespace kavrix::testing {

// The number of handles this process holds.
unsigned ProcessHandleCount();

// HKCU\Software\Kavrix Tests\<name>, created empty and deleted with everything below it
// when the fixture ends. Tests write nowhere else in the registry.
class TestRegistryKey {
 public:
  explicit TestRegistryKey(const std::string& name);
  TestRegistryKey(const TestRegistryKey&) = delete;
  TestRegistryKey& operator=(const TestRegistryKey&) = delete;
  ~TestRegistryKey();

  // Path below HKEY_CURRENT_USER, and the full name as the reg tool writes it.
  const std::string& Path() const { return path_; }
  std::string FullName() const { return "HKCU\\" + path_; }
  HKEY Handle() const { return key_.Get(); }

  // Creates `subKey` (all levels) below this key; raw writes bypass the code under test.
  UniqueRegKey Create(const std::string& subKey) const;
  static void SetRaw(HKEY key, const std::string& name, DWORD type, const std::string& bytes);

 private:
  std::string path_;
  UniqueRegKey key_;
};

// While it lives, the process sees `replacement` wherever it opens `predefined`
// (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT), through the documented
// per-process redirection: the code under test reads a scratch key as if it were a root.
class PredefinedKeyOverride {
 public:
  PredefinedKeyOverride(HKEY predefined, HKEY replacement);
  PredefinedKeyOverride(const PredefinedKeyOverride&) = delete;
  PredefinedKeyOverride& operator=(const PredefinedKeyOverride&) = delete;
  ~PredefinedKeyOverride();

 private:
  HKEY predefined_;
};

// A new folder below the user's temporary folder, removed with its contents at the end.
class TempDirectory {
 public:
  TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;
  ~TempDirectory();

  // No trailing backslash.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path);
std::string ReadTextFile(const std::string& path);
void WriteTextFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);

// Adds `key` of `root` and every key and value below it to `into`, as "key" = "<key>"
// and "key|name" = "type|data": a registry tree to compare before and after a change.
void AddRegistryTree(HKEY root, const std::string& key, std::map<std::string, std::string>& into);
// The folder of this test program, where the test child program is built too.
std::string ProgramDirectory();

// Runs a console program with its output redirected, waits for it, returns the output.
std::string RunAndCapture(const std::string& commandLine);

// The values of a key as the system's reg tool, a separate process, lists them:
// lower-cased value name ("" for the default value) to type name and data.
struct OutsideValue {
  std::string type;
  std::string data;
};
std::map<std::string, OutsideValue> QueryKeyFromOutside(const std::string& fullKeyName);

// Replaces the error box with a recorder for the fixture's lifetime.
class ErrorBoxCapture {
 public:
  struct Box {
    std::string text;
    std::string caption;
  };
  ErrorBoxCapture();
  ErrorBoxCapture(const ErrorBoxCapture&) = delete;
  ErrorBoxCapture& operator=(const ErrorBoxCapture&) = delete;
  ~ErrorBoxCapture();

  std::vector<Box> boxes;

 private:
  TErrorBoxHook previous_;
};

}  // namespace kavrix::testing
