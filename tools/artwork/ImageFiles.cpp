#include "artwork/ImageFiles.h"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace kavrix::artwork {
namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

void Put16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

int RowBytes(int width, int bitsPerPixel) { return (width * bitsPerPixel + 31) / 32 * 4; }

void PutInfoHeader(Bytes& out, int width, int height, int bitsPerPixel, uint32_t imageSize) {
  Put32(out, kInfoHeaderSize);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);  // planes
  Put16(out, static_cast<uint32_t>(bitsPerPixel));
  Put32(out, 0);  // BI_RGB
  Put32(out, imageSize);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);  // colours used: all 2^bits
  Put32(out, 0);  // colours important: all
}

void PutPalette(Bytes& out, const Palette& palette, int bitsPerPixel) {
  const size_t entries = size_t{1} << bitsPerPixel;
  if (palette.size() > entries) throw std::length_error("palette too large for the bit depth");
  for (size_t i = 0; i < entries; ++i) {
    const TColor c = i < palette.size() ? palette[i] : clBlack;
    out.push_back(static_cast<uint8_t>(BlueOf(c)));
    out.push_back(static_cast<uint8_t>(GreenOf(c)));
    out.push_back(static_cast<uint8_t>(RedOf(c)));
    out.push_back(0);
  }
}

uint8_t IndexOf(const Palette& palette, TColor c) {
  const auto found = std::find(palette.begin(), palette.end(), c);
  if (found == palette.end()) throw std::invalid_argument("pixel colour missing from the palette");
  return static_cast<uint8_t>(found - palette.begin());
}

// Colour rows bottom-up; 4-bit pixels pack the left one in the high nibble.
void PutIndexedRows(Bytes& out, const PixelBuffer& image, const Palette& palette, int bitsPerPixel) {
  const int rowBytes = RowBytes(image.Width(), bitsPerPixel);
  for (int y = image.Height() - 1; y >= 0; --y) {
    Bytes row(static_cast<size_t>(rowBytes), 0);
    for (int x = 0; x < image.Width(); ++x) {
      const uint8_t index = IndexOf(palette, image.At(x, y));
      if (bitsPerPixel == 8)
        row[static_cast<size_t>(x)] = index;
      else
        row[static_cast<size_t>(x / 2)] |= static_cast<uint8_t>(x % 2 == 0 ? index << 4 : index);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
}

void PutFileHeader(Bytes& out, uint32_t fileSize, uint32_t pixelOffset) {
  out.push_back('B');
  out.push_back('M');
  Put32(out, fileSize);
  Put32(out, 0);
  Put32(out, pixelOffset);
}

}  // namespace

const Palette& VgaPalette() {
  static const Palette palette = {
      MakeColor(0, 0, 0),       MakeColor(128, 0, 0),   MakeColor(0, 128, 0),
      MakeColor(128, 128, 0),   MakeColor(0, 0, 128),   MakeColor(128, 0, 128),
      MakeColor(0, 128, 128),   MakeColor(192, 192, 192), MakeColor(128, 128, 128),
      MakeColor(255, 0, 0),     MakeColor(0, 255, 0),   MakeColor(255, 255, 0),
      MakeColor(0, 0, 255),     MakeColor(255, 0, 255), MakeColor(0, 255, 255),
      MakeColor(255, 255, 255)};
  return palette;
}

Palette PaletteOf(const PixelBuffer& image) {
  std::set<TColor> colors(image.Pixels().begin(), image.Pixels().end());
  colors.erase(clBlack);
  Palette palette{clBlack};
  palette.insert(palette.end(), colors.begin(), colors.end());
  if (palette.size() > 256) throw std::length_error("more than 256 colours in an indexed image");
  return palette;
}

Bytes EncodeIndexedBmp(const PixelBuffer& image, const Palette& palette, int bitsPerPixel) {
  if (bitsPerPixel != 4 && bitsPerPixel != 8) throw std::invalid_argument("indexed bmp is 4 or 8 bits");
  const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + (4u << bitsPerPixel);
  const uint32_t imageSize = static_cast<uint32_t>(RowBytes(image.Width(), bitsPerPixel) * image.Height());
  Bytes out;
  PutFileHeader(out, pixelOffset + imageSize, pixelOffset);
  PutInfoHeader(out, image.Width(), image.Height(), bitsPerPixel, imageSize);
  PutPalette(out, palette, bitsPerPixel);
  PutIndexedRows(out, image, palette, bitsPerPixel);
  return out;
}

Bytes EncodeTrueColorBmp(const PixelBuffer& image) {
  const int rowBytes = RowBytes(image.Width(), 24);
  const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize;
  const uint32_t imageSize = static_cast<uint32_t>(rowBytes * image.Height());
  Bytes out;
  PutFileHeader(out, pixelOffset + imageSize, pixelOffset);
  PutInfoHeader(out, image.Width(), image.Height(), 24, imageSize);
  for (int y = image.Height() - 1; y >= 0; --y) {
    Bytes row(static_cast<size_t>(rowBytes), 0);
    for (int x = 0; x < image.Width(); ++x) {
      const TColor c = image.At(x, y);
      row[static_cast<size_t>(3 * x)] = static_cast<uint8_t>(BlueOf(c));
      row[static_cast<size_t>(3 * x + 1)] = static_cast<uint8_t>(GreenOf(c));
      row[static_cast<size_t>(3 * x + 2)] = static_cast<uint8_t>(RedOf(c));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

Bytes EncodeIcon(const std::vector<PixelBuffer>& images, TColor transparent) {
  std::vector<Bytes> bodies;
  for (const PixelBuffer& image : images) {
    if (image.Width() > 255 || image.Height() > 255) throw std::invalid_argument("icon image too large");
    PixelBuffer colors = image;
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x)
        if (image.At(x, y) == transparent) colors.SetPixel(x, y, clBlack);
    const Palette palette = PaletteOf(colors);
    const int maskRowBytes = RowBytes(image.Width(), 1);
    const uint32_t size = static_cast<uint32_t>((RowBytes(image.Width(), 8) + maskRowBytes) * image.Height());
    Bytes body;
    PutInfoHeader(body, image.Width(), 2 * image.Height(), 8, size);
    PutPalette(body, palette, 8);
    PutIndexedRows(body, colors, palette, 8);
    for (int y = image.Height() - 1; y >= 0; --y) {
      Bytes row(static_cast<size_t>(maskRowBytes), 0);
      for (int x = 0; x < image.Width(); ++x)
        if (image.At(x, y) == transparent) row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
      body.insert(body.end(), row.begin(), row.end());
    }
    bodies.push_back(std::move(body));
  }
  Bytes out;
  Put16(out, 0);
  Put16(out, 1);  // icon, not cursor
  Put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<uint8_t>(images[i].Width()));
    out.push_back(static_cast<uint8_t>(images[i].Height()));
    out.push_back(0);  // colour count: 0 means 256 or more
    out.push_back(0);
    Put16(out, 1);  // planes
    Put16(out, 8);
    Put32(out, static_cast<uint32_t>(bodies[i].size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(bodies[i].size());
  }
  for (const Bytes& body : bodies) out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace kavrix::artwork
