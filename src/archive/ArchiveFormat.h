#pragma once
// The archive file format, defined once for the reader and the writer.
//
//   offset 0 (or the self-extracting start)   0x01                  list start (vaList)
//                                             entry, entry, ...     six tagged values each
//                                             0x00                  list end (vaNull)
//   data start = the byte after the list end  packed stream, ...    one LZHUF stream per entry
//
// Every directory value is a tag byte and its payload, with the tags of the component
// stream (TValueType); numbers are little-endian. An entry is: name (vaString, or
// vaLString above 255 bytes), unpacked size, packed size, data offset, attributes
// (vaInt8/16/32, the smallest that holds the value), date (vaExtended, or an integer
// for whole days). A data offset counts from the data start. There is no signature,
// count or checksum.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/ComponentStream.h"

namespace kavrix::archive {

// Sizes and offsets are 32-bit signed: no file, and no archive, may be larger.
inline constexpr int64_t kMaxArchiveValue = INT32_MAX;

inline constexpr size_t kExtendedSize = 10;  // 64-bit significand, then sign and 15-bit exponent
using ExtendedBytes = std::array<uint8_t, kExtendedSize>;

// Day-count date-time: days since 30 December 1899 00:00, local time; the fraction is
// the time of day.
using DayCount = double;

struct DirectoryEntry {
  std::string name;  // backslash-separated, as stored
  int32_t unpackedSize = 0;
  int32_t packedSize = 0;
  int32_t dataOffset = 0;
  int32_t attributes = 0;
  DayCount date = 0;
};

// Every double has an exact 80-bit form.
ExtendedBytes DoubleToExtended(double value) noexcept;
// Rounds to the nearest double; values beyond the double range become infinities, NaNs
// stay NaNs.
double ExtendedToDouble(const ExtendedBytes& bytes) noexcept;

// Appends list start, the entries and list end: integers in the smallest kind that holds
// them, names of up to 255 bytes as short strings and longer ones as long strings, dates
// as extended floats.
void WriteDirectory(std::span<const DirectoryEntry> entries, std::vector<uint8_t>& out);

// Fills `bytes` completely and returns true, or returns false (end of data or error).
using ByteSource = std::function<bool(std::span<uint8_t> bytes)>;

// Reads `bytes` from `position` on, advancing it; fails when fewer than asked are left.
// `bytes` and `position` must outlive the source.
ByteSource MemorySource(std::span<const uint8_t> bytes, size_t& position);

// Reads a directory from `source`, taking exactly its bytes and nothing after the list
// end. Each complete entry goes to `onEntry` as soon as it is read. Returns the
// directory's length in bytes, or nothing when the directory is unreadable: a wrong
// first byte, a tag its field does not accept, or the end of the data inside it.
std::optional<uint32_t> ReadDirectory(const ByteSource& source,
                                      const std::function<void(DirectoryEntry&&)>& onEntry);

// A self-extracting host's string resource 1 gives the archive start as decimal text
// (an optional sign and at most 14 digits, which is all the resource buffer holds).
// Anything else, and any value not above 0, means the archive starts at byte 0.
int32_t ParseArchiveStart(std::string_view text) noexcept;

// The host's resource buffer: 15 characters, so at most 14 of text.
inline constexpr uint16_t kArchiveStartStringId = 1;
inline constexpr size_t kArchiveStartBufferChars = 15;

}  // namespace kavrix::archive
