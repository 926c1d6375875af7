#pragma once
// TLZHBatch: whole archive files (ArchiveFormat.h). It reads an archive's directory into
// a read-only contents list, extracts every entry into a target directory (creating the
// directories the stored names ask for, handling existing files, restoring dates and
// attributes on request, reporting progress that can cancel), checks archives without
// writing, and creates or extends archives from files on disk.
//
// Stored names never lead outside the target directory, entries that do not decode to
// their stored size are reported, and a directory that could not be read is not
// extracted: each raises an exception of its own.

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/ArchiveFiles.h"
#include "archive/Lzh_op.h"
#include "archive/StringList.h"

namespace kavrix {

// A change of a TReadOnlyStringList while it is read-only.
class EListReadOnly : public Exception {
 public:
  EListReadOnly();
};

// A target directory path that is empty, or a directory that cannot be created.
class EInvalidDir : public Exception {
 public:
  EInvalidDir();
};

// An existing target file that may neither be replaced nor skipped.
class EFileExist : public Exception {
 public:
  explicit EFileExist(const std::string& path);
};

// The archive cannot be opened for extraction; `reason` is the system's description.
class EOpenError : public Exception {
 public:
  EOpenError(const std::string& archiveFileName, const std::string& reason);
};

// File errors, each naming the file.
class EFileOpenError : public Exception {
 public:
  explicit EFileOpenError(const std::string& path);
};
class EFileCreateError : public Exception {
 public:
  explicit EFileCreateError(const std::string& path);
};
class EFileReadError : public Exception {
 public:
  explicit EFileReadError(const std::string& path);
};
class EFileWriteError : public Exception {
 public:
  explicit EFileWriteError(const std::string& path);
};

// A stored name that would lead outside the target directory or name no plain file.
class EUnsafeName : public Exception {
 public:
  explicit EUnsafeName(const std::string& name);
};

// A target, or a directory on its way, that is a link or a special file (device, FIFO,
// socket; on Windows a reparse point or another name of an existing file), which would
// take the entry elsewhere.
class ENotPlainTarget : public Exception {
 public:
  explicit ENotPlainTarget(const std::string& path);
};

// An entry whose packed data does not decode to its stored size, or is not there.
class EDamagedEntry : public Exception {
 public:
  explicit EDamagedEntry(const std::string& name);
};

// The directory of the archive could not be read completely, so its entries have no
// known data start.
class EInvalidArchive : public Exception {
 public:
  explicit EInvalidArchive(const std::string& archiveFileName);
};

// A file to be archived that cannot be found, read or stored, and that the creating
// side was not told to leave out.
class ECollectError : public Exception {
 public:
  explicit ECollectError(const std::string& path);
};

// A string list that refuses every change while ReadOnly is set.
class TReadOnlyStringList : public TStringList {
 public:
  bool ReadOnly() const noexcept { return readOnly_; }
  void SetReadOnly(bool value) noexcept { readOnly_ = value; }

  void Put(int index, std::string text) override;
  void PutObject(int index, std::unique_ptr<TObject> object) override;
  int Add(std::string text) override;
  int AddObject(std::string text, std::unique_ptr<TObject> object) override;
  void Insert(int index, std::string text) override;
  void Delete(int index) override;
  void Exchange(int first, int second) override;
  void Clear() override;
  void SetText(std::string_view text) override;
  void Sort() override;

 private:
  void CheckWritable() const;

  bool readOnly_ = false;
};

// The object on each contents line: where the entry's packed stream lies, counted from
// the data start.
class TExtraInfo : public TObject {
 public:
  explicit TExtraInfo(int32_t dataOffset) noexcept : dataOffset_(dataOffset) {}
  int32_t DataOffset() const noexcept { return dataOffset_; }

