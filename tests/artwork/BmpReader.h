#pragma once
// An independent reader of the few bitmap layouts the artwork writes, so the tests
// check the files against the format rather than against the writer's own code.

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace kavrix::artwork::testing {

inline uint32_t Read16(const std::vector<uint8_t>& b, size_t at) {
  if (at + 2 > b.size()) throw std::out_of_range("read past the end");
  return b[at] | b[at + 1] << 8;
}

inline uint32_t Read32(const std::vector<uint8_t>& b, size_t at) { return Read16(b, at) | Read16(b, at + 2) << 16; }

// A BITMAPINFOHEADER-based image starting at `at` (after the file header, or an icon's
// image). For icons `height` is the stored, doubled height.
struct Dib {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  uint32_t compression = 0;
  std::vector<uint32_t> palette;  // 0x00RRGGBB per entry
  size_t pixelsAt = 0;
  const std::vector<uint8_t>* bytes = nullptr;

  int RowBytes(int bits) const { return (width * bits + 31) / 32 * 4; }
  // Palette index (or 0x00RRGGBB for 24 bits) of (x, y), y counted from the top of an
  // image `rows` high.
  uint32_t At(int x, int y, int rows) const {
    const size_t row = pixelsAt + static_cast<size_t>(rows - 1 - y) * RowBytes(bitsPerPixel);
    const auto& b = *bytes;
    switch (bitsPerPixel) {
      case 4: return x % 2 == 0 ? b.at(row + x / 2) >> 4 : b.at(row + x / 2) & 0x0F;
      case 8: return b.at(row + x);
      default: return b.at(row + 3 * x) | b.at(row + 3 * x + 1) << 8 | b.at(row + 3 * x + 2) << 16;
    }
  }
  uint32_t ColorAt(int x, int y, int rows) const {
    return bitsPerPixel == 24 ? At(x, y, rows) : palette.at(At(x, y, rows));
  }
};

inline Dib ReadDib(const std::vector<uint8_t>& b, size_t at) {
  if (Read32(b, at) != 40) throw std::runtime_error("not a BITMAPINFOHEADER");
  Dib dib;
  dib.bytes = &b;
  dib.width = static_cast<int>(Read32(b, at + 4));
  dib.height = static_cast<int>(Read32(b, at + 8));
  if (Read16(b, at + 12) != 1) throw std::runtime_error("planes must be 1");
  dib.bitsPerPixel = static_cast<int>(Read16(b, at + 14));
  dib.compression = Read32(b, at + 16);
  uint32_t colors = Read32(b, at + 32);
  if (colors == 0 && dib.bitsPerPixel <= 8) colors = 1u << dib.bitsPerPixel;
  for (uint32_t i = 0; i < colors; ++i) dib.palette.push_back(Read32(b, at + 40 + 4 * i) & 0xFFFFFF);
  dib.pixelsAt = at + 40 + 4 * colors;
  return dib;
}

struct Bmp {
  Dib dib;
  uint32_t ColorAt(int x, int y) const { return dib.ColorAt(x, y, dib.height); }
};

// Checks the file header against the file and the pixel rows' extent.
inline Bmp ReadBmp(const std::vector<uint8_t>& b) {
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') throw std::runtime_error("not a bmp");
  if (Read32(b, 2) != b.size()) throw std::runtime_error("file size field wrong");
  Bmp bmp{ReadDib(b, 14)};
  if (Read32(b, 10) != bmp.dib.pixelsAt) throw std::runtime_error("pixel offset wrong");
  if (bmp.dib.pixelsAt + static_cast<size_t>(bmp.dib.RowBytes(bmp.dib.bitsPerPixel)) * bmp.dib.height != b.size())
    throw std::runtime_error("pixel rows do not fill the file");
  return bmp;
}

}  // namespace kavrix::artwork::testing
