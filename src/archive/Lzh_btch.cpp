// TLZHBatch: reading the contents and extracting. The creating side is in
// LzhBatchCreate.cpp.

#include "archive/Lzh_btch.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

#include "archive/ArchiveDates.h"
#include "archive/ArchiveNames.h"
#include "archive/ArchiveReader.h"

namespace kavrix {

namespace {

constexpr char kFieldDelimiter = '\t';
constexpr int kNumericFields = 4;  // after the name: unpacked size, packed size, attributes, date

// A longer value cut to the limit would name another file or directory, so it is refused.
const std::string& CheckedStringProperty(const std::string& value, const char* property) {
  if (value.size() > TLZHBatch::kMaxStringProperty) {
    throw Exception(std::string(property) + " is longer than " + std::to_string(TLZHBatch::kMaxStringProperty) +
                    " characters");
  }
  return value;
}

std::optional<int32_t> ParseInteger(std::string_view text) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::string ContentsLine(const archive::DirectoryEntry& entry, char decimalSeparator) {
  const std::string tab(1, kFieldDelimiter);
  return entry.name + tab + std::to_string(entry.unpackedSize) + tab + std::to_string(entry.packedSize) +
         tab + std::to_string(entry.attributes) + tab + archive::FormatDayCount(entry.date, decimalSeparator);
}

}  // namespace

EListReadOnly::EListReadOnly() : Exception("This stringlist is read-only. Changes are ignored") {}
EInvalidDir::EInvalidDir() : Exception("This is not a valid directory name") {}
EFileExist::EFileExist(const std::string& path)
    : Exception("Cannot write to " + path + ". File already exists") {}
EOpenError::EOpenError(const std::string& archiveFileName, const std::string& reason)
    : Exception("Error opening archive file " + archiveFileName + ".\r\n" + reason) {}
EFileOpenError::EFileOpenError(const std::string& path)
    : Exception(Format("Cannot open file %s", path)) {}
EFileCreateError::EFileCreateError(const std::string& path)
    : Exception(Format("Cannot create file %s", path)) {}
EFileReadError::EFileReadError(const std::string& path)
    : Exception(Format("Cannot read file %s", path)) {}
EFileWriteError::EFileWriteError(const std::string& path)
    : Exception(Format("Cannot write to file %s", path)) {}
EUnsafeName::EUnsafeName(const std::string& name)
    : Exception(Format("Archive entry %s has an unsafe name", name)) {}
ENotPlainTarget::ENotPlainTarget(const std::string& path)
    : Exception(Format("Cannot write to %s. A link or a special file is in the way", path)) {}
EDamagedEntry::EDamagedEntry(const std::string& name)
    : Exception(Format("Archive entry %s is damaged", name)) {}
EInvalidArchive::EInvalidArchive(const std::string& archiveFileName)
    : Exception(Format("The directory of archive %s could not be read", archiveFileName)) {}
ECollectError::ECollectError(const std::string& path)
    : Exception(Format("Cannot collect file %s", path)) {}

void TReadOnlyStringList::CheckWritable() const {
  if (readOnly_) throw EListReadOnly();
}

void TReadOnlyStringList::Put(int index, std::string text) {
  CheckWritable();
  TStringList::Put(index, std::move(text));
}

void TReadOnlyStringList::PutObject(int index, std::unique_ptr<TObject> object) {
  CheckWritable();
  TStringList::PutObject(index, std::move(object));
}

int TReadOnlyStringList::Add(std::string text) {
  CheckWritable();
  return TStringList::Add(std::move(text));
}

int TReadOnlyStringList::AddObject(std::string text, std::unique_ptr<TObject> object) {
  CheckWritable();
  return TStringList::AddObject(std::move(text), std::move(object));
}

void TReadOnlyStringList::Insert(int index, std::string text) {
  CheckWritable();
  TStringList::Insert(index, std::move(text));
}

void TReadOnlyStringList::Delete(int index) {
  CheckWritable();
  TStringList::Delete(index);
}

void TReadOnlyStringList::Exchange(int first, int second) {
  CheckWritable();
  TStringList::Exchange(first, second);
}

void TReadOnlyStringList::Clear() {
  CheckWritable();
  TStringList::Clear();
}

void TReadOnlyStringList::SetText(std::string_view text) {
  CheckWritable();
  TStringList::SetText(text);
}

void TReadOnlyStringList::Sort() {
  CheckWritable();
  TStringList::Sort();
}

int32_t ProgressCount(int64_t count) noexcept {
  return static_cast<int32_t>(std::clamp<int64_t>(count, 0, std::numeric_limits<int32_t>::max()));
}

std::string GetField(std::string_view text, char delimiter, int n) {
  for (int field = 1; field < n; ++field) {
    const size_t at = text.find(delimiter);
    if (at == std::string_view::npos) return {};
    text.remove_prefix(at + 1);
  }
  return n < 1 ? std::string() : std::string(text.substr(0, text.find(delimiter)));
}

// Walks up to the first level that exists, keeping only where each missing level ends
// (each is a prefix of `path`), then creates them top down: constant stack, and memory
// linear in the path's length however deep it is.
void MakeDirectoryPath(const std::string& path) {
  std::vector<size_t> missingLevels;  // lengths of the prefixes to create, deepest first
  std::string level = path;
  for (;;) {
    if (level.empty()) throw EInvalidDir();
    if (files::IsPathDelimiter(level.back()) && level.back() != ':') level.pop_back();
    if (files::IsRootPath(level) || files::DirectoryExists(level)) break;
    missingLevels.push_back(level.size());
    level.resize(archive::ExtractFilePath(level).size());
  }
  for (auto length = missingLevels.rbegin(); length != missingLevels.rend(); ++length) {
    level.assign(path, 0, *length);
    if (!files::MakeDir(level)) throw EInvalidDir();
  }
}

struct TLZHBatch::EntryFields {
  std::string name;
  int32_t unpackedSize = 0;
  int32_t packedSize = 0;
  int32_t attributes = 0;
  archive::DayCount date = 0;
};

TLZHBatch::TLZHBatch(TComponent* owner) : TCustomLZHCompressor(owner) {
  contents_.SetReadOnly(true);
  SetInputBufferSize(kBufferSize);
  SetOutputBufferSize(kBufferSize);
}

TLZHBatch::~TLZHBatch() { ClearContents(); }

void TLZHBatch::SetArchiveFileName(const std::string& value) {
  const std::string expanded = CheckedStringProperty(files::ExpandFileName(value), "ArchiveFileName");
  if (expanded == archiveFileName_) return;
  archiveFileName_ = expanded;
  if (!loading_) ReadContents();
}

void TLZHBatch::SetOutputDirectory(const std::string& value) {
  outputDirectory_ = CheckedStringProperty(value, "OutputDirectory");
}

void TLZHBatch::SetRootDirectory(const std::string& value) {
  if (CheckedStringProperty(value, "RootDirectory") == rootDirectory_) return;
  rootDirectory_ = value;
  if (!loading_) ReadContents();
}

// The component changes its own list through the base class, past the read-only check
// meant for callers.
void TLZHBatch::ClearContents() {
  contents_.TStringList::Clear();
  contents_.SetReadOnly(true);
}

void TLZHBatch::ReadContents() {
  ClearContents();
  validArchive_ = false;
  dataStart_ = 0;
  if (!files::FileExists(archiveFileName_)) return;

  const int32_t start = archive::ArchiveStartOf(archiveFileName_);
  files::File file = files::File::OpenForReading(archiveFileName_);
  if (!file.IsOpen()) throw EFileOpenError(archiveFileName_);

  const char separator = files::DecimalSeparator();
  const std::optional<int64_t> dataStart =
      archive::ReadArchiveDirectory(file, start, [&](archive::DirectoryEntry&& entry) {
        contents_.TStringList::AddObject(ContentsLine(entry, separator),
                                         std::make_unique<TExtraInfo>(entry.dataOffset));
      });
  if (dataStart) {
    validArchive_ = true;
    dataStart_ = *dataStart;
  }
}

std::optional<TLZHBatch::EntryFields> TLZHBatch::ParseContentsLine(const std::string& line) {
  // The name is what precedes the last four fields, so a name holding a TAB stays whole
  // and is then refused as unsafe.
  size_t nameEnd = line.size();
  for (int i = 0; i < kNumericFields && nameEnd != std::string::npos; ++i) {
    nameEnd = nameEnd == 0 ? std::string::npos : line.rfind(kFieldDelimiter, nameEnd - 1);
  }
  if (nameEnd == std::string::npos) return std::nullopt;
  const std::string_view numbers = std::string_view(line).substr(nameEnd + 1);
  const auto unpacked = ParseInteger(GetField(numbers, kFieldDelimiter, 1));
  const auto packed = ParseInteger(GetField(numbers, kFieldDelimiter, 2));
  const auto attributes = ParseInteger(GetField(numbers, kFieldDelimiter, 3));
  if (!unpacked || !packed || !attributes) return std::nullopt;
  // A date that does not read back sets no date, as one outside the DOS range does.
  const auto date = archive::ParseDayCount(GetField(numbers, kFieldDelimiter, 4), files::DecimalSeparator());
  return EntryFields{line.substr(0, nameEnd), *unpacked, *packed, *attributes, date.value_or(0)};
}

void TLZHBatch::ConnectCodec() {
  OnReadData = [this](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t& count) {
    ReadArchiveData(buffer, size, count);
  };
  OnWriteData = [this](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t& count) {
    WriteTargetData(buffer, size);
    count = size;
  };
}

void TLZHBatch::Extract() { ProcessEntries(&TLZHBatch::ExtractEntry); }

void TLZHBatch::Verify() { ProcessEntries(&TLZHBatch::VerifyEntry); }

void TLZHBatch::ProcessEntries(EntryAction action) {
  if (busy_) return;
  const BusyScope busy(*this);
  ConnectCodec();

  totalPacked_ = 0;
  totalBytesRead_ = 0;
  for (int i = 0; i < contents_.Count(); ++i) {
    if (const auto fields = ParseContentsLine(contents_.Strings(i))) totalPacked_ += fields->packedSize;
  }
  archive_ = files::File::OpenForReading(archiveFileName_);
  if (!archive_.IsOpen()) throw EOpenError(archiveFileName_, archive_.ErrorText());
  if (!validArchive_) throw EInvalidArchive(archiveFileName_);

  for (int i = 0; i < contents_.Count() && !cancel_; ++i) {
    const auto* extra = dynamic_cast<const TExtraInfo*>(contents_.Objects(i));
    const std::optional<EntryFields> fields = ParseContentsLine(contents_.Strings(i));
    if (!fields || extra == nullptr) throw EDamagedEntry(contents_.Strings(i));
    (this->*action)(*fields, extra->DataOffset());
  }
}

void TLZHBatch::CheckNames() {
  for (int i = 0; i < contents_.Count(); ++i) {
    const std::optional<EntryFields> fields = ParseContentsLine(contents_.Strings(i));
    if (!fields) throw EDamagedEntry(contents_.Strings(i));
    SafeRelativePathOf(fields->name, true);
  }
}

std::string TLZHBatch::SafeRelativePathOf(const std::string& name, bool keepDirectories) {
  std::optional<std::string> relative = archive::SafeRelativePath(name, keepDirectories);
  if (!relative) throw EUnsafeName(name);
  return std::move(*relative);
}

std::string TLZHBatch::TargetDirectory() const {
  // Only the separator itself counts: "C:" stays the drive's root, not its current directory.
  std::string directory = outputDirectory_;
  if (!directory.empty() && directory.back() != files::PathDelimiter()) directory += files::PathDelimiter();
  return directory;
}

std::vector<std::string> TLZHBatch::TargetPaths() const {
  const std::string directory = TargetDirectory();
  std::vector<std::string> paths;
  for (int i = 0; i < contents_.Count(); ++i) {
    const std::optional<EntryFields> fields = ParseContentsLine(contents_.Strings(i));
    if (!fields) throw EDamagedEntry(contents_.Strings(i));
    paths.push_back(directory + SafeRelativePathOf(fields->name, useDirectoryNames_));
  }
  return paths;
}

void TLZHBatch::ExtractEntry(const EntryFields& fields, int32_t dataOffset) {
  ExtractFile(TargetDirectory(), SafeRelativePathOf(fields.name, useDirectoryNames_), fields, dataOffset);
}

void TLZHBatch::VerifyEntry(const EntryFields& fields, int32_t dataOffset) {
  SafeRelativePathOf(fields.name, true);
  targetPath_ = fields.name;
  DecodeEntry(fields, dataOffset);
  if (handlerFault_) std::rethrow_exception(std::exchange(handlerFault_, nullptr));
}

// Everything that could make the path mean something else is refused before anything is
// created: a path the platform would not take whole, and a link or special file below
// the target directory, which would lead the entry elsewhere (or, a FIFO, stall it).
std::string TLZHBatch::BuildTargetPath(const std::string& targetDirectory, const std::string& relativePath,
                                       const std::string& name) {
  std::string path = targetDirectory + relativePath;
  if (!files::IsWithinPathLimit(path)) throw EUnsafeName(name);
  if (!files::IsPlainTarget(targetDirectory, relativePath)) throw ENotPlainTarget(path);
  MakeDirectoryPath(archive::ExtractFilePath(path));
  return path;
}

bool TLZHBatch::CheckExisting(const std::string& path, bool forArchive) {
  if (!files::FileExists(path) || (forArchive && archiveMode_ != amNew)) return true;
  // The existing file is only made replaceable (read-only ones too): a complete new file
  // is moved over it, so a failed or cancelled write leaves it as it was.
  const auto makeReplaceable = [&path] { files::SetAttributes(path, files::kAttributeNormal); };
  if (overwriteExisting_) {
    makeReplaceable();
    return true;
  }
  if (!OnFileExist) throw EFileExist(path);
  TFileExistAction action = feOverwrite;
  OnFileExist(*this, path, action);
  if (action == feOverwrite) {
    makeReplaceable();
    return true;
  }
  if (action == feCancel) cancel_ = true;
  return false;
}

// The entry is decoded into a scratch file beside its target, on the same volume, and
// renamed over the target only once it holds every byte: whatever stops it (a fault, a
// cancel, a handler that raises before the data is complete) removes the scratch file
// and leaves an existing target untouched. A handler that raises once the data is
// complete does not undo the entry; its exception propagates after the rename.
void TLZHBatch::ExtractFile(const std::string& targetDirectory, const std::string& relativePath,
                            const EntryFields& fields, int32_t dataOffset) {
  const std::string path = BuildTargetPath(targetDirectory, relativePath, fields.name);
  const std::string scratchRelative = archive::ExtractFilePath(relativePath) + kScratchFileName;
  const std::string scratch = targetDirectory + scratchRelative;
  if (!files::IsWithinPathLimit(scratch)) throw EUnsafeName(fields.name);
  const std::optional<files::FileInfo> existing = files::QueryFileInfo(path);
  if (!CheckExisting(path, false)) return;
  const auto restoreExisting = [&] {
    if (existing) files::SetAttributes(path, existing->attributes);
  };
  target_ = files::File::CreateBelow(targetDirectory, scratchRelative);
  if (!target_.IsOpen()) {
    restoreExisting();
    throw EFileCreateError(path);
  }
  targetPath_ = path;
  const auto discard = [&] {
    target_.Close();
    files::RemoveFile(scratch);
    restoreExisting();
  };
  try {
    DecodeEntry(fields, dataOffset);
  } catch (...) {
    discard();
    throw;
  }
  if (cancel_ && entryBytesDecoded_ != entryUnpackedSize_) {
    discard();
    return;
  }
  const archive::DosDateTime date = archive::DayCountToDosDateTime(fields.date);
  if (restoreFileDate_ && date != 0) target_.SetLastWriteTime(date);  // a failure here is not reported
  if (!target_.Close()) {
    discard();
    throw EFileWriteError(path);
  }
  if (!files::MoveOver(scratch, path)) {
    discard();
    throw EFileCreateError(path);
  }
  if (restoreAttributes_) files::SetAttributes(path, static_cast<uint32_t>(fields.attributes));
  if (handlerFault_) std::rethrow_exception(std::exchange(handlerFault_, nullptr));
}

void TLZHBatch::DecodeEntry(const EntryFields& fields, int32_t dataOffset) {
  entryName_ = fields.name;
  entryPackedSize_ = fields.packedSize;
  entryUnpackedSize_ = fields.unpackedSize;
  entryBytesRead_ = 0;
  entryBytesDecoded_ = 0;
  entryFault_ = nullptr;
  handlerFault_ = nullptr;
  if (!archive_.Seek(dataStart_ + dataOffset)) throw EDamagedEntry(fields.name);
  Decompress();
  if (entryFault_) std::rethrow_exception(std::exchange(entryFault_, nullptr));
  if (!cancel_ && entryBytesDecoded_ != entryUnpackedSize_) throw EDamagedEntry(fields.name);
}

// The codec's OnReadData: never more than the entry's packed stream, and nothing once
// cancelled or failed.
void TLZHBatch::ReadArchiveData(uint8_t* buffer, uint16_t size, uint16_t& count) {
  count = 0;
  const int64_t wanted = std::min<int64_t>(size, entryPackedSize_ - entryBytesRead_);
  if (cancel_ || entryFault_ || wanted <= 0) return;
  uint32_t done = 0;
  if (!archive_.Read(buffer, static_cast<uint32_t>(wanted), done)) {
    entryFault_ = std::make_exception_ptr(EFileReadError(archiveFileName_));
    return;
  }
  count = static_cast<uint16_t>(done);
  entryBytesRead_ += done;
  totalBytesRead_ += done;
}

// The codec's OnWriteData. Faults are kept for DecodeEntry to raise: the codec would
// absorb an exception here and end the entry as if it were complete.
void TLZHBatch::WriteTargetData(const uint8_t* buffer, uint16_t size) {
  if (entryFault_) return;
  if (entryBytesDecoded_ + size > entryUnpackedSize_) {  // also stops damaged data from filling the disk
    entryFault_ = std::make_exception_ptr(EDamagedEntry(entryName_));
    return;
  }
  entryBytesDecoded_ += size;
  if (target_.IsOpen() && size > 0 && !target_.Write(buffer, size)) {
    entryFault_ = std::make_exception_ptr(EFileWriteError(targetPath_));
    return;
  }
  if (!OnProgress) return;
  try {
    OnProgress(*this, targetPath_, ProgressCount(entryBytesRead_), entryPackedSize_, ProgressCount(totalBytesRead_),
               ProgressCount(totalPacked_), cancel_);
  } catch (...) {
    // Once every byte is written the entry stands; the fault is raised after it is kept.
    (entryBytesDecoded_ == entryUnpackedSize_ ? handlerFault_ : entryFault_) = std::current_exception();
  }
}

}  // namespace kavrix
