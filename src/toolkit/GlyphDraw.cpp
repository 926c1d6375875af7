#include "toolkit/GlyphDraw.h"

#include <utility>

#include "toolkit/Win32Gdi.h"

namespace kavrix {

TColor TransparentColorOf(TBitmap& bitmap) {
  if (bitmap.Empty()) return clWhite;
  return ::GetPixel(bitmap.Canvas().Handle(), 0, bitmap.Height() - 1);
}

namespace {

// A monochrome copy of `source`: white where the image has the transparent colour,
// black elsewhere.
class Mask {
 public:
  Mask(HDC dc, TBitmap& bitmap, const TRect& source, TColor transparent)
      : dc_(::CreateCompatibleDC(dc)), bitmap_(::CreateBitmap(source.Width(), source.Height(), 1, 1, nullptr)),
        selection_(dc_.Get(), bitmap_.Get()) {
    // The bitmap's own canvas context is the source: a bitmap can be selected into one
    // context only.
    HDC image = bitmap.Canvas().Handle();
    const COLORREF oldBack = ::SetBkColor(image, transparent);
    ::BitBlt(dc_.Get(), 0, 0, source.Width(), source.Height(), image, source.Left, source.Top, SRCCOPY);
    ::SetBkColor(image, oldBack);
  }
  HDC Get() const noexcept { return dc_.Get(); }

 private:
  UniqueMemoryDC dc_;
  UniqueGdiObject bitmap_;
  SelectionScope selection_;
};

// Paints the shape `rop` picks from the mask in the highlight colour one pixel right and
// down, then in the shadow colour in place.
void Emboss(HDC dc, int x, int y, const Mask& mask, const TRect& source, DWORD rop) {
  const MonochromeColorsScope colors(dc);
  for (const auto& [dx, color] : {std::pair{1, clBtnHighlight}, std::pair{0, clBtnShadow}}) {
    const UniqueGdiObject brush(::CreateSolidBrush(ColorToRGB(color)));
    const SelectionScope selection(dc, brush.Get());
    ::BitBlt(dc, x + dx, y + dx, source.Width(), source.Height(), mask.Get(), 0, 0, rop);
  }
}

}  // namespace

void DrawDisabled(HDC dc, int x, int y, TBitmap& bitmap, const TRect& source, TColor transparent) {
  if (bitmap.Empty() || source.Width() <= 0 || source.Height() <= 0) return;
  // Where the mask is black the brush's colour, elsewhere the target unchanged.
  constexpr DWORD kBrushWhereSourceBlack = 0x00B8074A;
  Emboss(dc, x, y, Mask(dc, bitmap, source, transparent), source, kBrushWhereSourceBlack);
}

void DrawEmbossedColor(HDC dc, int x, int y, TBitmap& bitmap, TColor key) {
  if (bitmap.Empty()) return;
  const TRect whole{0, 0, bitmap.Width(), bitmap.Height()};
  // Where the mask is white the brush's colour, elsewhere the target unchanged.
  constexpr DWORD kBrushWhereSourceWhite = 0x00E20746;
  Emboss(dc, x, y, Mask(dc, bitmap, whole, key), whole, kBrushWhereSourceWhite);
}

void DrawTransparent(HDC dc, const TRect& target, TBitmap& bitmap, const TRect& source, TColor transparent) {
  if (bitmap.Empty() || source.Width() <= 0 || source.Height() <= 0) return;
  HDC image = bitmap.Canvas().Handle();
  const int width = source.Width();
  const int height = source.Height();
  const Mask mask(dc, bitmap, source, transparent);
  const HDC maskDC = mask.Get();
  // target ^= image; target &= mask (keeps the target where transparent, clears the rest);
  // target ^= image: the image where opaque, the old target where transparent.
  const MonochromeColorsScope colors(dc);
  const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
  const auto copy = [&](HDC from, DWORD rop, int left, int top) {
    ::StretchBlt(dc, target.Left, target.Top, target.Width(), target.Height(), from, left, top, width, height, rop);
  };
  copy(image, SRCINVERT, source.Left, source.Top);
  copy(maskDC, SRCAND, 0, 0);
  copy(image, SRCINVERT, source.Left, source.Top);
  ::SetStretchBltMode(dc, oldMode);
}

}  // namespace kavrix
