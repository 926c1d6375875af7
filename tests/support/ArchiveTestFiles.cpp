#include "support/ArchiveTestFiles.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>

#include "archive/LzhEncoder.h"

namespace kavrix::testing {

namespace fs = std::filesystem;

TempDirectory::TempDirectory() {
  static std::atomic<int> counter{0};
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = fs::temp_directory_path() /
          ("kavrix-archive-" + std::to_string(ticks) + "-" + std::to_string(++counter));
  fs::create_directories(path_);
}

TempDirectory::~TempDirectory() {
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(path_, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, error);
  }
  fs::remove_all(path_, error);
}

void WriteFileBytes(const fs::path& path, std::span<const uint8_t> bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

std::vector<uint8_t> ReadFileBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> BuildArchive(const std::vector<PlannedEntry>& planned,
                                  std::vector<archive::DirectoryEntry>* entries) {
  std::vector<archive::DirectoryEntry> directory;
  std::vector<uint8_t> data;
  for (const PlannedEntry& entry : planned) {
    const size_t offset = data.size();
    lzh::LzhEncode(entry.content, data);
    directory.push_back({entry.name, static_cast<int32_t>(entry.content.size()),
                         static_cast<int32_t>(data.size() - offset), static_cast<int32_t>(offset),
                         entry.attributes, entry.date});
  }
  std::vector<uint8_t> archive = DirectoryBytes(directory);
  archive.insert(archive.end(), data.begin(), data.end());
  if (entries != nullptr) *entries = directory;
  return archive;
}

std::vector<uint8_t> DirectoryBytes(const std::vector<archive::DirectoryEntry>& entries) {
  std::vector<uint8_t> bytes;
  archive::WriteDirectory(entries, bytes);
  return bytes;
}

}  // namespace kavrix::testing
