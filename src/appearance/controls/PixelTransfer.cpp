#include "appearance/controls/PixelTransfer.h"

#include <cstring>
#include <limits>

#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

BITMAPINFOHEADER TopDown32(int width, int height) noexcept {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = -height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  return header;
}

// 0x00BBGGRR and the DIB's B, G, R, X bytes (0x00RRGGBB as a little-endian word) differ
// only in the order of red and blue.
uint32_t SwapRedBlue(uint32_t value) noexcept {
  return (value & 0x0000FF00u) | ((value & 0xFFu) << 16) | ((value >> 16) & 0xFFu);
}

uint32_t ReadU32(std::span<const uint8_t> data, size_t at) noexcept {
  return data[at] | data[at + 1] << 8 | data[at + 2] << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
}

uint16_t ReadU16(std::span<const uint8_t> data, size_t at) noexcept {
  return static_cast<uint16_t>(data[at] | data[at + 1] << 8);
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

[[noreturn]] void Invalid() { throw EInvalidGraphic("Bitmap image is not valid"); }

// A checked view of an uncompressed BMP file: where its info block (header, masks,
// colour table) and its rows lie. Every size is checked against the data before use.
struct BmpLayout {
  size_t infoSize = 0;  // from the info header to the end of the colour table
  size_t bitsOffset = 0;
  size_t bitsSize = 0;
  int width = 0;
  int height = 0;  // rows, whatever their order
};

BmpLayout CheckBmp(std::span<const uint8_t> data) {
  if (data.size() < kFileHeaderSize + kInfoHeaderSize || data[0] != 'B' || data[1] != 'M') Invalid();
  BmpLayout layout;
  const uint32_t headerSize = ReadU32(data, 14);
  if (headerSize < kInfoHeaderSize || headerSize > data.size() - kFileHeaderSize) Invalid();
  const auto width = static_cast<int32_t>(ReadU32(data, 18));
  const auto height = static_cast<int32_t>(ReadU32(data, 22));
  const uint16_t planes = ReadU16(data, 26);
  const uint16_t bitCount = ReadU16(data, 28);
  const uint32_t compression = ReadU32(data, 30);
  const uint32_t colorsUsed = ReadU32(data, 46);
  if (width <= 0 || height == 0 || height == std::numeric_limits<int32_t>::min() || planes != 1) Invalid();
  switch (bitCount) {
    case 1: case 4: case 8: case 24:
      if (compression != BI_RGB) Invalid();
      break;
    case 16: case 32:
      if (compression != BI_RGB && compression != BI_BITFIELDS) Invalid();
      break;
    default:
      Invalid();
  }
  const uint64_t maxColors = bitCount <= 8 ? (1u << bitCount) : 256;
  if (colorsUsed > maxColors) Invalid();
  const uint64_t tableColors = colorsUsed ? colorsUsed : (bitCount <= 8 ? maxColors : 0);
  const uint64_t masks = (compression == BI_BITFIELDS && headerSize == kInfoHeaderSize) ? 12 : 0;
  const uint64_t infoSize = headerSize + masks + tableColors * 4;
  const uint64_t bitsOffset = ReadU32(data, 10);
  const uint64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
  const uint64_t stride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
  if (kFileHeaderSize + infoSize > data.size() || bitsOffset < kFileHeaderSize + infoSize ||
      bitsOffset > data.size() || stride * rows > data.size() - bitsOffset) {
    Invalid();
  }
  layout.infoSize = static_cast<size_t>(infoSize);
  layout.bitsOffset = static_cast<size_t>(bitsOffset);
  layout.bitsSize = static_cast<size_t>(stride * rows);
  layout.width = width;
  layout.height = static_cast<int>(rows);
  return layout;
}

// A copy in 32-bit words: GDI wants the info block and the rows DWORD-aligned.
std::vector<uint32_t> AlignedCopy(std::span<const uint8_t> bytes) {
  std::vector<uint32_t> words((bytes.size() + 3) / 4);
  if (!bytes.empty()) std::memcpy(words.data(), bytes.data(), bytes.size());
  return words;
}

}  // namespace

