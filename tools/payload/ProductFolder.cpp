#include "ProductFolder.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "archive/ArchiveFiles.h"
#include "archive/ArchiveFormat.h"
#include "archive/ArchiveNames.h"

namespace kavrix::payload {

namespace {

namespace fs = std::filesystem;

constexpr auto kLargestArchiveValue = static_cast<uintmax_t>(archive::kMaxArchiveValue);

[[noreturn]] void Refuse(const std::string& reason) { throw std::runtime_error(reason); }

std::string Quoted(const fs::path& path) {
  std::string quoted(1, '\'');
  quoted += path.string();
  return quoted += '\'';
}

bool IsWithin(const fs::path& path, const fs::path& folder) {
  return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first == folder.end();
}

std::vector<fs::path> SortedEntries(const fs::path& folder) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  if (error) Refuse("cannot read the folder " + Quoted(folder) + ": " + error.message());
  std::sort(entries.begin(), entries.end());
  return entries;
}

class FolderScan {
 public:
  explicit FolderScan(const std::string& root) : root_(fs::path(root).lexically_normal()) {
    if (!root_.has_filename() && root_.has_parent_path()) root_ = root_.parent_path();
  }

  ProductFolder Run() {
    std::error_code error;
    realRoot_ = fs::canonical(root_, error);
    if (error || !fs::is_directory(realRoot_)) Refuse("no product folder " + Quoted(root_));
    if (!Walk(root_, realRoot_, result_.emptyFolders)) {
      Refuse("the product folder " + Quoted(root_) + " holds no files");
    }
    if (totalSize_ > kLargestArchiveValue) {
      Refuse("the product's files have " + std::to_string(totalSize_) + " bytes together, more than the " +
             std::to_string(kLargestArchiveValue) + " an archive can hold");
    }
    return std::move(result_);
  }

 private:
  // Walks `folder`, whose real path is `real`, and answers whether a file lies below it;
  // only then do its topmost empty subfolders go to `emptyFolders`.
  bool Walk(const fs::path& folder, const fs::path& real, std::vector<std::string>& emptyFolders) {
    result_.folders.push_back(folder.string());
    walking_.push_back(real);
    bool holdsFiles = false;
    std::vector<std::string> emptyBelow;
    for (const fs::path& entry : SortedEntries(folder)) {
      const fs::path target = RealPathOf(entry, real);
      std::error_code error;
      const fs::file_status status = fs::status(entry, error);
      if (error) Refuse("cannot read " + Quoted(entry) + ": " + error.message());
      if (fs::is_regular_file(status)) {
        AddFile(entry);
        holdsFiles = true;
      } else if (fs::is_directory(status)) {
        if (std::find(walking_.begin(), walking_.end(), target) != walking_.end()) {
          Refuse(Quoted(entry) + " leads back to " + Quoted(target) + ", a folder that contains it");
        }
        if (Walk(entry, target, emptyBelow)) {
          holdsFiles = true;
        } else {
          emptyBelow.push_back(entry.string());
        }
      } else {
        Refuse(Quoted(entry) + " is neither a file nor a folder");
      }
    }
    walking_.pop_back();
    if (holdsFiles) emptyFolders.insert(emptyFolders.end(), emptyBelow.begin(), emptyBelow.end());
    return holdsFiles;
  }

  // Where `entry` of the folder whose real path is `realFolder` leads: itself, or for a
  // symbolic link its target, which must exist inside the product folder.
  fs::path RealPathOf(const fs::path& entry, const fs::path& realFolder) const {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(entry, error);
    if (error) Refuse("cannot read " + Quoted(entry) + ": " + error.message());
    if (!fs::is_symlink(status)) return realFolder / entry.filename();

    const fs::path real = fs::canonical(entry, error);
    if (error == std::errc::no_such_file_or_directory) {
      Refuse("the symbolic link " + Quoted(entry) + " leads to " + Quoted(fs::read_symlink(entry, error)) +
             ", which does not exist");
    }
    if (error) Refuse("the symbolic link " + Quoted(entry) + " cannot be followed: " + error.message());
    if (!IsWithin(real, realRoot_)) {
      Refuse("the symbolic link " + Quoted(entry) + " leads to " + Quoted(real) +
             ", outside the product folder");
    }
    return real;
  }

  void AddFile(const fs::path& path) {
    CheckName(path);
    files::File file = files::File::OpenForReading(path.string());
    if (!file.IsOpen()) Refuse("cannot read " + Quoted(path) + ": " + file.ErrorText());
    std::error_code error;
    const uintmax_t size = fs::file_size(path, error);
    if (error) Refuse("cannot read " + Quoted(path) + ": " + error.message());
    if (size > kLargestArchiveValue) {
      Refuse(Quoted(path) + " has " + std::to_string(size) + " bytes, more than the " +
             std::to_string(kLargestArchiveValue) + " an archive entry can hold");
    }
    totalSize_ += size;
    result_.files.push_back(path.string());
  }

  // The same rules the archive applies when it stores the name, checked here to name the
  // fault.
  void CheckName(const fs::path& path) const {
    const std::optional<std::string> stored = files::ToArchiveName(path.lexically_relative(root_).string());
    if (!stored) {
      Refuse("the name " + Quoted(path) +
             " has characters that the archive's names (Windows code page 1252) cannot carry");
    }
    if (!archive::SafeRelativePath(*stored, true)) {
      Refuse("the name " + Quoted(path) + " cannot be installed on Windows");
    }
  }

  fs::path root_;
  fs::path realRoot_;
  std::vector<fs::path> walking_;  // real paths of the folders being walked, outermost first
  uintmax_t totalSize_ = 0;
  ProductFolder result_;
};

}  // namespace

ProductFolder ScanProductFolder(const std::string& root) { return FolderScan(root).Run(); }

}  // namespace kavrix::payload
