#pragma once
// The parts of a .bmp file's image that a device-independent bitmap is made from. Pure
// arithmetic on bytes, so it is tested natively; the toolkit makes the bitmap.

#include <cstdint>
#include <optional>
#include <span>

namespace kavrix {

struct BitmapFileParts {
  std::span<const uint8_t> info;  // the header and the colour table that follows it
  std::span<const uint8_t> bits;  // exactly the rows the header describes
};

// The parts of `file`, or nothing unless it is a whole uncompressed bitmap whose header,
// colour table and rows all lie inside it.
std::optional<BitmapFileParts> SplitBitmapFile(std::span<const uint8_t> file) noexcept;

}  // namespace kavrix
