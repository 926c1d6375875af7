// The archive file operations on POSIX, for the host build's tools and tests. Windows
// attributes shrink to the read-only bit; times go through the C library's local time.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "archive/ArchiveFiles.h"
#include "archive/CodePage1252.h"
#include "archive/PeResources.h"

namespace kavrix::files {

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

struct DirCloser {
  void operator()(DIR* dir) const noexcept { closedir(dir); }
};

// An open file descriptor, closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd) noexcept : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  bool IsOpen() const noexcept { return fd_ >= 0; }
  int Get() const noexcept { return fd_; }
  int Release() noexcept { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

std::vector<std::string> ElementsOf(std::string_view relativePath) {
  std::vector<std::string> elements;
  for (size_t start = 0;;) {
    const size_t end = std::min(relativePath.find('/', start), relativePath.size());
    elements.emplace_back(relativePath.substr(start, end - start));
    if (end == relativePath.size()) return elements;
    start = end + 1;
  }
}

// The root the user chose is followed like any path they give.
Descriptor OpenRoot(const std::string& root) {
  return Descriptor(open(root.empty() ? "." : root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// A directory below `parent`, which must not be a link.
Descriptor OpenSubdirectory(const Descriptor& parent, const std::string& name) {
  return Descriptor(openat(parent.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

}  // namespace

bool IsWithinPathLimit(std::string_view path) noexcept { return path.size() < PATH_MAX; }

bool IsPlainTarget(const std::string& root, std::string_view relativePath) {
  Descriptor directory = OpenRoot(root);
  if (!directory.IsOpen()) return true;  // nothing is in the way of creating the root
  const std::vector<std::string> elements = ElementsOf(relativePath);
  for (size_t i = 0; i < elements.size(); ++i) {
    struct stat status {};
    if (fstatat(directory.Get(), elements[i].c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return true;
    if (!S_ISDIR(status.st_mode) && !S_ISREG(status.st_mode)) return false;
    // A file where a directory belongs is no way out: creating the directory fails.
    if (!S_ISDIR(status.st_mode) || i + 1 == elements.size()) return true;
    directory = OpenSubdirectory(directory, elements[i]);
    if (!directory.IsOpen()) return errno != ELOOP && errno != ENOTDIR;
  }
  return true;
}

char PathDelimiter() noexcept { return '/'; }
bool IsPathDelimiter(char c) noexcept { return c == '/'; }
bool IsRootPath(std::string_view path) noexcept {
  return path.find_first_not_of('/') == std::string_view::npos;
}
bool FileNamesIgnoreCase() noexcept { return false; }

std::optional<std::string> ToArchiveName(std::string_view path) {
  if (path.find('\\') != std::string_view::npos) return std::nullopt;
  std::optional<std::string> name = archive::Utf8ToCodePage1252(path);
  if (name) std::replace(name->begin(), name->end(), '/', '\\');
  return name;
}

std::string ExpandFileName(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path : full.lexically_normal().string();
}

bool FileExists(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool MakeDir(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool SetAttributes(const std::string& path, uint32_t attributes) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return false;
  const mode_t mode =
      (attributes & kAttributeReadOnly) != 0 ? status.st_mode & ~kWriteBits : status.st_mode | S_IWUSR;
  return chmod(path.c_str(), mode & 07777) == 0;
}

bool MoveOver(const std::string& source, const std::string& target) {
  return std::rename(source.c_str(), target.c_str()) == 0;
}

char DecimalSeparator() { return '.'; }

std::optional<FileInfo> QueryFileInfo(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  std::tm local{};
  if (localtime_r(&status.st_mtim.tv_sec, &local) == nullptr) return std::nullopt;
  FileInfo info;
  info.size = static_cast<uint64_t>(status.st_size);
  info.attributes = (status.st_mode & S_IWUSR) != 0 ? kAttributeNormal : kAttributeReadOnly;
  info.lastWrite = {local.tm_year + 1900,
                    local.tm_mon + 1,
                    local.tm_mday,
                    local.tm_hour,
                    local.tm_min,
                    local.tm_sec,
                    static_cast<int>(status.st_mtim.tv_nsec / 1'000'000)};
  return info;
}

std::optional<std::vector<DirectoryItem>> ListDirectory(const std::string& path) {
  const std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
  if (!dir) return std::nullopt;
  std::vector<DirectoryItem> items;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) break;
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string full = path + (IsPathDelimiter(path.back()) ? "" : "/") + name;
    struct stat status {};
    if (lstat(full.c_str(), &status) != 0) continue;
    if (S_ISDIR(status.st_mode)) {
      items.push_back({name, true});
    } else if (FileExists(full)) {
      items.push_back({name, false});
    }
  }
  if (errno != 0) return std::nullopt;
  return items;
}

std::string LoadHostString(const std::string& path, uint16_t id, size_t bufferChars) {
  File host = File::OpenForReading(path);
  if (!host.IsOpen()) return {};
  const archive::ReadAtFunction readAt = [&host](uint64_t offset, std::span<uint8_t> bytes) {
    return offset <= INT64_MAX && host.Seek(static_cast<int64_t>(offset)) && host.ReadFully(bytes);
  };
  return archive::ReadPeStringResource(readAt, id, bufferChars).value_or("");
}

void File::Fail() { errorText_ = std::strerror(errno); }

File File::OpenForReading(const std::string& path) {
  File file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.IsOpen()) file.Fail();
  return file;
}

File File::Create(const std::string& path, bool mustBeNew) {
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mustBeNew ? O_EXCL : O_TRUNC);
  File file(open(path.c_str(), flags, 0666));
  if (!file.IsOpen()) file.Fail();
  return file;
}

File File::CreateBelow(const std::string& root, std::string_view relativePath) {
  const std::vector<std::string> elements = ElementsOf(relativePath);
  Descriptor directory = OpenRoot(root);
  for (size_t i = 0; i + 1 < elements.size() && directory.IsOpen(); ++i) {
    directory = OpenSubdirectory(directory, elements[i]);
  }
  File file;
  if (directory.IsOpen()) {
    // Non-blocking, so that a FIFO without a reader fails at once instead of waiting.
    Descriptor target(openat(directory.Get(), elements.back().c_str(),
                             O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
    struct stat status {};
    if (target.IsOpen() && (fstat(target.Get(), &status) != 0 || !S_ISREG(status.st_mode))) {
      target = Descriptor(-1);
      errno = EINVAL;
    }
    const int flags = target.IsOpen() ? fcntl(target.Get(), F_GETFL) : -1;
    if (flags != -1 && fcntl(target.Get(), F_SETFL, flags & ~O_NONBLOCK) == 0) file.handle_ = target.Release();
  }
  if (!file.IsOpen()) file.Fail();
  return file;
}

bool File::Read(void* buffer, uint32_t size, uint32_t& done) {
  done = 0;
  ssize_t count = 0;
  do {
    count = read(static_cast<int>(handle_), buffer, size);
  } while (count < 0 && errno == EINTR);
  if (count < 0) {
    Fail();
    return false;
  }
  done = static_cast<uint32_t>(count);
  return true;
}

bool File::Write(const void* buffer, uint32_t size) {
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  while (size > 0) {
    const ssize_t count = write(static_cast<int>(handle_), bytes, size);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      Fail();
      return false;
    }
    bytes += count;
    size -= static_cast<uint32_t>(count);
  }
  return true;
}

bool File::Seek(int64_t position) {
  if (position < 0) {
    errno = EINVAL;
  } else if (lseek(static_cast<int>(handle_), static_cast<off_t>(position), SEEK_SET) >= 0) {
    return true;
  }
  Fail();
  return false;
}

bool File::SetLastWriteTime(archive::DosDateTime time) {
  const archive::LocalTime fields = archive::DosDateTimeToLocalTime(time);
  std::tm local{};
  local.tm_year = fields.year - 1900;
  local.tm_mon = fields.month - 1;
  local.tm_mday = fields.day;
  local.tm_hour = fields.hour;
  local.tm_min = fields.minute;
  local.tm_sec = fields.second;
  local.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&local);
  if (seconds == static_cast<std::time_t>(-1)) {
    errno = EINVAL;
    Fail();
    return false;
  }
  const timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
  if (futimens(static_cast<int>(handle_), times) != 0) {
    Fail();
    return false;
  }
  return true;
}

bool File::Close() {
  if (!IsOpen()) return true;
  const int closed = close(static_cast<int>(std::exchange(handle_, kInvalidHandle)));
  if (closed != 0) Fail();
  return closed == 0;
}

}  // namespace kavrix::files
