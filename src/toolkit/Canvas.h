#pragma once
// Drawing on a device context the canvas does not own (a window's paint context, a
// bitmap's memory context). Each drawing call selects the GDI objects it needs and
// restores the context's previous selection before returning, so a canvas never leaves
// its own objects selected into a context that outlives them.

#include <cstdint>
#include <string>

#include "toolkit/Font.h"
#include "toolkit/Graphics.h"

struct HDC__;

// <windows.h> maps these names to its ANSI or wide functions; the canvas methods keep them.
#undef TextOut
#undef DrawText

namespace kavrix {

class TBitmap;

enum TBrushStyle : uint8_t { bsSolid, bsClear };
enum TPenStyle : uint8_t { psSolid, psClear };

// Text layout flags for TCanvas::DrawText.
enum TTextFormat : uint32_t {
  tfLeft = 0,
  tfCenter = 1,
  tfRight = 2,
  tfVerticalCenter = 4,
  tfSingleLine = 8,
  tfWordBreak = 16,
  tfCalcRect = 32,     // measures instead of drawing: the rectangle grows to the text
  tfNoPrefix = 64,     // "&" is shown, not turned into an underline
  tfEndEllipsis = 128,
  tfExpandTabs = 256,  // a tab advances to the next stop, eight average characters apart
};

class TCanvas {
 public:
  explicit TCanvas(HDC__* dc = nullptr) noexcept : dc_(dc) {}
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  HDC__* Handle() const noexcept { return dc_; }
  void SetHandle(HDC__* dc) noexcept { dc_ = dc; }

  TFont& Font() noexcept { return font_; }
  TColor BrushColor() const noexcept { return brushColor_; }
  void SetBrushColor(TColor color) noexcept { brushColor_ = color; }
  TBrushStyle BrushStyle() const noexcept { return brushStyle_; }
  void SetBrushStyle(TBrushStyle style) noexcept { brushStyle_ = style; }
  TColor PenColor() const noexcept { return penColor_; }
  void SetPenColor(TColor color) noexcept { penColor_ = color; }
  // Width 0 draws one pixel wide, as 1 does.
  int PenWidth() const noexcept { return penWidth_; }
  void SetPenWidth(int width) noexcept { penWidth_ = width; }
  TPenStyle PenStyle() const noexcept { return penStyle_; }
  void SetPenStyle(TPenStyle style) noexcept { penStyle_ = style; }

  void FillRect(const TRect& rect);
  // Outline with the pen (none when it is clear), inside filled with the brush unless
  // the brush is clear.
  void Rectangle(const TRect& rect);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  // Text in the font's colour; the background is the brush colour unless the brush is clear.
  void TextOut(int x, int y, const std::string& text);
  // Lays out `text` in `rect` by `format` (TTextFormat bits). With tfCalcRect nothing is
  // drawn and `rect` is changed to the text's extent. Returns the text's height.
  int DrawText(TRect& rect, const std::string& text, uint32_t format);
  TPoint TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).X; }
  int TextHeight(const std::string& text) { return TextExtent(text).Y; }
  void Draw(int x, int y, const TBitmap& bitmap);
  void StretchDraw(const TRect& rect, const TBitmap& bitmap);
  // The pixel's RGB colour; for tests and pixel-exact checks.
  TColor Pixel(int x, int y) const;

 private:
  HDC__* dc_;
  TFont font_;
  TColor brushColor_ = clWhite;
  TBrushStyle brushStyle_ = bsSolid;
  TColor penColor_ = clBlack;
  int penWidth_ = 1;
  TPenStyle penStyle_ = psSolid;
};

}  // namespace kavrix
