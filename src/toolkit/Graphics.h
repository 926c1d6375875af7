#pragma once
// Colours and geometry shared by the canvas, fonts, bitmaps and controls.

#include <cstdint>

#include "foundation/Colors.h"

namespace kavrix {

// The RGB value of `color`, system colours resolved through the current scheme.
TColor ColorToRGB(TColor color) noexcept;

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const noexcept { return Right - Left; }
  int Height() const noexcept { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Bounds(int left, int top, int width, int height) noexcept {
  return {left, top, left + width, top + height};
}

}  // namespace kavrix
