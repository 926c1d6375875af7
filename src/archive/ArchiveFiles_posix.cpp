// The archive file operations on POSIX, for the host build's tools and tests. Windows
// attributes shrink to the read-only bit; times go through the C library's local time.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <utility>

#include "archive/ArchiveFiles.h"
#include "archive/CodePage1252.h"
#include "archive/PeResources.h"

namespace kavrix::files {

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

struct DirCloser {
  void operator()(DIR* dir) const noexcept { closedir(dir); }
};

}  // namespace

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
