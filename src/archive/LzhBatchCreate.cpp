// TLZHBatch: the creating side. Everything is collected and packed in memory before
// anything is written, so a cancel or a failure leaves the existing archive as it was;
// the new archive is written beside it and then renamed over it.

#include <algorithm>
#include <cstdint>
#include <set>

#include "archive/ArchiveNames.h"
#include "archive/ArchiveReader.h"
#include "archive/LzhEncoder.h"
#include "archive/Lzh_btch.h"

namespace kavrix {

namespace {

using archive::kMaxArchiveValue;
constexpr uint32_t kReadStep = 65536;

char LowerAscii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), LowerAscii);
  return text;
}

// Names as the platform's file system compares them.
std::string FileNameKey(const std::string& path) { return files::FileNamesIgnoreCase() ? Lower(path) : path; }

std::string JoinPath(const std::string& directory, const std::string& name) {
  return files::IsPathDelimiter(directory.back()) ? directory + name
                                                  : directory + files::PathDelimiter() + name;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t sizeHint) {
  files::File file = files::File::OpenForReading(path);
  if (!file.IsOpen()) throw EFileOpenError(path);
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(std::min<uint64_t>(sizeHint, kMaxArchiveValue)));
  for (;;) {
    const size_t done = bytes.size();
    bytes.resize(done + kReadStep);
    uint32_t count = 0;
    if (!file.Read(bytes.data() + done, kReadStep, count)) throw EFileReadError(path);
    bytes.resize(done + count);
    if (count == 0) return bytes;
    if (bytes.size() > kMaxArchiveValue) throw ECollectError(path);
  }
}

}  // namespace

struct TLZHBatch::SourceFile {
  std::string path;
  std::string storedName;
  files::FileInfo info;
};

struct TLZHBatch::ArchiveImage {
  std::vector<uint8_t> prefix;  // a self-extracting host's bytes before the archive
  std::vector<archive::DirectoryEntry> entries;
  std::vector<uint8_t> data;  // the packed streams, contiguous in entry order
};

void TLZHBatch::Compress() {
  if (busy_) return;
  if (archiveFileName_.empty()) throw EFileCreateError(archiveFileName_);
  const BusyScope busy(*this);

  const std::vector<SourceFile> sources = CollectFiles();
  if (cancel_) return;
  ArchiveImage image = archiveMode_ == amAdd ? LoadArchiveForAdding(sources) : ArchiveImage{};
  PackFiles(sources, image);
  if (cancel_ || !CheckExisting(archiveFileName_, true)) return;
  WriteArchive(image);
  ReadContents();
}

std::vector<TLZHBatch::SourceFile> TLZHBatch::CollectFiles() {
  std::vector<std::string> found;
  for (int i = 0; i < inputFiles_.Count() && !cancel_; ++i) {
    const std::string path = files::ExpandFileName(inputFiles_.Strings(i));
    if (files::DirectoryExists(path)) {
      CollectDirectory(path, found);
    } else if (files::FileExists(path)) {
      ConsiderFile(path, found);
    } else {
      CollectError(path);
    }
  }
  if (cancel_) return {};

  // Sorted and without duplicates, as the file system tells names apart.
  std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
    const std::string keyA = Lower(a);
    const std::string keyB = Lower(b);
    return keyA != keyB ? keyA < keyB : a < b;
  });
  found.erase(std::unique(found.begin(), found.end(),
                          [](const std::string& a, const std::string& b) {
                            return FileNameKey(a) == FileNameKey(b);
                          }),
              found.end());

  std::vector<SourceFile> sources = DescribeFiles(found);
  if (!cancel_ && OnDoneCollecting) {
    int64_t totalSize = 0;
    for (const SourceFile& source : sources) totalSize += static_cast<int64_t>(source.info.size);
    OnDoneCollecting(*this, static_cast<int>(sources.size()), ProgressCount(totalSize), cancel_);
  }
  return sources;
}