 private:
  int32_t dataOffset_;
};

// How much of a file's path the creating side stores as its name: the file name alone;
// the path below RootDirectory; the full path without its drive, after one backslash.
enum TDirectoryInfo : uint8_t { diNone, diRelativePath, diFullPath };
// A new archive replaces the file; an added one keeps the entries whose names are not
// being stored again.
enum TArchiveMode : uint8_t { amNew, amAdd };
enum TFileExistAction : uint8_t { feOverwrite, feSkip, feCancel };
// For each file found: store it, leave it out, or stop without writing anything.
enum TCollectAction : uint8_t { caInclude, caSkip, caCancel };
// For a file that cannot be collected: stop with ECollectError, or leave it out.
enum TCollectErrorAction : uint8_t { ceAbort, ceSkip };

// During Extract the byte counts are packed bytes read from the archive; during
// Compress they are bytes of the files packed. Each is ProgressCount of the real count.
using TProgressEvent =
    std::function<void(TObject& sender, const std::string& fileName, int32_t fileBytesWritten,
                       int32_t fileBytes, int32_t totalBytesWritten, int32_t totalBytes, bool& cancel)>;
using TFileExistEvent =
    std::function<void(TObject& sender, const std::string& fileName, TFileExistAction& action)>;
using TCollectingEvent =
    std::function<void(TObject& sender, const std::string& fileName, TCollectAction& action)>;
using TCollectErrorEvent =
    std::function<void(TObject& sender, const std::string& fileName, TCollectErrorAction& action)>;
using TDoneCollectingEvent =
    std::function<void(TObject& sender, int nrOfFiles, int32_t totalSize, bool& cancel)>;

// A count as the 32-bit events report it: one beyond their range (a directory can claim
// sizes whose sum is) as the range's end, so a total never turns negative.
int32_t ProgressCount(int64_t count) noexcept;

// The N-th field (from 1) of `text` cut at each `delimiter`; the last field runs to the
// end; "" when there are fewer than N fields.
std::string GetField(std::string_view text, char delimiter, int n);

// Makes sure directory `path` exists, creating missing parents first. Raises EInvalidDir
// for an empty path, for a relative path whose first element is missing (however short:
// a missing directory is never reported as made), and when a directory
// cannot be created. Any depth takes constant stack.
void MakeDirectoryPath(const std::string& path);

class TLZHBatch : public TCustomLZHCompressor {
 public:
  // ArchiveFileName (once expanded), OutputDirectory and RootDirectory refuse a longer
  // value with an Exception naming the property.
  static constexpr size_t kMaxStringProperty = 255;
  static constexpr uint16_t kBufferSize = 4096;
  // Each entry is decoded into this file in its target's directory, then renamed over
  // the target. Short, so that hardly a path is too long for it.
  static constexpr char kScratchFileName[] = "~kavrix.tmp";

  explicit TLZHBatch(TComponent* owner = nullptr);
  ~TLZHBatch() override;

  TDirectoryInfo DirectoryInfo() const noexcept { return directoryInfo_; }
  void SetDirectoryInfo(TDirectoryInfo value) noexcept { directoryInfo_ = value; }
  // The component's own list; assigning copies the lines.
  TStringList& InputFiles() noexcept { return inputFiles_; }
  void SetInputFiles(const TStringList& value) { inputFiles_.Assign(value); }
  // Stored as a full path; a change re-reads the contents.
  const std::string& ArchiveFileName() const noexcept { return archiveFileName_; }
  void SetArchiveFileName(const std::string& value);
  TArchiveMode ArchiveMode() const noexcept { return archiveMode_; }
  void SetArchiveMode(TArchiveMode value) noexcept { archiveMode_ = value; }
  const std::string& OutputDirectory() const noexcept { return outputDirectory_; }
  void SetOutputDirectory(const std::string& value);
  bool OverwriteExisting() const noexcept { return overwriteExisting_; }
  void SetOverwriteExisting(bool value) noexcept { overwriteExisting_ = value; }
  // A change re-reads the contents.
  const std::string& RootDirectory() const noexcept { return rootDirectory_; }
  void SetRootDirectory(const std::string& value);
  bool RecurseDirectories() const noexcept { return recurseDirectories_; }
  void SetRecurseDirectories(bool value) noexcept { recurseDirectories_ = value; }
  bool RestoreAttributes() const noexcept { return restoreAttributes_; }
  void SetRestoreAttributes(bool value) noexcept { restoreAttributes_ = value; }
  bool RestoreFileDate() const noexcept { return restoreFileDate_; }
  void SetRestoreFileDate(bool value) noexcept { restoreFileDate_ = value; }
  bool UseDirectoryNames() const noexcept { return useDirectoryNames_; }
  void SetUseDirectoryNames(bool value) noexcept { useDirectoryNames_ = value; }
  // True when the last contents read went through the whole directory.
  bool ValidArchive() const noexcept { return validArchive_; }

