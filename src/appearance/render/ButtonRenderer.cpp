#include "appearance/render/ButtonRenderer.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kavrix {
namespace {

constexpr int kTextGap = 2;
constexpr int kPopupMarkRoom = 10;
constexpr int kBevelShade = 40;

int AlignedX(TAlignment alignment, int width, int contentWidth) {
  switch (alignment) {
    case TAlignment::taLeftJustify:
      return 3;
    case TAlignment::taRightJustify:
      return width - contentWidth - 3;
    case TAlignment::taCenter:
      break;
  }
  return (width - contentWidth) / 2;
}

TColor Shade(TColor base, int delta) {
  return MakeColor(RedOf(base) + delta, GreenOf(base) + delta, BlueOf(base) + delta);
}

void LayoutAroundBitmap(const ButtonLayoutInput& in, int bw, int bh, int gap, int& tw, int th,
                        ButtonLayout& out) {
  const int w = in.width;
  const int h = in.height;
  Point& bmp = out.bitmap;
  Point& txt = out.text;
  switch (in.layout) {
    case TExplorerButtonLayout::blBitmapTop:
    case TExplorerButtonLayout::blBitmapBottom: {
      const int top = (h - (bh + th + gap)) / 2;
      const bool imageFirst = in.layout == TExplorerButtonLayout::blBitmapTop;
      bmp.y = imageFirst ? top : top + th + gap;
      txt.y = imageFirst ? top + bh + gap : top;
      bmp.x = AlignedX(in.alignment, w, bw);
      txt.x = AlignedX(in.alignment, w, tw);
      return;
    }
    case TExplorerButtonLayout::blBitmapLeft:
    case TExplorerButtonLayout::blBitmapRight:
      break;
  }
  if (bw + tw + gap > w - 4) tw = w - 4 - gap - bw;
  bmp.y = (h - bh) / 2;
  txt.y = (h - th) / 2;
  // Image and text are placed as one block, the leading one first.
  const bool imageFirst = in.layout == TExplorerButtonLayout::blBitmapLeft;
  const int leadW = imageFirst ? bw : tw;
  const int trailW = imageFirst ? tw : bw;
  int leadX = 0;
  int trailX = 0;
  switch (in.alignment) {
    case TAlignment::taLeftJustify:
      leadX = 3;
      trailX = 3 + leadW + gap;
      break;
    case TAlignment::taRightJustify:
      trailX = w - trailW - 3;
      leadX = trailX - leadW - gap;
      break;
    case TAlignment::taCenter:
      leadX = (w - (bw + tw + gap)) / 2;
      trailX = leadX + leadW + gap;
      break;
  }
  bmp.x = imageFirst ? leadX : trailX;
  txt.x = imageFirst ? trailX : leadX;
}

}  // namespace

ButtonLayout LayoutButton(const ButtonLayoutInput& in) {
  const int gap = in.showText ? kTextGap : 0;
  int tw = in.showText ? std::min(in.textWidth, in.width - 4) : 0;
  const int th = in.showText ? in.textHeight : 0;
  const bool hasBitmap = in.bitmapWidth > 0 && in.bitmapHeight > 0;
  ButtonLayout out{};
  if (hasBitmap) {
    const int bw = in.bitmapWidth + (in.popupMark ? kPopupMarkRoom : 0);
    LayoutAroundBitmap(in, bw, in.bitmapHeight, gap, tw, th, out);
    out.drawWidth = tw;
  } else {
    out.drawWidth = in.popupMark ? std::min(tw, in.width - 14) : tw;
    const int alignWidth = in.popupMark ? tw + kPopupMarkRoom : tw;
    out.text = {AlignedX(in.alignment, in.width, alignWidth), (in.height - th) / 2};
  }
  if (in.wordWrap && out.text.x + out.drawWidth > in.width - 5) out.drawWidth = in.width - out.text.x - 5;
  out.textHeight = th;
  out.textRect = {out.text.x, out.text.y, out.text.x + out.drawWidth, out.text.y + th};
  return out;
}

