#pragma once
// A shown form to put components on, and the pixels of its client area as the screen
// shows them.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ToolkitTestSupport.h"
#include "appearance/render/PixelBuffer.h"

namespace kavrix::testing {

class ControlsTest : public ToolkitTest {
 protected:
  ControlsTest();

  // The form's client area as it is on the screen after all pending painting.
  PixelBuffer Capture();
  // Handles messages for up to `milliseconds`, or until `done` says so.
  template <typename Done>
  bool PumpUntil(Done done, uint32_t milliseconds = 3000);

  TForm* form_;
};

// An uncompressed 8-bit BMP file image whose pixel (x, y) has palette index
// indexOf(x, y) into `palette` (0x00BBGGRR entries).
template <typename IndexOf>
std::vector<uint8_t> MakeBmp8(int width, int height, const std::vector<TColor>& palette, IndexOf indexOf);


template <typename Done>
bool ControlsTest::PumpUntil(Done done, uint32_t milliseconds) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > milliseconds) return false;
    app_.ProcessMessages();
    ::Sleep(1);
  }
  return true;
}

template <typename IndexOf>
std::vector<uint8_t> MakeBmp8(int width, int height, const std::vector<TColor>& palette, IndexOf indexOf) {
  const int stride = (width + 3) / 4 * 4;
  const uint32_t offset = 14 + 40 + 256 * 4;
  const uint32_t size = offset + static_cast<uint32_t>(stride * height);
  std::vector<uint8_t> out;
  auto u32 = [&out](uint32_t v) {
    for (int s = 0; s < 32; s += 8) out.push_back(static_cast<uint8_t>(v >> s));
  };
  auto u16 = [&out](uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  out.push_back('B');
  out.push_back('M');
  u32(size);
  u32(0);
  u32(offset);
  u32(40);
  u32(static_cast<uint32_t>(width));
  u32(static_cast<uint32_t>(height));
  u16(1);
  u16(8);
  for (int i = 0; i < 6; ++i) u32(0);
  for (size_t i = 0; i < 256; ++i) {
    const TColor c = i < palette.size() ? palette[i] : 0;
    out.push_back(static_cast<uint8_t>(c >> 16));  // blue, green, red, reserved
    out.push_back(static_cast<uint8_t>(c >> 8));
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(0);
  }
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < stride; ++x) out.push_back(x < width ? static_cast<uint8_t>(indexOf(x, y)) : 0);
  }
  return out;
}

}  // namespace kavrix::testing
