// The archive file operations through the Win32 API, with the ANSI functions throughout
// as the rest of the system uses 8-bit text.

#include <windows.h>

#include <algorithm>
#include <memory>
#include <type_traits>
#include <utility>

#include "archive/ArchiveFiles.h"
#include "foundation/SystemErrorText.h"

namespace kavrix::files {

namespace {

struct FindCloser {
  void operator()(HANDLE find) const noexcept { FindClose(find); }
};
using FindHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, FindCloser>;

struct LibraryFreer {
  void operator()(HMODULE module) const noexcept { FreeLibrary(module); }
};
using LibraryHandle = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

HANDLE Native(intptr_t handle) noexcept { return reinterpret_cast<HANDLE>(handle); }

std::string FailureText(DWORD code) {
  return SystemErrorText(code).value_or("System error " + std::to_string(code));
}

intptr_t OpenForWriting(const std::string& path, DWORD disposition, DWORD flags) {
  return reinterpret_cast<intptr_t>(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr));
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> AttributeData(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return data;
}

}  // namespace

bool IsWithinPathLimit(std::string_view path) noexcept { return path.size() < MAX_PATH; }

// The ANSI calls have no way to open relative to a directory handle, so every element is
// looked at by name. FindFirstFile also answers to a short name (PROGRA~1) with the long
// one, which tells an alias from the name itself.
bool IsPlainTarget(const std::string& root, std::string_view relativePath) {
  std::string path = root;
  for (size_t start = 0;;) {
    const size_t end = std::min(relativePath.find('\\', start), relativePath.size());
    const std::string element(relativePath.substr(start, end - start));
    path += element;
    WIN32_FIND_DATAA found{};
    const HANDLE first = FindFirstFileA(path.c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) return true;
    const FindHandle find(first);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return false;
    if (lstrcmpiA(found.cFileName, element.c_str()) != 0) return false;
    // A file where a directory belongs is no way out: creating the directory fails.
    if (end == relativePath.size() || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return true;
    path += '\\';
    start = end + 1;
  }
}

char PathDelimiter() noexcept { return '\\'; }
bool IsPathDelimiter(char c) noexcept { return c == '\\' || c == '/' || c == ':'; }

bool IsRootPath(std::string_view path) noexcept {
  if (path.size() == 2 && path[1] == ':') return true;
  return path.find_first_not_of("\\/") == std::string_view::npos;
}

bool FileNamesIgnoreCase() noexcept { return true; }

// The ANSI calls give names in the system's code page already; that is 1252 on the
// Western systems the archive's names assume.
std::optional<std::string> ToArchiveName(std::string_view path) {
  std::string name(path);
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

std::string ExpandFileName(const std::string& path) {
  if (path.empty()) return path;
  std::string full(MAX_PATH, '\0');
  DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (length == 0 || length >= full.size()) return path;
  full.resize(length);
  return full;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDir(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool SetAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) != 0;
}

bool MoveOver(const std::string& source, const std::string& target) {
  return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

char DecimalSeparator() {
  char separator[4] = {};
  const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator);
  return length > 1 ? separator[0] : '.';
}

std::optional<FileInfo> QueryFileInfo(const std::string& path) {
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> data = AttributeData(path);
  if (!data || (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::nullopt;
  FILETIME local{};
  SYSTEMTIME fields{};
  if (!FileTimeToLocalFileTime(&data->ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &fields)) {
    return std::nullopt;
  }
  FileInfo info;
  info.size = (uint64_t{data->nFileSizeHigh} << 32) | data->nFileSizeLow;
  info.attributes = data->dwFileAttributes;
  info.lastWrite = {fields.wYear,   fields.wMonth,  fields.wDay,         fields.wHour,
                    fields.wMinute, fields.wSecond, fields.wMilliseconds};
  return info;
}

std::optional<std::vector<DirectoryItem>> ListDirectory(const std::string& path) {
  const std::string pattern = path + (IsPathDelimiter(path.back()) ? "*" : "\\*");
  WIN32_FIND_DATAA found{};
  const HANDLE first = FindFirstFileA(pattern.c_str(), &found);
  if (first == INVALID_HANDLE_VALUE) return std::nullopt;
  const FindHandle find(first);
  std::vector<DirectoryItem> items;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isDirectory && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) continue;
    items.push_back({name, isDirectory});
  } while (FindNextFileA(find.get(), &found));
  if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
  return items;
}

std::string LoadHostString(const std::string& path, uint16_t id, size_t bufferChars) {
  // No "cannot find the file" box for a host that is not there. The error mode belongs to
  // the whole process, so the caller's own is kept beside it and restored afterwards.
  const UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX);
  SetErrorMode(previous | SEM_NOOPENFILEERRORBOX);
  struct ErrorModeScope {
    UINT mode;
    ~ErrorModeScope() { SetErrorMode(mode); }
  } restore{previous};
  const LibraryHandle host(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!host) return {};
  std::string text(bufferChars, '\0');
  const int length = LoadStringA(host.get(), id, text.data(), static_cast<int>(bufferChars));
  text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return text;
}

void File::Fail() { errorText_ = FailureText(GetLastError()); }

File File::OpenForReading(const std::string& path) {
  File file(
      reinterpret_cast<intptr_t>(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!file.IsOpen()) file.Fail();
  return file;
}

File File::Create(const std::string& path, bool mustBeNew) {
  File file(OpenForWriting(path, mustBeNew ? CREATE_NEW : CREATE_ALWAYS, 0));
  if (!file.IsOpen()) file.Fail();
  return file;
}

// The directories between root and target were looked at by IsPlainTarget; the target
// itself is opened as what it is, never through a reparse point put there since.
File File::CreateBelow(const std::string& root, std::string_view relativePath) {
  File file(OpenForWriting(root + std::string(relativePath), CREATE_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT));
  if (!file.IsOpen()) {
    file.Fail();
  } else if (GetFileType(Native(file.handle_)) != FILE_TYPE_DISK) {
    file.Close();
    file.errorText_ = FailureText(ERROR_INVALID_NAME);
  }
  return file;
}

bool File::Read(void* buffer, uint32_t size, uint32_t& done) {
  DWORD count = 0;
  const bool ok = ReadFile(Native(handle_), buffer, size, &count, nullptr) != 0;
  done = ok ? count : 0;
  if (!ok) Fail();
  return ok;
}

bool File::Write(const void* buffer, uint32_t size) {
  DWORD count = 0;
  if (!WriteFile(Native(handle_), buffer, size, &count, nullptr)) {
    Fail();
    return false;
  }
  if (count != size) {
    errorText_ = FailureText(ERROR_DISK_FULL);
    return false;
  }
  return true;
}

bool File::Seek(int64_t position) {
  LARGE_INTEGER distance{};
  distance.QuadPart = position;
  const bool ok = SetFilePointerEx(Native(handle_), distance, nullptr, FILE_BEGIN) != 0;
  if (!ok) Fail();
  return ok;
}

bool File::SetLastWriteTime(archive::DosDateTime time) {
  FILETIME local{};
  FILETIME universal{};
  const bool ok = DosDateTimeToFileTime(static_cast<WORD>(time >> 16), static_cast<WORD>(time), &local) &&
                  LocalFileTimeToFileTime(&local, &universal) &&
                  SetFileTime(Native(handle_), nullptr, nullptr, &universal);
  if (!ok) Fail();
  return ok;
}

bool File::Close() {
  if (!IsOpen()) return true;
  const bool ok = CloseHandle(Native(std::exchange(handle_, kInvalidHandle))) != 0;
  if (!ok) Fail();
  return ok;
}

}  // namespace kavrix::files
