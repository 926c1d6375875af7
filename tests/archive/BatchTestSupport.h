#pragma once
// A batch component working in a scratch directory, with helpers to lay archives down,
// record progress and look at what extraction wrote.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive/Lzh_btch.h"
#include "support/ArchiveTestFiles.h"

namespace kavrix::testing {

struct ProgressCall {
  std::string fileName;
  int32_t fileBytesWritten;
  int32_t fileBytes;
  int32_t totalBytesWritten;
  int32_t totalBytes;
};

// A stored name with the platform's separators, for building expected paths.
inline std::string Native(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = static_cast<char>(std::filesystem::path::preferred_separator);
  }
  return path;
}

class BatchTest : public ::testing::Test {
 protected:
  BatchTest() : out_(temp_ / "out") { batch_.SetOutputDirectory(out_); }

  // Writes `bytes` as temp/`name` and returns its path.
  std::string PutFile(const std::vector<uint8_t>& bytes, const std::string& name = "test.qv2") {
    const std::string path = temp_ / name;
    WriteFileBytes(path, bytes);
    return path;
  }

  // Makes the component read an archive of `planned`, each time under a new name (the same
  // name would not be read again).
  void UseArchive(const std::vector<PlannedEntry>& planned,
                  std::vector<archive::DirectoryEntry>* entries = nullptr) {
    batch_.SetArchiveFileName(
        PutFile(BuildArchive(planned, entries), "archive" + std::to_string(++archives_) + ".qv2"));
    ASSERT_TRUE(batch_.ValidArchive());
  }

  void RecordProgress() {
    batch_.OnProgress = [this](TObject&, const std::string& fileName, int32_t fileBytesWritten,
                               int32_t fileBytes, int32_t totalBytesWritten, int32_t totalBytes, bool&) {
      progress_.push_back({fileName, fileBytesWritten, fileBytes, totalBytesWritten, totalBytes});
    };
  }

  std::string OutPath(const std::string& storedName) const { return out_ + Native("\\" + storedName); }
  bool OutExists(const std::string& storedName) const { return std::filesystem::exists(OutPath(storedName)); }
  std::vector<uint8_t> Out(const std::string& storedName) const { return ReadFileBytes(OutPath(storedName)); }

  TempDirectory temp_;
  std::string out_;
  TLZHBatch batch_;
  std::vector<ProgressCall> progress_;
  int archives_ = 0;
};

}  // namespace kavrix::testing
