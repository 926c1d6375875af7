#include "installer/TemporaryArchive.h"

#include <algorithm>
#include <vector>

#include "archive/FStorage.h"
#include "installer/FileSystem.h"

namespace kavrix {
namespace {

constexpr DWORD kReadBackBlock = 1 << 20;

}  // namespace

void TTemporaryArchive::Write(const std::string& path, std::span<const uint8_t> bytes,
                              const std::optional<Sha256Digest>& expected) {
  Remove();
  // A read-only stale file is not made writable: someone protected it, and it is
  // reported rather than overwritten.
  if (!::DeleteFileA(path.c_str())) {
    const DWORD code = ::GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) {
      throw EInOutError(Format("Cannot replace the temporary file %s: ", path) + SystemMessage(code));
    }
  }
  // Shared for reading only: writes, renames and deletion by anyone else are refused
  // for as long as it is open. The extraction's own open (read access, sharing reads
  // and writes) is compatible with it.
  file_.Reset(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY, nullptr));
  if (!file_) {
    const DWORD code = ::GetLastError();
    throw EInOutError(Format("Cannot create the temporary file %s: ", path) + SystemMessage(code));
  }
  path_ = path;
  for (size_t done = 0; done < bytes.size();) {
    const DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, MAXDWORD));
    DWORD written = 0;
    if (!::WriteFile(file_.Get(), bytes.data() + done, part, &written, nullptr)) Fail(SystemMessage(::GetLastError()));
    if (written != part) Fail(SystemMessage(ERROR_DISK_FULL));
    done += written;
  }
  if (expected && !ReadsBackAs(*expected)) Fail("it does not read back as written");
}

bool TTemporaryArchive::ReadsBackAs(const Sha256Digest& expected) {
  if (::SetFilePointer(file_.Get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
  Sha256 hash;
  std::vector<uint8_t> block(kReadBackBlock);
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file_.Get(), block.data(), kReadBackBlock, &read, nullptr)) return false;
    if (read == 0) break;
    hash.Add(std::span(block.data(), read));
  }
  return hash.Finish() == expected;
}

void TTemporaryArchive::Fail(const std::string& reason) {
  const std::string path = path_;
  Remove();
  throw EInOutError(Format("Cannot write the temporary file %s: ", path) + reason);
}

void TTemporaryArchive::Remove() noexcept {
  if (!file_) return;
  file_.Reset();
  ::DeleteFileA(path_.c_str());
  path_.clear();
}

}  // namespace kavrix
