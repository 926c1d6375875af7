#include "archive/ArchiveReader.h"

#include <algorithm>

#include "archive/ArchiveNames.h"

namespace kavrix::archive {

int32_t ArchiveStartOf(const std::string& fileName) {
  const std::string name = ExtractFileName(fileName);
  const size_t dot = name.rfind('.');
  std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  if (extension != ".exe") return 0;
  return ParseArchiveStart(files::LoadHostString(fileName, kArchiveStartStringId, kArchiveStartBufferChars));
}

std::optional<int64_t> ReadArchiveDirectory(files::File& file, int32_t start,
                                            const std::function<void(DirectoryEntry&&)>& onEntry) {
  if (!file.Seek(start)) return std::nullopt;
  const std::optional<uint32_t> length =
      ReadDirectory([&file](std::span<uint8_t> bytes) { return file.ReadFully(bytes); }, onEntry);
  if (!length) return std::nullopt;
  return int64_t{start} + *length;
}

}  // namespace kavrix::archive