  // One line per directory entry: name, unpacked size, packed size, attributes and
  // date (general format, 15 digits, the user's decimal separator), separated by TAB,
  // each with a TExtraInfo. Read-only while the component holds it.
  TReadOnlyStringList& Contents() noexcept { return contents_; }

  TCollectingEvent OnCollecting;
  TCollectErrorEvent OnCollectError;
  TDoneCollectingEvent OnDoneCollecting;
  TFileExistEvent OnFileExist;
  TProgressEvent OnProgress;

  // Restores the saved properties, and then reads the contents of the archive they name
  // (property changes during the loading read nothing).
  void ReadState(TReader& reader) override;

  // Reads the directory of ArchiveFileName into the contents. A missing file or an
  // unreadable directory sets ValidArchive False and keeps the lines read before the
  // fault; a file that exists but cannot be opened raises EFileOpenError with the
  // contents empty.
  void ReadContents();
  void ClearContents();

  // Extracts every contents line into OutputDirectory. Returns at once when called from
  // inside one of its events. Raises EOpenError when the archive cannot be opened,
  // EInvalidArchive when ValidArchive is False, EUnsafeName (also for a target path the
  // platform would not take whole), ENotPlainTarget, EInvalidDir, EFileExist,
  // EFileCreateError, EFileWriteError, EFileReadError or EDamagedEntry for the entry at
  // hand (whose target is then removed), and whatever OnProgress or OnFileExist raise;
  // the entries before stay extracted. Nothing is created for a refused name or target,
  // and no link below OutputDirectory is followed. An existing target is replaced only
  // by a complete new file (renamed over it), so an entry that fails or is cancelled
  // leaves it as it was and leaves no partial file; a handler that raises during an
  // entry's last write does so after the entry is kept.
  void Extract();

  // The full path each contents line is extracted to, in order, as Extract builds it;
  // raises EUnsafeName or EDamagedEntry as Extract would.
  std::vector<std::string> TargetPaths() const;

  // Decodes every entry as Extract would, writing nothing, and checks that every name is
  // safe with its directories kept; raises as Extract does. OnProgress gets the stored
  // names.
  void Verify();
  // Raises EUnsafeName for the first contents line whose name is not safe with its
  // directories kept.
  void CheckNames();

  // Collects InputFiles (files, and the files in directories named there; with
  // RecurseDirectories their subdirectories too; relative lines from the current
  // directory), packs them and writes ArchiveFileName (new, or added to by ArchiveMode),
  // then re-reads the contents. Entries go in path order, ignoring letter case; the
  // archive file itself is never collected. OnCollecting is asked for each file found,
  // OnCollectError for each that is missing, unreadable, larger than 2 GB, not below
  // RootDirectory (diRelativePath) or whose stored name would be taken twice or falls
  // outside code page 1252, the stored names' text; a stored name the extraction would
  // refuse raises EUnsafeName with that name unless OnCollectError skips it.
  // OnDoneCollecting then gets the count and total size; OnProgress follows each file
  // packed. Nothing is written when collecting or packing is cancelled or fails, or
  // CheckExisting(archive) says no; an existing archive is replaced only by a complete
  // new one. Raises ECollectError, EUnsafeName, EFileOpenError, EFileReadError,
  // EFileExist, EInvalidArchive or EDamagedEntry (adding to a damaged archive),
  // EFileCreateError or EFileWriteError.
  void Compress();

 protected:
  // The properties are saved when they differ from their defaults; InputFiles as
  // "InputFiles.Strings", a list of strings; the enumerations as identifiers.
  bool ReadProperty(const std::string& name, TReader& reader) override;
  void WriteProperties(TWriter& writer) override;