void TLZHBatch::CollectDirectory(const std::string& path, std::vector<std::string>& found) {
  const std::optional<std::vector<files::DirectoryItem>> items = files::ListDirectory(path);
  if (!items) {
    CollectError(path);
    return;
  }
  for (const files::DirectoryItem& item : *items) {
    if (cancel_) return;
    const std::string itemPath = JoinPath(path, item.name);
    if (!item.isDirectory) {
      ConsiderFile(itemPath, found);
    } else if (recurseDirectories_) {
      CollectDirectory(itemPath, found);
    }
  }
}

void TLZHBatch::ConsiderFile(const std::string& path, std::vector<std::string>& found) {
  if (FileNameKey(path) == FileNameKey(archiveFileName_)) return;  // never the archive into itself
  TCollectAction action = caInclude;
  if (OnCollecting) OnCollecting(*this, path, action);
  if (action == caInclude) found.push_back(path);
  if (action == caCancel) cancel_ = true;
}

void TLZHBatch::CollectError(const std::string& path) {
  if (!SkipsCollectError(path)) throw ECollectError(path);
}

bool TLZHBatch::SkipsCollectError(const std::string& path) {
  TCollectErrorAction action = ceAbort;
  if (OnCollectError) OnCollectError(*this, path, action);
  return action == ceSkip;
}

std::vector<TLZHBatch::SourceFile> TLZHBatch::DescribeFiles(const std::vector<std::string>& paths) {
  std::vector<SourceFile> sources;
  std::set<std::string> storedNames;  // extraction on Windows tells names apart ignoring case
  for (const std::string& path : paths) {
    const std::optional<files::FileInfo> info = files::QueryFileInfo(path);
    const std::optional<std::string> stored = StoredName(path);
    if (!info || !stored || info->size > kMaxArchiveValue || !storedNames.insert(Lower(*stored)).second) {
      CollectError(path);
      continue;
    }
    // Extraction refuses the name by the same rule, so it is never stored.
    if (!archive::SafeRelativePath(*stored, true)) {
      if (!SkipsCollectError(path)) throw EUnsafeName(*stored);
      continue;
    }
    sources.push_back({path, *stored, *info});
  }
  return sources;
}

std::optional<std::string> TLZHBatch::StoredName(const std::string& path) const {
  std::optional<std::string> name;
  switch (directoryInfo_) {
    case diNone:
      name = files::ToArchiveName(archive::ExtractFileName(path));
      break;
    case diRelativePath: {
      std::string root = files::ExpandFileName(rootDirectory_.empty() ? "." : rootDirectory_);
      if (!files::IsPathDelimiter(root.back())) root += files::PathDelimiter();
      if (path.size() <= root.size() || FileNameKey(path.substr(0, root.size())) != FileNameKey(root)) {
        return std::nullopt;  // not below the root
      }
      name = files::ToArchiveName(path.substr(root.size()));
      break;
    }
    case diFullPath: {
      const bool hasDrive = files::PathDelimiter() == '\\' && path.size() >= 2 && path[1] == ':';
      name = files::ToArchiveName(path.substr(hasDrive ? 2 : 0));
      if (name) {
        name->erase(0, std::min(name->find_first_not_of('\\'), name->size()));
        name->insert(0, 1, '\\');
      }
      break;
    }
  }
  return name;
}

