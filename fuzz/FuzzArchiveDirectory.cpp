// Checks archive::ReadDirectory on any bytes: no crash, sanitizer report or hang, and no
// allocation the input could not fill beyond one 64 KiB step of a string (the reader
// cannot ask a ByteSource how much is left) and the doubling of a growing string. It
// takes exactly the length it returns, nothing after the list end, and reads the same
// bytes the same way twice. A directory that reads is written back with WriteDirectory,
// which appends, and read again: the same entries, dates to the bit, and the whole
// written directory taken; writing what was read back gives the same bytes again.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "AllocationWatch.h"
#include "FuzzCheck.h"
#include "archive/ArchiveFormat.h"

namespace {

using kavrix::archive::DirectoryEntry;
using kavrix::fuzz::AllocationWatch;
using kavrix::fuzz::Check;

constexpr size_t kStringStep = 65536;

struct Reading {
  std::optional<uint32_t> length;
  std::vector<DirectoryEntry> entries;
  size_t taken = 0;
  size_t largestAllocation = 0;
};

Reading Read(std::span<const uint8_t> bytes) {
  Reading reading;
  const kavrix::archive::ByteSource source = [&](std::span<uint8_t> out) {
    if (out.size() > bytes.size() - reading.taken) return false;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(reading.taken), out.size(), out.begin());
    reading.taken += out.size();
    return true;
  };
  const auto collect = [&](DirectoryEntry&& entry) {
    const AllocationWatch::Pause pause;
    reading.entries.push_back(std::move(entry));
  };
  const AllocationWatch watch;
  reading.length = kavrix::archive::ReadDirectory(source, collect);
  reading.largestAllocation = watch.Largest();
  return reading;
}

bool SameEntry(const DirectoryEntry& x, const DirectoryEntry& y) {
  return x.name == y.name && x.unpackedSize == y.unpackedSize && x.packedSize == y.packedSize &&
         x.dataOffset == y.dataOffset && x.attributes == y.attributes &&
         std::bit_cast<uint64_t>(x.date) == std::bit_cast<uint64_t>(y.date);
}

bool SameEntries(const std::vector<DirectoryEntry>& a, const std::vector<DirectoryEntry>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameEntry);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  const Reading first = Read(input);
  Check(first.largestAllocation <= std::max(2 * size, kStringStep) + 64,
        "no allocation beyond what the input can fill");
  if (first.length) Check(first.taken == *first.length, "the returned length is exactly what was taken");

  const Reading again = Read(input);
  Check(again.length == first.length && again.taken == first.taken, "reading is deterministic");
  Check(SameEntries(again.entries, first.entries), "reading is deterministic");
  if (!first.length) return 0;

  const std::vector<uint8_t> prefix = {0xEE};
  std::vector<uint8_t> written = prefix;
  kavrix::archive::WriteDirectory(first.entries, written);
  Check(written.front() == prefix.front(), "WriteDirectory keeps what the output held");
  written.erase(written.begin());

  const Reading reread = Read(written);
  Check(reread.length == written.size() && reread.taken == written.size(),
        "a written directory reads back whole");
  Check(SameEntries(reread.entries, first.entries), "a written directory reads back to the same entries");

  std::vector<uint8_t> rewritten;
  kavrix::archive::WriteDirectory(reread.entries, rewritten);
  Check(rewritten == written, "writing what was read back gives the same bytes");
  return 0;
}
