#include "Screenshot.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "toolkit/Win32Gdi.h"

namespace kavrix::windriver {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The file and info headers of a bottom-up, uncompressed 24-bit BMP.
std::vector<uint8_t> BmpHeaders(uint32_t width, uint32_t height, uint32_t pixelBytes) {
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  PutLittleEndian(out, kFileHeaderSize + kInfoHeaderSize + pixelBytes, 4);
  PutLittleEndian(out, 0, 4);  // reserved
  PutLittleEndian(out, kFileHeaderSize + kInfoHeaderSize, 4);
  PutLittleEndian(out, kInfoHeaderSize, 4);
  PutLittleEndian(out, width, 4);
  PutLittleEndian(out, height, 4);  // positive: bottom-up rows
  PutLittleEndian(out, 1, 2);       // planes
  PutLittleEndian(out, 24, 2);      // bits per pixel
  PutLittleEndian(out, BI_RGB, 4);
  PutLittleEndian(out, pixelBytes, 4);
  PutLittleEndian(out, 2835, 4);  // 72 dpi, in pixels per metre
  PutLittleEndian(out, 2835, 4);
  PutLittleEndian(out, 0, 4);  // colours used
  PutLittleEndian(out, 0, 4);  // important colours
  return out;
}

}  // namespace

RECT ScreenArea() {
  return RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void SaveScreenshot(const RECT& area, const std::string& path) {
  const RECT screen = ScreenArea();
  RECT clipped{};
  if (!::IntersectRect(&clipped, &area, &screen)) throw std::runtime_error("the area is not on the screen");
  const int width = clipped.right - clipped.left;
  const int height = clipped.bottom - clipped.top;

  ScreenDC screenDc;
  UniqueMemoryDC memoryDc(::CreateCompatibleDC(screenDc.Get()));
  if (!screenDc.Get() || !memoryDc) throw std::runtime_error("no device context for the screen");
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, the row order of a BMP file
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject bitmap(::CreateDIBSection(memoryDc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) throw std::runtime_error("cannot make a bitmap of " + std::to_string(width) + "x" +
                                                 std::to_string(height));
  {
    SelectionScope selection(memoryDc.Get(), bitmap.Get());
    // CAPTUREBLT takes layered windows too, which Windows leaves out of a plain copy.
    if (!::BitBlt(memoryDc.Get(), 0, 0, width, height, screenDc.Get(), clipped.left, clipped.top,
                  SRCCOPY | CAPTUREBLT)) {
      throw std::runtime_error("copying from the screen failed");
    }
  }
  ::GdiFlush();

  const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(height);
  const std::vector<uint8_t> headers = BmpHeaders(static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                                  pixelBytes);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(headers.data()), static_cast<std::streamsize>(headers.size()));
  file.write(static_cast<const char*>(bits), static_cast<std::streamsize>(pixelBytes));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace kavrix::windriver
