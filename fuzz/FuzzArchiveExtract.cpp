// Checks TLZHBatch::Extract on any bytes taken as an archive file, extracted with the
// directory names kept, existing files replaced and dates restored into a fresh folder
// four levels below a sandbox: nothing may appear in the sandbox outside that folder,
// no single allocation may pass what the input can fill (beyond a fixed allowance for
// the codec's buffers and one 64 KiB step of a string), one input may not take 10
// seconds, and an Extract that returns must have left every target whole: exactly the
// bytes its packed stream decodes to, as many as the entry announces. Bit 0 of the
// first byte drops the directory names; bit 1 extracts twice, so that the second run
// replaces what the first wrote.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "AllocationWatch.h"
#include "FuzzCheck.h"
#include "archive/ArchiveFiles.h"
#include "archive/ArchiveFormat.h"
#include "archive/ArchiveNames.h"
#include "archive/LzhMemory.h"
#include "archive/Lzh_btch.h"

namespace {

namespace fs = std::filesystem;
using kavrix::archive::DirectoryEntry;
using kavrix::fuzz::AllocationWatch;
using kavrix::fuzz::Check;

constexpr size_t kFixedAllowance = 256 * 1024;
constexpr auto kTimeLimit = std::chrono::seconds(10);

// One sandbox per process, emptied for every input.
struct Sandbox {
  Sandbox()
      : root(fs::temp_directory_path() / ("kavrix-fuzz-extract-" + std::to_string(
                                              std::chrono::steady_clock::now().time_since_epoch().count()))),
        archive(root / "archive.qv2"),
        target(root / "a" / "b" / "c" / "out") {}
  ~Sandbox() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  void Reset(std::span<const uint8_t> bytes) const {
    fs::remove_all(root);
    fs::create_directories(target.parent_path());
    std::ofstream(archive, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
  }

  // Everything but the archive and the target's parents lies below the target.
  bool NothingOutsideTarget() const {
    const std::string inside = (target / "").string();
    for (const auto& item : fs::recursive_directory_iterator(root)) {
      const fs::path& path = item.path();
      const bool allowed = path == archive || path == target || path.string().starts_with(inside) ||
                           target.string().starts_with((path / "").string());
      if (!allowed) return false;
    }
    return true;
  }

  fs::path root;
  fs::path archive;
  fs::path target;
};

std::vector<uint8_t> FileBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// What the component's reader hands the codec for `entry`: the packed stream, cut at the
// end of the file.
std::span<const uint8_t> PackedStream(std::span<const uint8_t> archive, size_t dataStart,
                                      const DirectoryEntry& entry) {
  const int64_t begin = static_cast<int64_t>(dataStart) + entry.dataOffset;
  if (begin < 0 || begin > static_cast<int64_t>(archive.size()) || entry.packedSize <= 0) return {};
  const size_t length =
      std::min<size_t>(static_cast<size_t>(entry.packedSize), archive.size() - static_cast<size_t>(begin));
  return archive.subspan(static_cast<size_t>(begin), length);
}

// Every target holds what the last entry written to it decodes to.
void CheckTargetsWhole(std::span<const uint8_t> archive, const fs::path& target, bool keepDirectories) {
  std::vector<DirectoryEntry> entries;
  size_t taken = 0;
  const kavrix::archive::ByteSource source = [&](std::span<uint8_t> out) {
    if (out.size() > archive.size() - taken) return false;
    std::copy_n(archive.begin() + static_cast<std::ptrdiff_t>(taken), out.size(), out.begin());
    taken += out.size();
    return true;
  };
  const auto length =
      kavrix::archive::ReadDirectory(source, [&](DirectoryEntry&& e) { entries.push_back(std::move(e)); });
  Check(length.has_value(), "an archive that extracts has a whole directory");

  // Keyed as the file system tells names apart.
  std::map<std::string, std::pair<std::string, const DirectoryEntry*>> lastWritten;
  for (const DirectoryEntry& entry : entries) {
    const auto relative = kavrix::archive::SafeRelativePath(entry.name, keepDirectories);
    Check(relative.has_value(), "every extracted name is safe");
    std::string key = *relative;
    if (kavrix::files::FileNamesIgnoreCase()) {
      std::transform(key.begin(), key.end(), key.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
      });
    }
    lastWritten[key] = {*relative, &entry};
  }
  for (const auto& [key, last] : lastWritten) {
    const auto& [relative, entry] = last;
    const std::vector<uint8_t> written = FileBytes(target / relative);
    Check(written.size() == static_cast<size_t>(entry->unpackedSize), "a whole target has the announced size");
    Check(written == kavrix::lzh::LzhDecodeBuffer(PackedStream(archive, *length, *entry)),
          "a whole target holds what its stream decodes to");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const Sandbox sandbox;
  const std::span<const uint8_t> archive(data + 1, size - 1);
  const bool keepDirectories = (data[0] & 1) == 0;
  const int runs = (data[0] & 2) != 0 ? 2 : 1;
  sandbox.Reset(archive);

  const auto start = std::chrono::steady_clock::now();
  bool whole = true;
  size_t largest = 0;
  {
    kavrix::TLZHBatch batch;
    batch.SetOutputDirectory(sandbox.target.string());
    batch.SetUseDirectoryNames(keepDirectories);
    batch.SetRestoreFileDate(true);
    const AllocationWatch watch;
    for (int run = 0; run < runs && whole; ++run) {
      try {
        batch.SetArchiveFileName(sandbox.archive.string());
        batch.Extract();
      } catch (const std::exception&) {
        whole = false;
      }
    }
    largest = watch.Largest();
  }
  Check(std::chrono::steady_clock::now() - start < kTimeLimit, "one input extracts within the time bound");
  Check(largest <= std::max(2 * size, kFixedAllowance), "no allocation beyond what the input can fill");
  Check(sandbox.NothingOutsideTarget(), "nothing appears outside the target folder");
  if (whole) CheckTargetsWhole(archive, sandbox.target, keepDirectories);
  return 0;
}
