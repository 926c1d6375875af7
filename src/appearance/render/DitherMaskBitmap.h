#pragma once
// The dithering masks as 1-bit bitmaps: drawn at build time (by kvartwork) into the
// BITMAP resources the caption form loads, and read back from those resources at run
// time.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "appearance/render/DitherMasks.h"

namespace kavrix {

// The mask as a packed device-independent bitmap, the data of a BITMAP resource: a
// 40-byte info header, a palette of black (index 0) and white (index 1), and the rows
// bottom-up, one bit per pixel, leftmost pixel in the most significant bit, each row
// padded to 4 bytes. A 0 bit is black, a 1 bit white, as in the mask.
std::vector<uint8_t> DitherMaskDib(const DitherMask& mask);

// The same as a .bmp file: the 14-byte file header, then the packed bitmap.
std::vector<uint8_t> DitherMaskBmpFile(const DitherMask& mask);

// A mask decoded from a packed 1-bit bitmap. Pinned in place: its DitherMask views the
// row text it owns.
class DecodedDitherMask {
 public:
  // Null unless `dib` is a whole uncompressed 1-bit bitmap of 1 to 1024 pixels each way
  // (top-down or bottom-up). A pixel is white when its palette colour is light.
  static std::unique_ptr<const DecodedDitherMask> FromDib(std::span<const uint8_t> dib);

  DecodedDitherMask(const DecodedDitherMask&) = delete;
  DecodedDitherMask& operator=(const DecodedDitherMask&) = delete;

  const DitherMask& Mask() const noexcept { return mask_; }

 private:
  DecodedDitherMask(int width, std::vector<std::string> rowText);

  std::vector<std::string> rowText_;
  std::vector<std::string_view> rows_;
  DitherMask mask_;
};

}  // namespace kavrix
