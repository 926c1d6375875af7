#pragma once
// What an installation changes, kept so that all of it can be undone. Before each change
// the installation says what it is about to touch: a file in the destination is moved
// aside into a backup folder inside the destination (or, when there is none yet, noted
// as one that will be new), a file elsewhere (a shortcut) is kept in memory, a registry
// key is copied with everything below it, and every directory that does not exist yet
// is noted. Rollback puts everything back as it was, byte for byte and value for value,
// and removes what is new; Commit drops the backup.

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "system/RegistrySnapshot.h"

namespace kavrix {

class TInstallTransaction {
 public:
  // The backup folder is kBackupFolder inside `destination`.
  explicit TInstallTransaction(std::string destination);
  // Neither committed nor rolled back: rolled back.
  ~TInstallTransaction();
  TInstallTransaction(const TInstallTransaction&) = delete;
  TInstallTransaction& operator=(const TInstallTransaction&) = delete;

  static constexpr char kBackupFolder[] = "\\~kavrix-backup";

  // Before a file of the destination is replaced, deleted or created: an existing file
  // is moved into the backup folder, so its place is free. Raises EInOutError naming
  // the file and the system's reason when it cannot be moved (above all when another
  // program holds it open). A path given again is left alone.
  void MoveAside(const std::string& path);
  // Before a file outside the destination is written or deleted: keeps its bytes, or
  // that there was none. Raises EInOutError when an existing file cannot be read.
  void KeepCopy(const std::string& path);
  // Before a registry key is written to.
  void KeepKey(HKEY root, const std::string& path);

  // The installation is complete: the backup folder and what it holds are deleted.
  void Commit() noexcept;
  // Everything noted is put back, the newest first. What cannot be put back is left as
  // it is, a replaced file in the backup folder, and the rest still restored; the result
  // names each of them, and is empty when everything was.
  std::vector<std::string> Rollback() noexcept;

 private:
  struct MovedFile {
    std::string path;
    std::string backup;  // empty: there was no file
  };
  struct CopiedFile {
    std::string path;
    std::optional<std::vector<uint8_t>> bytes;  // nothing: there was no file
  };
  // Notes every missing directory of `path`'s directory part, parents first.
  void NoteNewDirectories(const std::string& path);
  std::string NextBackupName();
  void RemoveBackupFolder() noexcept;

  std::string destination_;
  std::string backupFolder_;
  bool backupFolderCreated_ = false;
  bool finished_ = false;
  std::vector<MovedFile> moved_;
  std::set<std::string> movedPaths_;
  std::vector<CopiedFile> copied_;
  std::vector<TRegistrySnapshot> keys_;
  std::vector<std::string> newDirectories_;  // parents before children
  std::set<std::string> knownDirectories_;   // looked at already
};

// Raises an Exception with the message of `failure` followed by what a rollback could
// not put back: the user must not take the machine for what it was before.
[[noreturn]] void RaiseNotUndone(const std::exception_ptr& failure, const std::vector<std::string>& notRestored);

}  // namespace kavrix
