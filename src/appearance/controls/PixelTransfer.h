#pragma once
// Moves pixels between the portable renderers' buffers and GDI: the renderers compute
// every pixel, these functions only carry them to and from device contexts and bitmaps,
// so what reaches the screen is exactly what the renderer produced.

#include <cstdint>
#include <span>
#include <vector>

#include "appearance/render/PixelBuffer.h"
#include "foundation/Exceptions.h"
#include "toolkit/Bitmap.h"

struct HDC__;

namespace kavrix {

// Draws `pixels` one to one with its top-left corner at (x, y) in logical coordinates.
void DrawPixels(HDC__* dc, int x, int y, const PixelBuffer& pixels);

// The bitmap's image as RGB pixels; empty for an empty bitmap. The bitmaps are not
// const: their pixels are read through their own canvas, as GDI wants a bitmap that is
// selected into a context to be read through that context.
PixelBuffer ReadPixels(TBitmap& bitmap);

// Makes `bitmap` a copy of `pixels` (empty pixels empty the bitmap).
void WritePixels(TBitmap& bitmap, const PixelBuffer& pixels);

// Makes `target` a pixel-exact copy of `source`, whatever the source's colour depth.
void CopyBitmap(TBitmap& target, TBitmap& source);

// The image of `bitmap` as a complete BMP file (file header, info header, rows, no
// length prefix), 32 bits per pixel; an empty bitmap gives no bytes.
std::vector<uint8_t> SaveBitmapImage(TBitmap& bitmap);

// Loads a BMP file image written by SaveBitmapImage or by any program that writes
// uncompressed BMP files (1, 4, 8, 16, 24 or 32 bits per pixel). No bytes empty the
// bitmap. Raises EInvalidGraphic "Bitmap image is not valid" for anything else, the
// bitmap then left as it was.
void LoadBitmapImage(TBitmap& bitmap, std::span<const uint8_t> image);

class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace kavrix
