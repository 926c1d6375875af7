#pragma once
// The caption bar's gradient: a horizontal blend from the start colour at the left edge
// to the stop colour at the right, dithered through a mask, stretched from one row of
// precomputed band colours, or painted as solid bands. All colours are resolved RGB.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "appearance/render/DitherMasks.h"
#include "appearance/render/PixelBuffer.h"

namespace kavrix {

// Entry i of `gradientColors` entries has, per channel, start + i × (stop − start) /
// (gradientColors − 1) rounded half to even: entry 0 is `start`, the last is `stop`.
// A single entry is `start`; no entries for a count below 1.
std::vector<TColor> BuildColorTable(TColor start, TColor stop, int gradientColors);

struct CaptionGradientColors {
  TColor start = clBlack;
  TColor stop = clBlack;
};

// The form's two tables: index 0 for the inactive state, 1 for the active one.
std::array<std::vector<TColor>, 2> BuildColorTables(const CaptionGradientColors& inactive,
                                                    const CaptionGradientColors& active, int gradientColors);

enum class CaptionFillMethod : uint8_t { kNothing, kDithered, kStretchedRow, kBands };

struct CaptionFillChoice {
  CaptionFillMethod method = CaptionFillMethod::kNothing;
  const DitherMask* mask = nullptr;  // set for kDithered only
  bool operator==(const CaptionFillChoice&) const = default;
};

// One state's gradient as FillCaptionGradient needs it.
struct CaptionFill {
  CaptionGradientColors colors;
  std::span<const TColor> bandColors;  // the state's table
  bool dither = false;
  bool devicePalette = false;  // the target device has a palette (no dithering, no stretch)
};

// Nothing for a width below 1. Dithering when asked for, on a device without a palette,
// and the width is at least twice the mask's: the steep mask 2 when the summed channel
// distance per pixel is at least 5/7, else mask 1. Otherwise a stretched row when the
// device has no palette and the table has no more entries than pixels, else bands.
CaptionFillChoice ChooseCaptionFill(int width, const CaptionFill& fill);

// Fills `rect` of `target` by the chosen method.
void FillCaptionGradient(PixelBuffer& target, const Rect& rect, const CaptionFill& fill);

// The dithered fill. Requires rect width >= 2 × mask width (so at least 3 steps). Step
// colours use the platform's MulDiv rounding (halves away from zero).
void FillCaptionDithered(PixelBuffer& target, const Rect& rect, const CaptionGradientColors& colors,
                         const DitherMask& mask);

// One row of the table stretched over the rectangle: column x shows entry
// floor(x × entries / width). GDI's StretchBlt may place a band boundary one column
// differently; first and last columns agree.
void FillCaptionStretchedRow(PixelBuffer& target, const Rect& rect, std::span<const TColor> bandColors);

// Band i covers columns round(i × b) to round((i + 1) × b), exclusive, b = width / entries,
// halves to even; with fewer columns than entries some bands are empty.
void FillCaptionBands(PixelBuffer& target, const Rect& rect, std::span<const TColor> bandColors);

}  // namespace kavrix