void DrawPixels(HDC dc, int x, int y, const PixelBuffer& pixels) {
  if (pixels.IsEmpty()) return;
  std::vector<uint32_t> bits(pixels.Pixels().size());
  for (size_t i = 0; i < bits.size(); ++i) bits[i] = SwapRedBlue(pixels.Pixels()[i]);
  BITMAPINFO info{};
  info.bmiHeader = TopDown32(pixels.Width(), pixels.Height());
  ::SetDIBitsToDevice(dc, x, y, pixels.Width(), pixels.Height(), 0, 0, 0, pixels.Height(), bits.data(), &info,
                      DIB_RGB_COLORS);
}

PixelBuffer ReadPixels(TBitmap& bitmap) {
  if (bitmap.Empty()) return {};
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  BITMAPINFO info{};
  info.bmiHeader = TopDown32(width, height);
  void* bits = nullptr;
  const UniqueGdiObject section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!section) throw Exception("Out of system resources");
  const UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
  {
    const SelectionScope selection(dc.Get(), section.Get());
    ::BitBlt(dc.Get(), 0, 0, width, height, bitmap.Canvas().Handle(), 0, 0, SRCCOPY);
    ::GdiFlush();
  }
  PixelBuffer pixels(width, height);
  const auto* words = static_cast<const uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.SetPixel(x, y, SwapRedBlue(words[y * width + x]) & 0xFFFFFF);
  }
  return pixels;
}

void WritePixels(TBitmap& bitmap, const PixelBuffer& pixels) {
  bitmap.SetSize(pixels.Width(), pixels.Height());
  if (!pixels.IsEmpty()) DrawPixels(bitmap.Canvas().Handle(), 0, 0, pixels);
}

void CopyBitmap(TBitmap& target, TBitmap& source) {
  if (&target == &source) return;
  if (source.Empty()) {
    target.SetSize(0, 0);
    return;
  }
  target.SetSize(source.Width(), source.Height());
  ::BitBlt(target.Canvas().Handle(), 0, 0, source.Width(), source.Height(), source.Canvas().Handle(), 0, 0,
           SRCCOPY);
}

std::vector<uint8_t> SaveBitmapImage(TBitmap& bitmap) {
  const PixelBuffer pixels = ReadPixels(bitmap);
  if (pixels.IsEmpty()) return {};
  const auto imageSize = static_cast<uint32_t>(pixels.Pixels().size() * 4);
  const auto offset = static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize);
  std::vector<uint8_t> out;
  out.reserve(offset + imageSize);
  out.push_back('B');
  out.push_back('M');
  PutU32(out, offset + imageSize);
  PutU32(out, 0);
  PutU32(out, offset);
  PutU32(out, kInfoHeaderSize);
  PutU32(out, static_cast<uint32_t>(pixels.Width()));
  PutU32(out, static_cast<uint32_t>(pixels.Height()));  // bottom-up rows
  PutU16(out, 1);
  PutU16(out, 32);
  PutU32(out, BI_RGB);
  PutU32(out, imageSize);
  for (int i = 0; i < 4; ++i) PutU32(out, 0);  // resolution and colour counts
  for (int y = pixels.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < pixels.Width(); ++x) PutU32(out, SwapRedBlue(pixels.At(x, y)));
  }
  return out;
}

void LoadBitmapImage(TBitmap& bitmap, std::span<const uint8_t> image) {
  if (image.empty()) {
    bitmap.SetSize(0, 0);
    return;
  }
  const BmpLayout layout = CheckBmp(image);
  const std::vector<uint32_t> info = AlignedCopy(image.subspan(kFileHeaderSize, layout.infoSize));
  const std::vector<uint32_t> bits = AlignedCopy(image.subspan(layout.bitsOffset, layout.bitsSize));
  bitmap.SetSize(layout.width, layout.height);
  ::SetDIBitsToDevice(bitmap.Canvas().Handle(), 0, 0, layout.width, layout.height, 0, 0, 0, layout.height,
                      bits.data(), reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
}

}  // namespace kavrix
