#include "toolkit/Canvas.h"

#include "toolkit/Bitmap.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

RECT ToRect(const TRect& rect) noexcept { return {rect.Left, rect.Top, rect.Right, rect.Bottom}; }

UINT ToDrawTextFormat(uint32_t format) noexcept {
  UINT result = 0;
  if (format & tfCenter) result |= DT_CENTER;
  if (format & tfRight) result |= DT_RIGHT;
  if (format & tfVerticalCenter) result |= DT_VCENTER;
  if (format & tfSingleLine) result |= DT_SINGLELINE;
  if (format & tfWordBreak) result |= DT_WORDBREAK;
  if (format & tfCalcRect) result |= DT_CALCRECT;
  if (format & tfNoPrefix) result |= DT_NOPREFIX;
  if (format & tfEndEllipsis) result |= DT_END_ELLIPSIS;
  if (format & tfExpandTabs) result |= DT_EXPANDTABS;
  return result;
}

// The font and text colours of `canvas` applied for one text call.
class TextScope {
 public:
  TextScope(HDC dc, TFont& font, TColor brushColor, TBrushStyle brushStyle) noexcept
      : dc_(dc), font_(dc, font.Handle()),
        color_(::SetTextColor(dc, ColorToRGB(font.Color()))),
        background_(::SetBkColor(dc, ColorToRGB(brushColor))),
        mode_(::SetBkMode(dc, brushStyle == bsClear ? TRANSPARENT : OPAQUE)) {}
  TextScope(const TextScope&) = delete;
  TextScope& operator=(const TextScope&) = delete;
  ~TextScope() {
    ::SetBkMode(dc_, mode_);
    ::SetBkColor(dc_, background_);
    ::SetTextColor(dc_, color_);
  }

 private:
  HDC dc_;
  SelectionScope font_;
  COLORREF color_;
  COLORREF background_;
  int mode_;
};

HGDIOBJ CreatePenOf(TPenStyle style, int width, TColor color) noexcept {
  return ::CreatePen(style == psClear ? PS_NULL : PS_SOLID, width, ColorToRGB(color));
}

}  // namespace

void TCanvas::FillRect(const TRect& rect) {
  const UniqueGdiObject brush(::CreateSolidBrush(ColorToRGB(brushColor_)));
  const RECT area = ToRect(rect);
  ::FillRect(dc_, &area, static_cast<HBRUSH>(brush.Get()));
}

void TCanvas::Rectangle(const TRect& rect) {
  const UniqueGdiObject pen(CreatePenOf(penStyle_, penWidth_, penColor_));
  const UniqueGdiObject brush(brushStyle_ == bsClear ? nullptr : ::CreateSolidBrush(ColorToRGB(brushColor_)));
  const SelectionScope penSelection(dc_, pen.Get());
  const SelectionScope brushSelection(dc_, brush ? brush.Get() : ::GetStockObject(NULL_BRUSH));
  ::Rectangle(dc_, rect.Left, rect.Top, rect.Right, rect.Bottom);
}

void TCanvas::MoveTo(int x, int y) { ::MoveToEx(dc_, x, y, nullptr); }

void TCanvas::LineTo(int x, int y) {
  const UniqueGdiObject pen(CreatePenOf(penStyle_, penWidth_, penColor_));
  const SelectionScope penSelection(dc_, pen.Get());
  ::LineTo(dc_, x, y);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  const TextScope scope(dc_, font_, brushColor_, brushStyle_);
  ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

int TCanvas::DrawText(TRect& rect, const std::string& text, uint32_t format) {
  const TextScope scope(dc_, font_, brushColor_, brushStyle_);
  RECT area = ToRect(rect);
  const int height = ::DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &area, ToDrawTextFormat(format));
  if (format & tfCalcRect) rect = {area.left, area.top, area.right, area.bottom};
  return height;
}

TPoint TCanvas::TextExtent(const std::string& text) {
  const SelectionScope fontSelection(dc_, font_.Handle());
  SIZE size{};
  ::GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
  return {size.cx, size.cy};
}

namespace {

// A context to copy a bitmap from: its canvas' context when it has one (a bitmap can be
// selected into one context only), else a temporary one.
class BitmapSource {
 public:
  BitmapSource(HDC compatible, const TBitmap& bitmap)
      : own_(bitmap.CanvasHandle() ? nullptr : ::CreateCompatibleDC(compatible)),
        selection_(own_.Get(), own_ ? bitmap.Handle() : nullptr),
        dc_(own_ ? own_.Get() : bitmap.CanvasHandle()) {}
  HDC Get() const noexcept { return dc_; }

 private:
  UniqueMemoryDC own_;
  SelectionScope selection_;
  HDC dc_;
};

}  // namespace

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  const BitmapSource source(dc_, bitmap);
  ::BitBlt(dc_, x, y, bitmap.Width(), bitmap.Height(), source.Get(), 0, 0, SRCCOPY);
}

void TCanvas::StretchDraw(const TRect& rect, const TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  const BitmapSource source(dc_, bitmap);
  ::SetStretchBltMode(dc_, COLORONCOLOR);
  ::StretchBlt(dc_, rect.Left, rect.Top, rect.Width(), rect.Height(), source.Get(), 0, 0, bitmap.Width(),
               bitmap.Height(), SRCCOPY);
}

TColor TCanvas::Pixel(int x, int y) const { return ::GetPixel(dc_, x, y); }

}  // namespace kavrix
