#pragma once
// The background component's painting: a single colour, a gradient, or a bitmap shown
// once or tiled.

#include <cstdint>

#include "appearance/render/BandGradient.h"

namespace kavrix {

enum class TBackStyle : uint8_t { bgSingleColor, bgGradient, bgSingleBitmap, bgTileBitmap };

// What to paint. `picture` may be null or empty: the bitmap styles then paint nothing.
struct BackgroundSettings {
  TBackStyle backStyle = TBackStyle::bgSingleColor;
  TColor color = clBlack;  // used byte for byte, as the gradient colours are
  GradientSettings gradient;
  const PixelBuffer* picture = nullptr;
};

// Paints the background into `rect` of `target`. The bitmap styles are anchored at the
// target's origin, not at the rectangle: the single bitmap shows its pixel (x, y) at
// (x, y), the tiles show the picture's pixel (x mod width, y mod height).
void PaintBackground(PixelBuffer& target, const Rect& rect, const BackgroundSettings& background,
                     const DrawRectPainter& drawRect = {});

}  // namespace kavrix
