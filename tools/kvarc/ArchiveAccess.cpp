#include "ArchiveAccess.h"

#include <cstdint>

#include "FileIo.h"
#include "archive/ArchiveFiles.h"
#include "archive/Lzh_btch.h"

namespace kavrix::kvarc {

namespace {

void CheckLength(const std::string& path, const std::string& value) {
  if (value.size() > TLZHBatch::kMaxStringProperty) {
    throw ToolError("'" + path + "': paths longer than " + std::to_string(TLZHBatch::kMaxStringProperty) +
                    " characters are not supported");
  }
}

}  // namespace

void SetArchiveName(TLZHBatch& batch, const std::string& path) {
  const std::string fullPath = files::ExpandFileName(path);
  CheckLength(path, fullPath);
  batch.SetArchiveFileName(fullPath);
}

void OpenArchive(TLZHBatch& batch, const std::string& path) {
  // The component reports a missing or unreadable file only as an invalid archive; the
  // system's reason is clearer. Reading a byte also refuses a directory.
  InputFile probe(path);
  uint8_t byte = 0;
  probe.Read(&byte, 1);
  SetArchiveName(batch, path);
}

void RequireValidArchive(const TLZHBatch& batch) {
  if (!batch.ValidArchive()) throw EInvalidArchive(batch.ArchiveFileName());
}

std::string CheckedDirectory(const std::string& path, bool mayBeMissing) {
  const std::string fullPath = files::ExpandFileName(path);
  CheckLength(path, fullPath);
  const bool acceptable = files::DirectoryExists(fullPath) || (mayBeMissing && !files::FileExists(fullPath));
  if (acceptable && !path.empty()) return fullPath;
  throw ToolError("'" + path + "' is not a directory");
}

void UseLargeBuffers(TLZHBatch& batch) {
  batch.SetInputBufferSize(TCustomLZHCompressor::kMaxBufferSize);
  batch.SetOutputBufferSize(TCustomLZHCompressor::kMaxBufferSize);
}

}  // namespace kavrix::kvarc
