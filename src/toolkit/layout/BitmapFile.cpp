#include "toolkit/layout/BitmapFile.h"

namespace kavrix {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;  // the oldest header with colour counts; later ones extend it
constexpr uint32_t kUncompressed = 0;

uint32_t Read32(std::span<const uint8_t> bytes, size_t at) noexcept {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint16_t Read16(std::span<const uint8_t> bytes, size_t at) noexcept {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool IsBitCount(uint16_t bitCount) noexcept {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
}

}  // namespace

std::optional<BitmapFileParts> SplitBitmapFile(std::span<const uint8_t> file) noexcept {
  if (file.size() < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  const uint64_t bitsOffset = Read32(file, 10);
  const std::span<const uint8_t> info = file.subspan(kFileHeaderSize);
  const uint64_t headerSize = Read32(info, 0);
  const int64_t width = static_cast<int32_t>(Read32(info, 4));
  const int64_t height = static_cast<int32_t>(Read32(info, 8));
  const uint16_t bitCount = Read16(info, 14);
  if (headerSize < kInfoHeaderSize || width <= 0 || height == 0 || Read16(info, 12) != 1 || !IsBitCount(bitCount) ||
      Read32(info, 16) != kUncompressed) {
    return std::nullopt;
  }
  uint64_t colours = Read32(info, 32);
  if (bitCount <= 8) {
    const uint64_t most = uint64_t{1} << bitCount;
    if (colours == 0) colours = most;
    if (colours > most) return std::nullopt;
  }
  const uint64_t infoSize = headerSize + colours * 4;
  if (kFileHeaderSize + infoSize > bitsOffset || bitsOffset > file.size()) return std::nullopt;

  const uint64_t rowBytes = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
  const uint64_t bitsSize = rowBytes * static_cast<uint64_t>(height < 0 ? -height : height);
  if (bitsSize > file.size() - bitsOffset) return std::nullopt;
  return BitmapFileParts{info.first(static_cast<size_t>(infoSize)),
                         file.subspan(static_cast<size_t>(bitsOffset), static_cast<size_t>(bitsSize))};
}

}  // namespace kavrix
