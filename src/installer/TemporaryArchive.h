#pragma once
// The copy of the payload that the extraction reads, in the user's temporary folder. It
// holds exactly the bytes this program wrote: it is always created new, and it stays
// open, shared for reading only, until it is removed, so no other process can change,
// replace, rename or delete it in between while the extraction can still open it to
// read.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "system/Sha256.h"
#include "system/Win32Handles.h"

namespace kavrix {

class TTemporaryArchive {
 public:
  TTemporaryArchive() = default;
  ~TTemporaryArchive() { Remove(); }
  TTemporaryArchive(const TTemporaryArchive&) = delete;
  TTemporaryArchive& operator=(const TTemporaryArchive&) = delete;

  // Removes a file of that name left by an earlier run, creates the file anew and writes
  // `bytes`, then reads the file back and, when `expected` is given, checks its digest.
  // A stale file that cannot be removed (one made read-only, or held open elsewhere), or
  // any failed step, raises EInOutError naming the file and the reason; a file it
  // created is removed again then.
  void Write(const std::string& path, std::span<const uint8_t> bytes, const std::optional<Sha256Digest>& expected);
  // Closes and deletes the file written, if any.
  void Remove() noexcept;

 private:
  [[noreturn]] void Fail(const std::string& reason);
  bool ReadsBackAs(const Sha256Digest& expected);

  std::string path_;
  UniqueHandle file_;
};

}  // namespace kavrix
