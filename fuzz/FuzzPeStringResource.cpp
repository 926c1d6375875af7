// Checks archive::ReadPeStringResource on any bytes taken as a PE file: no crash,
// sanitizer report or hang, for string 1 (the archive start a self-extracting host
// carries), the first and last strings of a block, the first of the next block, the
// last id, and an id the input's last two bytes pick. A string found keeps at most
// bufferChars - 1 characters, all 7-bit, is no longer than its 16-bit length, and
// shorter buffers get a prefix of the same string, present exactly when it is; string 1
// as the host's 15-character buffer gets it gives an archive start that is never
// negative.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "FuzzCheck.h"
#include "archive/ArchiveFormat.h"
#include "archive/PeResources.h"

namespace {

using kavrix::fuzz::Check;

// Larger than any string can be, so nothing is cut.
constexpr size_t kWholeBuffer = 65536 + 1;

void CheckString(std::span<const uint8_t> file, uint16_t id) {
  const std::optional<std::string> whole = kavrix::archive::ReadPeStringResource(file, id, kWholeBuffer);
  if (whole) {
    Check(!whole->empty(), "an empty string is reported as none");
    Check(whole->size() <= 0xFFFF && 2 * whole->size() <= file.size(), "a string is no longer than its data");
    for (const char c : *whole) Check(static_cast<unsigned char>(c) < 0x80, "characters are 7-bit");
  }
  for (const size_t bufferChars : {size_t{1}, size_t{2}, kavrix::archive::kArchiveStartBufferChars}) {
    const std::optional<std::string> cut = kavrix::archive::ReadPeStringResource(file, id, bufferChars);
    Check(cut.has_value() == whole.has_value(), "the buffer size does not decide whether a string is found");
    if (cut) Check(*cut == whole->substr(0, bufferChars - 1), "a short buffer gets the string's prefix");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  const uint16_t picked = size >= 2 ? static_cast<uint16_t>(data[size - 2] | data[size - 1] << 8) : 0;
  for (const uint16_t id : {uint16_t{kavrix::archive::kArchiveStartStringId}, uint16_t{0}, uint16_t{15},
                            uint16_t{16}, uint16_t{0xFFFF}, picked}) {
    CheckString(file, id);
  }

  const std::optional<std::string> start = kavrix::archive::ReadPeStringResource(
      file, kavrix::archive::kArchiveStartStringId, kavrix::archive::kArchiveStartBufferChars);
  Check(kavrix::archive::ParseArchiveStart(start.value_or("")) >= 0, "an archive start is never negative");
  return 0;
}
