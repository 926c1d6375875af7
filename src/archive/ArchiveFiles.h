#pragma once
// The file operations the archive component needs, behind one small interface:
// ArchiveFiles_win32.cpp implements it with the Win32 API, ArchiveFiles_posix.cpp with
// POSIX for the host build's tools. Paths are the platform's own; failures come back as
// results, never as exceptions, so the component decides what each one means.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/ArchiveDates.h"

namespace kavrix::files {

// Windows file attribute bits as archives store them. POSIX keeps only the read-only one,
// as the owner's write permission.
inline constexpr uint32_t kAttributeReadOnly = 0x01;
inline constexpr uint32_t kAttributeDirectory = 0x10;
inline constexpr uint32_t kAttributeNormal = 0x80;

// Whether the platform's file calls take `path` whole: at most 259 characters on Windows
// (MAX_PATH, which the ANSI calls do not go beyond; some systems cut a longer path short
// instead of refusing it), less than PATH_MAX on POSIX.
bool IsWithinPathLimit(std::string_view path) noexcept;
// Whether `relativePath` below `root` can be written without going through anything
// but real directories and plain files, looked at without following links: false when a
// symbolic link, a device, a FIFO or a socket, or on Windows a reparse point (junction,
// symbolic link) or a short-name alias of another name, stands at the target or at any
// directory between `root` and it. Missing elements are fine. `root` itself, which the
// user chose, may be a link; it is empty or ends in a path delimiter.
bool IsPlainTarget(const std::string& root, std::string_view relativePath);

// The separator the platform writes between path elements.
char PathDelimiter() noexcept;
// Characters that end a directory part: '\', '/' and the drive colon on Windows, '/'
// elsewhere.
bool IsPathDelimiter(char c) noexcept;
// A path that names a drive or the root and so never needs creating: "", "C:", "/".
bool IsRootPath(std::string_view path) noexcept;
// Whether names differing only in letter case name the same file.
bool FileNamesIgnoreCase() noexcept;

// The stored form of a path in the platform's form: backslashes between its elements,
// text in Windows code page 1252. Nothing when the path cannot be carried that way: on
// POSIX, where names are UTF-8, a name with a character outside the code page or with a
// backslash, which would split the name in two on Windows.
std::optional<std::string> ToArchiveName(std::string_view path);

// The full path of `path` relative to the current directory, "." and ".." resolved; ""
// stays "".
std::string ExpandFileName(const std::string& path);
bool FileExists(const std::string& path);  // a file, not a directory
bool DirectoryExists(const std::string& path);
bool MakeDir(const std::string& path);
bool RemoveFile(const std::string& path);
bool SetAttributes(const std::string& path, uint32_t attributes);
// Renames `source` to `target`, replacing a file of that name.
bool MoveOver(const std::string& source, const std::string& target);
// The user's decimal separator for numbers shown as text.
char DecimalSeparator();

struct FileInfo {
  uint64_t size = 0;
  uint32_t attributes = 0;
  archive::LocalTime lastWrite;
};
// Nothing unless `path` is a file that can be queried.
std::optional<FileInfo> QueryFileInfo(const std::string& path);

struct DirectoryItem {
  std::string name;
  bool isDirectory = false;
};
// The files and subdirectories of a directory, without "." and "..". Directories reached
// through links or reparse points are left out, so a walk cannot loop. Nothing when the
// directory cannot be read.
std::optional<std::vector<DirectoryItem>> ListDirectory(const std::string& path);

// String resource `id` of an executable as LoadString copies it into `bufferChars`
// characters; "" when the host cannot be loaded or has no such string.
std::string LoadHostString(const std::string& path, uint16_t id, size_t bufferChars);

// An open file, closed when destroyed. Every failure leaves the system's description in
// ErrorText().
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // An existing file for reading, which others may read and write meanwhile.
  static File OpenForReading(const std::string& path);
  // A new, empty file for writing, which others may not open meanwhile. An existing file
  // of that name is replaced, or with `mustBeNew` makes the call fail.
  static File Create(const std::string& path, bool mustBeNew = false);
  // As Create, for `relativePath` below `root` (as for IsPlainTarget): no link below
  // `root` is followed, and the call fails, leaving it as it is, when what it reaches is
  // not a plain file; it never waits for a FIFO's reader.
  static File CreateBelow(const std::string& root, std::string_view relativePath);

  bool IsOpen() const noexcept { return handle_ != kInvalidHandle; }
  const std::string& ErrorText() const noexcept { return errorText_; }

  // Reads up to `size` bytes; `done` is 0 only at the end of the file.
  bool Read(void* buffer, uint32_t size, uint32_t& done);
  // Fills `bytes` completely, or fails at the end of the file or on an error.
  bool ReadFully(std::span<uint8_t> bytes);
  // Writes all `size` bytes or fails.
  bool Write(const void* buffer, uint32_t size);
  // Moves to `position` bytes from the start.
  bool Seek(int64_t position);
  // Sets the last-write time from a DOS date-time in local time.
  bool SetLastWriteTime(archive::DosDateTime time);
  // Closes at once; false when the system reports that data did not reach the file.
  bool Close();

 private:
  static constexpr intptr_t kInvalidHandle = -1;  // also INVALID_HANDLE_VALUE
  explicit File(intptr_t handle) noexcept : handle_(handle) {}
  void Fail();  // records the system's description of the last failure

  intptr_t handle_ = kInvalidHandle;
  std::string errorText_;
};

}  // namespace kavrix::files
