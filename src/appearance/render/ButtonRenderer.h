#pragma once
// The explorer-style button's faces: where image and text go, the thin bevel, the
// drop-down mark, the down pattern, and the transparent, embossed and grey images. Text
// is measured and drawn by the platform; everything else is computed here. Coordinates
// are the button's own (0, 0 at its top-left corner) unless a function says otherwise.

#include <cstdint>

#include "appearance/render/PixelBuffer.h"

namespace kavrix {

// The toolkit's alignment and bevel types, portable so the toolkit can share them.
enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
enum class TBevelStyle : uint8_t { bsLowered, bsRaised };

enum class TExplorerButtonLayout : uint8_t { blBitmapTop, blBitmapBottom, blBitmapLeft, blBitmapRight };
enum class TExplorerButtonShadingType : uint8_t { stLight, stMedium, stDark };

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

struct ButtonLayoutInput {
  int width = 50;
  int height = 40;
  int bitmapWidth = 0;  // 0 × 0 when there is no Bitmap
  int bitmapHeight = 0;
  bool showText = false;  // a caption is drawn: not boIconOnly and Caption not empty
  int textWidth = 0;      // measured with DT_CALCRECT in (0, 0, width − 4, 0)
  int textHeight = 0;
  bool popupMark = false;  // boPopupMark with a DropDownMenu assigned
  TExplorerButtonLayout layout = TExplorerButtonLayout::blBitmapTop;
  TAlignment alignment = TAlignment::taCenter;
  bool wordWrap = false;
};

struct ButtonLayout {
  Point bitmap;     // top-left of the image (0, 0 without a Bitmap)
  Point text;       // top-left of the text before any pressed shift
  int drawWidth;    // the width the text is drawn in
  int textHeight;
  Rect textRect;    // T, before any pressed shift
};

ButtonLayout LayoutButton(const ButtonLayoutInput& input);

// Where the drop-down mark goes; a pressed button shows it one pixel right and down
// further than the plain offset of 3.
Point PopupMarkOrigin(const ButtonLayoutInput& input, const ButtonLayout& layout, bool pressed);

// The mark at (x, y): a seven-pixel-wide triangle pointing down, from row y − 1 to y + 2.
void DrawPopupMark(PixelBuffer& target, Point origin, TColor color);

enum class BevelLook : uint8_t { kRaised, kPressed };

struct BevelColors {
  TColor topLeft;
  TColor bottomRight;
  bool operator==(const BevelColors&) const = default;
};

// The edges' colours from the button's base colour (resolved RGB): light and dark are
// the base with 40 added and taken from each channel, clamped.
BevelColors BevelColorsFor(TColor base, BevelLook look, TBevelStyle style);

// The bevel as LineTo draws it on a width × height button: the left column from the
// bottom row up and the top row, without its last pixel, in the first colour; the right
// column and the bottom row, without the bottom-left pixel, in the second.
void DrawBevel(PixelBuffer& target, int width, int height, const BevelColors& colors);

// Fills `rect` with the held-down background: highlight where x and y are both even or
// both odd in target coordinates, face elsewhere.
void FillDownPattern(PixelBuffer& target, const Rect& rect, TColor face, TColor highlight);

// Draws `image` at (x, y) leaving out every pixel of the colour of its top-left pixel.
void DrawTransparent(PixelBuffer& target, const PixelBuffer& image, Point at);

// The disabled look of an image without a disabled variant: only its pure black pixels
// show, first in `highlight` one pixel right and down, then in `shadow` in place.
void DrawEmbossed(PixelBuffer& target, const PixelBuffer& image, Point at, TColor highlight, TColor shadow);

// The grey variant of `image`: the pixels of the top-left pixel's colour stay, every
// other becomes white, highlight, shadow or black by its channel sum and the shading's
// thresholds, tested in that order.
PixelBuffer MakeGreyImage(const PixelBuffer& image, TExplorerButtonShadingType shading, TColor highlight,
                          TColor shadow);

}  // namespace kavrix
