#pragma once
// Drawing of bitmaps with one colour left out, and of their embossed disabled look, as
// images and buttons need (without msimg32, which the program does not import).

#include "toolkit/Bitmap.h"

struct HDC__;

namespace kavrix {

// Copies `source` of `bitmap` to `target` on `dc` (stretching when the sizes differ),
// leaving the pixels of colour `transparent` (RGB) out, so what is below shows there.
void DrawTransparent(HDC__* dc, const TRect& target, TBitmap& bitmap, const TRect& source, TColor transparent);

// Draws `source` of `bitmap` at (x, y) as a disabled glyph: the shape of its
// non-transparent pixels embossed in the button highlight and shadow colours.
void DrawDisabled(HDC__* dc, int x, int y, TBitmap& bitmap, const TRect& source, TColor transparent);

// Draws the pixels of `bitmap` that have the colour `key` at (x, y), embossed as
// DrawDisabled draws the shape it keeps.
void DrawEmbossedColor(HDC__* dc, int x, int y, TBitmap& bitmap, TColor key);

// The colour treated as transparent in a bitmap: that of its bottom-left pixel.
TColor TransparentColorOf(TBitmap& bitmap);

}  // namespace kavrix
