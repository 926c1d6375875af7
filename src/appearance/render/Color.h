#pragma once
// Colours as the components store them: 0x00BBGGRR, red in the lowest byte. The
// renderers never see system colours; the caller resolves them to RGB first.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "foundation/Colors.h"

namespace kavrix {

constexpr int RedOf(TColor c) noexcept { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(TColor c) noexcept { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(TColor c) noexcept { return static_cast<int>((c >> 16) & 0xFF); }

// Each channel clamped to 0..255.
constexpr TColor MakeColor(int red, int green, int blue) noexcept {
  auto clamp = [](int v) { return static_cast<TColor>(std::clamp(v, 0, 255)); };
  return clamp(red) | clamp(green) << 8 | clamp(blue) << 16;
}

// Nearest integer, halves to the even neighbour (the rounding every gradient uses,
// independent of the current floating-point rounding mode).
inline int RoundHalfEven(double v) noexcept {
  const double down = std::floor(v);
  const double diff = v - down;
  double result = down;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(down, 2.0) != 0.0)) result = down + 1.0;
  return static_cast<int>(result);
}

}  // namespace kavrix