Point PopupMarkOrigin(const ButtonLayoutInput& in, const ButtonLayout& layout, bool pressed) {
  const int shift = pressed ? 1 : 0;
  if (in.bitmapWidth > 0 && in.bitmapHeight > 0) {
    return {layout.bitmap.x + in.bitmapWidth + 3 + shift, layout.bitmap.y + in.bitmapHeight / 2 + shift};
  }
  return {layout.text.x + layout.drawWidth + 3 + shift, layout.text.y + layout.textHeight / 2 + shift};
}

void DrawPopupMark(PixelBuffer& target, Point origin, TColor color) {
  for (int row = 0; row < 4; ++row) {
    const int y = origin.y - 1 + row;
    target.FillRect({origin.x + row, y, origin.x + 7 - row, y + 1}, color);
  }
}

BevelColors BevelColorsFor(TColor base, BevelLook look, TBevelStyle style) {
  const TColor light = Shade(base, kBevelShade);
  const TColor dark = Shade(base, -kBevelShade);
  const bool lightFirst = (look == BevelLook::kRaised) == (style == TBevelStyle::bsRaised);
  return lightFirst ? BevelColors{light, dark} : BevelColors{dark, light};
}

void DrawBevel(PixelBuffer& target, int width, int height, const BevelColors& colors) {
  target.FillRect({0, 1, 1, height + 1}, colors.topLeft);
  target.FillRect({0, 0, width - 1, 1}, colors.topLeft);
  target.FillRect({width - 1, 0, width, height - 1}, colors.bottomRight);
  target.FillRect({1, height - 1, width, height}, colors.bottomRight);
}

void FillDownPattern(PixelBuffer& target, const Rect& rect, TColor face, TColor highlight) {
  for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, target.Height()); ++y) {
    for (int x = std::max(rect.left, 0); x < std::min(rect.right, target.Width()); ++x) {
      target.SetPixel(x, y, (x + y) % 2 == 0 ? highlight : face);
    }
  }
}

void DrawTransparent(PixelBuffer& target, const PixelBuffer& image, Point at) {
  if (image.IsEmpty()) return;
  const TColor transparent = image.At(0, 0);
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      if (image.At(x, y) != transparent) target.SetPixel(at.x + x, at.y + y, image.At(x, y));
    }
  }
}

void DrawEmbossed(PixelBuffer& target, const PixelBuffer& image, Point at, TColor highlight, TColor shadow) {
  for (const auto& [offset, color] : {std::pair{1, highlight}, std::pair{0, shadow}}) {
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = 0; x < image.Width(); ++x) {
        if (image.At(x, y) == clBlack) target.SetPixel(at.x + x + offset, at.y + y + offset, color);
      }
    }
  }
}

PixelBuffer MakeGreyImage(const PixelBuffer& image, TExplorerButtonShadingType shading, TColor highlight,
                          TColor shadow) {
  // Channel sums above which a pixel becomes white, highlight, shadow; black below all.
  static constexpr std::array<std::array<int, 3>, 3> kThresholds = {{
      {205, 127, 68},   // stLight
      {553, 231, 57},   // stMedium
      {335, 274, 175},  // stDark
  }};
  const auto& limits = kThresholds[static_cast<size_t>(shading)];
  const std::array<TColor, 4> shades = {clWhite, highlight, shadow, clBlack};
  PixelBuffer grey = image;
  if (image.IsEmpty()) return grey;
  const TColor transparent = image.At(0, 0);
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const TColor c = image.At(x, y);
      if (c == transparent) continue;
      const int sum = RedOf(c) + GreenOf(c) + BlueOf(c);
      size_t level = 0;
      while (level < limits.size() && sum <= limits[level]) ++level;
      grey.SetPixel(x, y, shades[level]);
    }
  }
  return grey;
}

}  // namespace kavrix
