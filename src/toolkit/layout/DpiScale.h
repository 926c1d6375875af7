#pragma once
// Sizes designed for 96 pixels per inch, carried to a display of another density. Fonts,
// bounds and pictures are all scaled by the one rule here, so what touches or lines up
// at 96 DPI still does at any scale. Portable: the caller asks the system for the DPI.

#include <array>

namespace kavrix {

// The density every size in the program is designed at (100 %).
inline constexpr int kDesignDpi = 96;

// `value` given at `fromDpi`, at `toDpi`: multiplied, then divided rounding to the
// nearest integer, halves away from zero, as the platform's MulDiv does. A density
// that is not positive leaves the value as it is.
int ScaleToDpi(int value, int toDpi, int fromDpi = kDesignDpi) noexcept;

struct ScaledBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const ScaledBounds&, const ScaledBounds&) = default;
};

// Bounds at `toDpi`. The edges are scaled, not the sizes, so two controls that meet at
// one density meet at every other and a gap never turns into an overlap.
ScaledBounds ScaleBoundsToDpi(int left, int top, int width, int height, int toDpi, int fromDpi = kDesignDpi) noexcept;

// A density a picture may be drawn for at build time, and the suffix of its resource
// name: "EXCLAM" for 96 DPI, "EXCLAM_144" for 150 %, "EXCLAM_192" for 200 %.
struct ArtworkDensity {
  int dpi;
  const char* suffix;
};

// The densities pictures are drawn for, the nearest to `dpi` first; of two as near, the
// larger, as shrinking a picture loses less than enlarging it.
std::array<ArtworkDensity, 3> ArtworkDensitiesFor(int dpi) noexcept;

}  // namespace kavrix
