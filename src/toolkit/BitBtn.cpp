#include "toolkit/BitBtn.h"

#include "toolkit/GlyphDraw.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

void TBitBtn::ChangeScale(int toDpi, int fromDpi) {
  TButton::ChangeScale(toDpi, fromDpi);
  pixelsPerInch_ = toDpi;
  Invalidate();
}

void TBitBtn::SetNumGlyphs(int numGlyphs) {
  numGlyphs_ = numGlyphs >= 1 && numGlyphs <= 4 ? numGlyphs : 1;
  Invalidate();
}

void TBitBtn::CreateParams(TCreateParams& params) {
  TButton::CreateParams(params);
  params.style = (params.style & ~static_cast<uint32_t>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

intptr_t TBitBtn::WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == BM_SETSTYLE) {
    // The dialog manager and SetDefault would make it a plain push button again; the
    // default frame is drawn here instead.
    Invalidate();
    return 0;
  }
  return TButton::WndProc(message, wParam, lParam);
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT face = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  TCanvas canvas(dc);
  if (Default() || focused) {
    // The thick frame of the button Enter presses.
    canvas.SetPenColor(clBlack);
    canvas.SetBrushStyle(bsClear);
    canvas.Rectangle({face.left, face.top, face.right, face.bottom});
    ::InflateRect(&face, -1, -1);
  }
  ::DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED | DFCS_FLAT : 0));
  const int offset = pressed ? 1 : 0;

  canvas.Font().Assign(Font());
  const TPoint textSize = Caption().empty() ? TPoint{} : canvas.TextExtent(Caption());
  const int glyphWidth = glyph_.Empty() ? 0 : glyph_.Width() / numGlyphs_;
  // Enlarged pixel for pixel: every pixel keeps its colour, the transparent one included.
  const int shownWidth = ScaleToDpi(glyphWidth, pixelsPerInch_);
  const int shownHeight = ScaleToDpi(glyph_.Height(), pixelsPerInch_);
  const int spacing = glyphWidth > 0 && !Caption().empty() ? ScaleToDpi(4, pixelsPerInch_) : 0;
  const int width = item.rcItem.right - item.rcItem.left;
  const int height = item.rcItem.bottom - item.rcItem.top;
  int x = (width - shownWidth - spacing - textSize.X) / 2 + offset;
  if (glyphWidth > 0) {
    const int y = (height - shownHeight) / 2 + offset;
    const TColor transparent = TransparentColorOf(glyph_);
    const int index = disabled && numGlyphs_ >= 2 ? 1 : 0;
    const TRect source{index * glyphWidth, 0, (index + 1) * glyphWidth, glyph_.Height()};
    if (disabled && numGlyphs_ < 2) {
      DrawDisabled(dc, x, y, glyph_, source, transparent);
    } else {
      DrawTransparent(dc, {x, y, x + shownWidth, y + shownHeight}, glyph_, source, transparent);
    }
    x += shownWidth + spacing;
  }
  if (!Caption().empty()) {
    RECT text{x, (height - textSize.Y) / 2 + offset, x + textSize.X, (height + textSize.Y) / 2 + offset};
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const SelectionScope font(dc, Font().Handle());
    const COLORREF oldColor = ::SetTextColor(dc, ColorToRGB(Font().Color()));
    const UINT state = DSS_NORMAL | (disabled ? DSS_DISABLED : 0);
    ::DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(Caption().c_str()),
                 static_cast<WPARAM>(Caption().size()), text.left, text.top, text.right - text.left,
                 text.bottom - text.top, DST_PREFIXTEXT | state);
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
  }
  if (focused) {
    RECT focus = face;
    ::InflateRect(&focus, -3, -3);
    ::DrawFocusRect(dc, &focus);
  }
}

}  // namespace kavrix
