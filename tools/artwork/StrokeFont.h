#pragma once
// A small stroke font holding just the letters the artwork writes. Glyphs are centre
// lines on a grid where the capital height is 10 units (baseline at y = 10, x-height at
// y = 3, descenders to y = 13); drawing them as strokes of any width gives clean solid
// letters at any size without a font file.

#include <string_view>
#include <vector>

#include "artwork/Raster.h"

namespace kavrix::artwork {

struct TextStyle {
  double capHeight = 10;  // pixels from baseline to the top of a capital
  double weight = 1;      // stroke width in pixels
  double spacing = 2.2;   // gap between letters, in font units
};

// The centre lines of `text` with the top of its capitals at (left, top). Throws
// std::invalid_argument for a character the font lacks.
std::vector<Polyline> TextStrokes(std::string_view text, Point topLeft, const TextStyle& style);

// Horizontal distance in pixels from the first letter's left centre line to the last
// letter's right one (strokes reach weight / 2 further on each side).
double TextWidth(std::string_view text, const TextStyle& style);

}  // namespace kavrix::artwork
