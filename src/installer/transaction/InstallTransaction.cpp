#include "installer/transaction/InstallTransaction.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

#include "archive/ArchiveFiles.h"
#include "archive/FStorage.h"
#include "installer/FileSystem.h"

namespace kavrix {
namespace {

// One spelling per file: names differ in letter case only, and a destination at a
// drive root gives a doubled backslash.
std::string Canonical(const std::string& path) {
  std::string canonical;
  for (const char c : path) {
    if (c == '\\' && !canonical.empty() && canonical.back() == '\\') continue;
    canonical += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return canonical;
}

std::string DirectoryOf(const std::string& path) {
  const size_t split = path.find_last_of('\\');
  return split == std::string::npos ? std::string() : path.substr(0, split);
}

bool DeleteAnyFile(const std::string& path) {
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return ::DeleteFileA(path.c_str()) != 0;
}

std::optional<std::vector<uint8_t>> ReadAll(const std::string& path) {
  const UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.Get(), &size) || size.HighPart != 0) return std::nullopt;
  std::vector<uint8_t> bytes(size.LowPart);
  DWORD read = 0;
  if (!bytes.empty() && (!::ReadFile(file.Get(), bytes.data(), size.LowPart, &read, nullptr) || read != size.LowPart)) {
    return std::nullopt;
  }
  return bytes;
}

bool WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  const UniqueHandle file(
      ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && (bytes.empty() || (::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                                &written, nullptr) &&
                                    written == bytes.size()));
}

// Whether no file is left at `path`.
bool RemoveAnyFile(const std::string& path) { return DeleteAnyFile(path) || !FileExists(path); }

}  // namespace

TInstallTransaction::TInstallTransaction(std::string destination)
    : destination_(std::move(destination)), backupFolder_(destination_ + kBackupFolder) {}

TInstallTransaction::~TInstallTransaction() {
  if (!finished_) Rollback();
}

void TInstallTransaction::NoteNewDirectories(const std::string& path) {
  std::vector<std::string> missing;  // deepest first
  for (std::string directory = DirectoryOf(path); !directory.empty() && !files::IsRootPath(directory);
       directory = DirectoryOf(directory)) {
    if (!knownDirectories_.insert(Canonical(directory)).second) break;
    if (DirectoryExists(directory)) break;
    missing.push_back(directory);
  }
  newDirectories_.insert(newDirectories_.end(), missing.rbegin(), missing.rend());
}

std::string TInstallTransaction::NextBackupName() {
  return backupFolder_ + "\\" + std::to_string(moved_.size());
}

void TInstallTransaction::MoveAside(const std::string& path) {
  if (!movedPaths_.insert(Canonical(path)).second) return;
  NoteNewDirectories(path);
  if (!FileExists(path)) {
    moved_.push_back({path, {}});
    return;
  }
  if (!backupFolderCreated_) {
    if (!::CreateDirectoryA(backupFolder_.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      const DWORD code = ::GetLastError();
      throw EInOutError(Format("Cannot create the directory %s: ", backupFolder_) + SystemMessage(code));
    }
    backupFolderCreated_ = true;
  }
  const std::string backup = NextBackupName();
  // A rename keeps the bytes, the attributes and the dates; it is refused while another
  // program has the file open without sharing its deletion, before anything changed.
  if (!::MoveFileExA(path.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD code = ::GetLastError();
    throw EInOutError(Format("Cannot replace the file %s: ", path) + SystemMessage(code));
  }
  moved_.push_back({path, backup});
}

void TInstallTransaction::KeepCopy(const std::string& path) {
  NoteNewDirectories(path);
  if (!FileExists(path)) {
    copied_.push_back({path, std::nullopt});
    return;
  }
  std::optional<std::vector<uint8_t>> bytes = ReadAll(path);
  if (!bytes) {
    const DWORD code = ::GetLastError();
    throw EInOutError(Format("Cannot read the file %s: ", path) + SystemMessage(code));
  }
  copied_.push_back({path, std::move(bytes)});
}

void TInstallTransaction::KeepKey(HKEY root, const std::string& path) { keys_.emplace_back(root, path); }

void TInstallTransaction::Commit() noexcept {
  finished_ = true;
  RemoveBackupFolder();
}

// A program that was running from the destination can be renamed but, on Windows, not
// deleted while it runs; it and the folder then go when the system restarts.
void TInstallTransaction::RemoveBackupFolder() noexcept {
  if (!backupFolderCreated_) return;
  bool whole = true;
  for (const MovedFile& file : moved_) {
    if (!file.backup.empty() && !DeleteAnyFile(file.backup)) {
      whole = false;
      ::MoveFileExA(file.backup.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
  }
  if (!whole || !::RemoveDirectoryA(backupFolder_.c_str())) {
    ::MoveFileExA(backupFolder_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

std::vector<std::string> TInstallTransaction::Rollback() noexcept {
  finished_ = true;
  std::vector<std::string> notRestored;
  for (auto key = keys_.rbegin(); key != keys_.rend(); ++key) {
    if (!key->Restore()) notRestored.push_back("the registry key " + key->Path());
  }
  for (auto file = copied_.rbegin(); file != copied_.rend(); ++file) {
    if (!(file->bytes ? WriteAll(file->path, *file->bytes) : RemoveAnyFile(file->path))) {
      notRestored.push_back(file->path);
    }
  }
  for (auto file = moved_.rbegin(); file != moved_.rend(); ++file) {
    const bool restored =
        RemoveAnyFile(file->path) && (file->backup.empty() || ::MoveFileA(file->backup.c_str(), file->path.c_str()));
    if (!restored) {
      notRestored.push_back(file->backup.empty() ? file->path : file->path + " (kept as " + file->backup + ")");
    }
  }
  ::RemoveDirectoryA(backupFolder_.c_str());
  for (auto directory = newDirectories_.rbegin(); directory != newDirectories_.rend(); ++directory) {
    if (!::RemoveDirectoryA(directory->c_str()) && DirectoryExists(*directory)) notRestored.push_back(*directory);
  }
  return notRestored;
}

void RaiseNotUndone(const std::exception_ptr& failure, const std::vector<std::string>& notRestored) {
  std::string message = "The installation failed.";
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
  }
  message += "\r\n\r\nThese could not be put back as they were:";
  for (const std::string& item : notRestored) message += "\r\n" + item;
  throw Exception(message);
}

}  // namespace kavrix