TLZHBatch::ArchiveImage TLZHBatch::LoadArchiveForAdding(const std::vector<SourceFile>& sources) {
  ArchiveImage image;
  if (!files::FileExists(archiveFileName_)) return image;
  std::set<std::string> replaced;
  for (const SourceFile& source : sources) replaced.insert(Lower(source.storedName));

  const int32_t start = archive::ArchiveStartOf(archiveFileName_);
  files::File file = files::File::OpenForReading(archiveFileName_);
  if (!file.IsOpen()) throw EFileOpenError(archiveFileName_);
  // The directory may claim any size: nothing is reserved beyond what the file holds.
  const std::optional<files::FileInfo> info = files::QueryFileInfo(archiveFileName_);
  const int64_t fileSize = info ? static_cast<int64_t>(info->size) : 0;
  if (start > fileSize) throw EInvalidArchive(archiveFileName_);
  image.prefix.resize(static_cast<size_t>(start));
  if (!file.ReadFully(image.prefix)) throw EInvalidArchive(archiveFileName_);

  std::vector<archive::DirectoryEntry> existing;
  const std::optional<int64_t> dataStart = archive::ReadArchiveDirectory(
      file, start, [&existing](archive::DirectoryEntry&& entry) { existing.push_back(std::move(entry)); });
  if (!dataStart) throw EInvalidArchive(archiveFileName_);

  for (archive::DirectoryEntry& entry : existing) {
    if (replaced.count(Lower(entry.name)) != 0) continue;
    const int64_t position = *dataStart + entry.dataOffset;
    if (entry.packedSize < 0 || entry.dataOffset < 0 || entry.packedSize > fileSize - position) {
      throw EDamagedEntry(entry.name);
    }
    const size_t offset = image.data.size();
    image.data.resize(offset + static_cast<size_t>(entry.packedSize));
    if (!file.Seek(position) ||
        !file.ReadFully({image.data.data() + offset, image.data.size() - offset})) {
      throw EDamagedEntry(entry.name);
    }
    entry.dataOffset = static_cast<int32_t>(offset);
    image.entries.push_back(std::move(entry));
  }
  return image;
}

void TLZHBatch::PackFiles(const std::vector<SourceFile>& sources, ArchiveImage& image) {
  int64_t totalSize = 0;
  for (const SourceFile& source : sources) totalSize += static_cast<int64_t>(source.info.size);
  int64_t totalDone = 0;
  for (const SourceFile& source : sources) {
    const std::vector<uint8_t> bytes = ReadWholeFile(source.path, source.info.size);
    const size_t offset = image.data.size();
    lzh::LzhEncode(bytes, image.data);
    if (static_cast<int64_t>(image.data.size()) > kMaxArchiveValue) throw ECollectError(source.path);

    archive::DirectoryEntry entry;
    entry.name = source.storedName;
    entry.unpackedSize = static_cast<int32_t>(bytes.size());
    entry.packedSize = static_cast<int32_t>(image.data.size() - offset);
    entry.dataOffset = static_cast<int32_t>(offset);
    entry.attributes = static_cast<int32_t>(source.info.attributes);
    entry.date = archive::EncodeDayCount(source.info.lastWrite);
    image.entries.push_back(std::move(entry));

    totalDone += static_cast<int64_t>(bytes.size());
    if (OnProgress) {
      const auto size = static_cast<int32_t>(bytes.size());
      OnProgress(*this, source.path, size, size, ProgressCount(totalDone), ProgressCount(totalSize), cancel_);
    }
    if (cancel_) return;
  }
}

void TLZHBatch::WriteArchive(const ArchiveImage& image) {
  std::vector<uint8_t> head = image.prefix;
  archive::WriteDirectory(image.entries, head);
  if (static_cast<int64_t>(head.size() + image.data.size()) > kMaxArchiveValue) {
    throw EFileWriteError(archiveFileName_);
  }

  const std::string temporary = archiveFileName_ + ".tmp";
  files::File file = files::File::Create(temporary, true);
  if (!file.IsOpen()) throw EFileCreateError(temporary);
  const bool written = file.Write(head.data(), static_cast<uint32_t>(head.size())) &&
                       file.Write(image.data.data(), static_cast<uint32_t>(image.data.size())) &&
                       file.Close();
  if (!written || !files::MoveOver(temporary, archiveFileName_)) {
    file.Close();
    files::RemoveFile(temporary);
    throw EFileWriteError(written ? archiveFileName_ : temporary);
  }
}

}  // namespace kavrix