 private:
  struct BooleanProperty {
    const char* name;
    bool TLZHBatch::*field;
    bool defaultValue;
  };
  static const BooleanProperty kBooleanProperties[5];  // in declaration order
  struct EntryFields;
  struct SourceFile;
  struct ArchiveImage;
  using EntryAction = void (TLZHBatch::*)(const EntryFields& fields, int32_t dataOffset);

  // Marks an operation running. However it ends, the files are closed and the busy and
  // cancel flags cleared, so the component can be used again.
  class BusyScope {
   public:
    explicit BusyScope(TLZHBatch& batch) noexcept : batch_(batch) {
      batch_.busy_ = true;
      batch_.cancel_ = false;
    }
    ~BusyScope() {
      batch_.archive_.Close();
      batch_.target_.Close();
      batch_.cancel_ = false;
      batch_.busy_ = false;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    TLZHBatch& batch_;
  };

  static std::optional<EntryFields> ParseContentsLine(const std::string& line);
  void ConnectCodec();
  void ProcessEntries(EntryAction action);
  // The relative path SafeRelativePath gives `name`; raises EUnsafeName when none.
  static std::string SafeRelativePathOf(const std::string& name, bool keepDirectories);
  // OutputDirectory, ending in a path delimiter unless empty.
  std::string TargetDirectory() const;
  void ExtractEntry(const EntryFields& fields, int32_t dataOffset);
  void VerifyEntry(const EntryFields& fields, int32_t dataOffset);
  std::string BuildTargetPath(const std::string& targetDirectory, const std::string& relativePath,
                              const std::string& name);
  bool CheckExisting(const std::string& path, bool forArchive);
  void ExtractFile(const std::string& targetDirectory, const std::string& relativePath,
                   const EntryFields& fields, int32_t dataOffset);
  void DecodeEntry(const EntryFields& fields, int32_t dataOffset);
  void ReadArchiveData(uint8_t* buffer, uint16_t size, uint16_t& count);
  void WriteTargetData(const uint8_t* buffer, uint16_t size);

  std::vector<SourceFile> CollectFiles();
  void CollectDirectory(const std::string& path, std::vector<std::string>& found);
  void ConsiderFile(const std::string& path, std::vector<std::string>& found);
  void CollectError(const std::string& path);
  bool SkipsCollectError(const std::string& path);  // asks OnCollectError
  std::vector<SourceFile> DescribeFiles(const std::vector<std::string>& paths);
  std::optional<std::string> StoredName(const std::string& path) const;
  ArchiveImage LoadArchiveForAdding(const std::vector<SourceFile>& sources);
  void PackFiles(const std::vector<SourceFile>& sources, ArchiveImage& image);
  void WriteArchive(const ArchiveImage& image);

  TDirectoryInfo directoryInfo_ = diNone;
  TStringList inputFiles_;
  std::string archiveFileName_;
  TArchiveMode archiveMode_ = amNew;
  std::string outputDirectory_;
  bool overwriteExisting_ = true;
  std::string rootDirectory_;
  bool recurseDirectories_ = false;
  bool restoreAttributes_ = false;
  bool restoreFileDate_ = false;
  bool useDirectoryNames_ = false;
  bool validArchive_ = false;

  bool loading_ = false;  // being read from its form
  bool busy_ = false;
  bool cancel_ = false;
  files::File archive_;
  files::File target_;
  int64_t dataStart_ = 0;
  TReadOnlyStringList contents_;

  // The entry being decoded.
  std::string entryName_;
  std::string targetPath_;
  int32_t entryPackedSize_ = 0;
  int32_t entryUnpackedSize_ = 0;
  int64_t entryBytesRead_ = 0;
  int64_t entryBytesDecoded_ = 0;
  std::exception_ptr entryFault_;  // kept out of the codec, which would swallow it
  std::exception_ptr handlerFault_;  // raised by OnProgress once the entry's data was complete
  int64_t totalBytesRead_ = 0;
  int64_t totalPacked_ = 0;
};

}  // namespace kavrix
