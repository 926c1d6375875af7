#pragma once
// Windows bitmap (.bmp) and icon (.ico) files, written byte by byte, little-endian.
//
// A .bmp is BITMAPFILEHEADER (14 bytes) + BITMAPINFOHEADER (40 bytes) + palette (4 bytes
// per entry, B G R 0) + rows bottom-up, each padded to a multiple of 4 bytes.
// An .ico is ICONDIR (6 bytes) + one 16-byte entry per image + the images; each image is
// BITMAPINFOHEADER with twice the height, palette, colour rows (XOR) and 1-bit mask rows
// (AND; 1 = transparent), both bottom-up and padded to 4 bytes.

#include <cstdint>
#include <vector>

#include "appearance/render/PixelBuffer.h"

namespace kavrix::artwork {

using Bytes = std::vector<uint8_t>;
using Palette = std::vector<TColor>;

// The 16 colours of the standard VGA palette, in the order Windows uses for 4-bit images.
const Palette& VgaPalette();

// The distinct colours of `image` in ascending order, with black first so that index 0
// is black (what an icon's transparent pixels hold). Throws std::length_error beyond 256.
Palette PaletteOf(const PixelBuffer& image);

// An indexed .bmp of 4 or 8 bits per pixel. Every pixel must be a palette colour
// (std::invalid_argument otherwise); the palette is written padded to 16 or 256 entries.
Bytes EncodeIndexedBmp(const PixelBuffer& image, const Palette& palette, int bitsPerPixel);
Bytes EncodeTrueColorBmp(const PixelBuffer& image);

// An 8-bit icon holding each image (at most 255 wide and high); pixels of colour
// `transparent` become masked out.
Bytes EncodeIcon(const std::vector<PixelBuffer>& images, TColor transparent);

}  // namespace kavrix::artwork
