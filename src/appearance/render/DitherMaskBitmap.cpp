#include "appearance/render/DitherMaskBitmap.h"

#include <array>

namespace kavrix {
namespace {

constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kPaletteSize = 2 * 4;
constexpr int kMaxSide = 1024;

size_t RowStride(int width) { return static_cast<size_t>((width + 31) / 32) * 4; }

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t GetLe(std::span<const uint8_t> in, size_t offset, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | in[offset + static_cast<size_t>(i)];
  return value;
}

char HexDigit(int value) { return "0123456789ABCDEF"[value & 0xF]; }

}  // namespace

std::vector<uint8_t> DitherMaskDib(const DitherMask& mask) {
  const size_t stride = RowStride(mask.width);
  std::vector<uint8_t> dib;
  PutLe(dib, kInfoHeaderSize, 4);
  PutLe(dib, static_cast<uint32_t>(mask.width), 4);
  PutLe(dib, static_cast<uint32_t>(mask.height), 4);  // positive: bottom-up rows
  PutLe(dib, 1, 2);                                   // planes
  PutLe(dib, 1, 2);                                   // bits per pixel
  PutLe(dib, 0, 4);                                   // BI_RGB
  PutLe(dib, static_cast<uint32_t>(stride * static_cast<size_t>(mask.height)), 4);
  PutLe(dib, 2835, 4);  // 72 dpi, as paint programs write it
  PutLe(dib, 2835, 4);
  PutLe(dib, 2, 4);  // palette entries
  PutLe(dib, 0, 4);
  PutLe(dib, 0x000000, 4);  // index 0 black (blue, green, red, reserved)
  PutLe(dib, 0xFFFFFF, 4);  // index 1 white
  for (int y = mask.height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < mask.width; ++x) {
      if (mask.IsWhite(x, y)) row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    dib.insert(dib.end(), row.begin(), row.end());
  }
  return dib;
}

std::vector<uint8_t> DitherMaskBmpFile(const DitherMask& mask) {
  const std::vector<uint8_t> dib = DitherMaskDib(mask);
  std::vector<uint8_t> file = {'B', 'M'};
  PutLe(file, static_cast<uint32_t>(kFileHeaderSize + dib.size()), 4);
  PutLe(file, 0, 4);  // reserved
  PutLe(file, static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize + kPaletteSize), 4);
  file.insert(file.end(), dib.begin(), dib.end());
  return file;
}

std::unique_ptr<const DecodedDitherMask> DecodedDitherMask::FromDib(std::span<const uint8_t> dib) {
  if (dib.size() < kInfoHeaderSize) return nullptr;
  const uint32_t headerSize = GetLe(dib, 0, 4);
  const auto width = static_cast<int32_t>(GetLe(dib, 4, 4));
  const auto signedHeight = static_cast<int32_t>(GetLe(dib, 8, 4));
  const uint32_t colorsUsed = GetLe(dib, 32, 4);
  if (headerSize < kInfoHeaderSize || headerSize > dib.size() || GetLe(dib, 12, 2) != 1 || GetLe(dib, 14, 2) != 1 ||
      GetLe(dib, 16, 4) != 0 || colorsUsed > 2) {
    return nullptr;
  }
  const bool topDown = signedHeight < 0;
  const int height = topDown ? -signedHeight : signedHeight;
  if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide) return nullptr;
  const size_t paletteEntries = colorsUsed == 0 ? 2 : colorsUsed;
  const size_t bitsOffset = headerSize + 4 * paletteEntries;
  const size_t stride = RowStride(width);
  if (dib.size() < bitsOffset + stride * static_cast<size_t>(height)) return nullptr;

  std::array<bool, 2> white{};
  for (size_t i = 0; i < paletteEntries; ++i) {
    const size_t entry = headerSize + 4 * i;
    white[i] = dib[entry] + dib[entry + 1] + dib[entry + 2] >= 3 * 128;
  }
  // Rows as hexadecimal text, leftmost pixel in the most significant bit, whole bytes.
  const auto rowBytes = static_cast<size_t>((width + 7) / 8);
  std::vector<std::string> rowText;
  for (int y = 0; y < height; ++y) {
    const size_t row = bitsOffset + stride * static_cast<size_t>(topDown ? y : height - 1 - y);
    std::string text;
    for (size_t b = 0; b < rowBytes; ++b) {
      int value = 0;
      for (int bit = 0; bit < 8; ++bit) {
        const int x = static_cast<int>(b) * 8 + bit;
        const bool set = (dib[row + b] >> (7 - bit) & 1) != 0;
        if (x < width && white[set ? 1 : 0]) value |= 0x80 >> bit;
      }
      text += HexDigit(value >> 4);
      text += HexDigit(value);
    }
    rowText.push_back(std::move(text));
  }
  return std::unique_ptr<const DecodedDitherMask>(new DecodedDitherMask(width, std::move(rowText)));
}

DecodedDitherMask::DecodedDitherMask(int width, std::vector<std::string> rowText)
    : rowText_(std::move(rowText)),
      rows_(rowText_.begin(), rowText_.end()),
      mask_{width, static_cast<int>(rows_.size()), rows_} {}

}  // namespace kavrix
