#include "installer/FileSystem.h"

#include <windows.h>

#include "archive/FStorage.h"
#include "foundation/Exceptions.h"
#include "foundation/SystemErrorText.h"

namespace kavrix {
namespace {

DWORD Attributes(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

}  // namespace

bool FileExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void DeleteFileIfExists(const std::string& path) {
  if (!FileExists(path)) return;
  // A read-only file left by an earlier installation must go too, or the new copy
  // could not be written over it.
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileA(path.c_str());
}

std::string SystemMessage(unsigned long code) {
  return SystemErrorText(code).value_or("Error " + std::to_string(code));
}

void CreateDirectoryOrRaise(const std::string& path) {
  if (::CreateDirectoryA(path.c_str(), nullptr)) return;
  const DWORD code = ::GetLastError();
  throw EInOutError(Format("Cannot create the directory %s: ", path) + SystemMessage(code));
}

std::string ExpandEnvironment(const std::string& text) {
  const DWORD size = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (size == 0) return text;
  std::string expanded(size, '\0');
  const DWORD written = ::ExpandEnvironmentStringsA(text.c_str(), expanded.data(), size);
  if (written == 0 || written > size) return text;
  expanded.resize(written - 1);
  return expanded;
}

}  // namespace kavrix
