#include "appearance/render/BackgroundRenderer.h"

#include <algorithm>

namespace kavrix {
namespace {

void PaintTiles(PixelBuffer& target, const Rect& rect, const PixelBuffer& picture) {
  const int pw = picture.Width();
  const int ph = picture.Height();
  for (int y = rect.top; y < rect.bottom;) {
    // The origin anchoring makes the first tile of a row or column a partial one.
    const int sy = ((y % ph) + ph) % ph;
    const int tileH = std::min(ph - sy, rect.bottom - y);
    for (int x = rect.left; x < rect.right;) {
      const int sx = ((x % pw) + pw) % pw;
      const int tileW = std::min(pw - sx, rect.right - x);
      target.Blit(picture, {sx, sy, sx + tileW, sy + tileH}, x, y);
      x += tileW;
    }
    y += tileH;
  }
}

}  // namespace

void PaintBackground(PixelBuffer& target, const Rect& rect, const BackgroundSettings& background,
                     const DrawRectPainter& drawRect) {
  if (rect.IsEmpty()) return;
  const PixelBuffer* picture = background.picture;
  const bool hasPicture = picture != nullptr && !picture->IsEmpty();
  switch (background.backStyle) {
    case TBackStyle::bgSingleColor:
      target.FillRect(rect, background.color & 0xFFFFFF);
      break;
    case TBackStyle::bgGradient: {
      PixelBuffer gradient(rect.Width(), rect.Height());
      PaintGradient(gradient, background.gradient, drawRect);
      target.Blit(gradient, {0, 0, rect.Width(), rect.Height()}, rect.left, rect.top);
      break;
    }
    case TBackStyle::bgSingleBitmap:
      if (hasPicture) target.Blit(*picture, rect, rect.left, rect.top);
      break;
    case TBackStyle::bgTileBitmap:
      if (hasPicture) PaintTiles(target, rect, *picture);
      break;
  }
}

}  // namespace kavrix
