#pragma once
// Files for the archive tests: a scratch directory per test, whole-file reads and
// writes, and archives built from entries through the production writer and encoder.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "archive/ArchiveFormat.h"

namespace kavrix::testing {

// A new directory under the system's temporary folder, removed with its contents (read-
// only files too) when the object goes.
class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::filesystem::path& Path() const noexcept { return path_; }
  // The platform's form of Path() / relative.
  std::string operator/(const std::string& relative) const {
    return (path_ / relative).make_preferred().string();
  }

 private:
  std::filesystem::path path_;
};

// Creates the parent directories as needed.
void WriteFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes);
std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);

struct PlannedEntry {
  std::string name;
  std::vector<uint8_t> content;
  int32_t attributes = 128;
  double date = 36526.5;  // noon, 1 January 2000
};

// A complete archive as the creating side lays it out: directory, then the packed
// streams contiguous in entry order. `entries` gets the directory values written.
std::vector<uint8_t> BuildArchive(const std::vector<PlannedEntry>& planned,
                                  std::vector<archive::DirectoryEntry>* entries = nullptr);

// The directory alone for `entries` as they are, so tests can set any value.
std::vector<uint8_t> DirectoryBytes(const std::vector<archive::DirectoryEntry>& entries);

}  // namespace kavrix::testing
