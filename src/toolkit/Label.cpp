#include "toolkit/Label.h"

#include "toolkit/Win32Gdi.h"

namespace kavrix {

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  SetParentColor(true);
  SetBounds(0, 0, 65, 13);
}

void TLabel::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  AdjustBounds();
}

void TLabel::SetWordWrap(bool wordWrap) {
  if (wordWrap == wordWrap_) return;
  wordWrap_ = wordWrap;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Invalidate();
}

void TLabel::SetShowAccelChar(bool showAccelChar) {
  if (showAccelChar == showAccelChar_) return;
  showAccelChar_ = showAccelChar;
  AdjustBounds();
  Invalidate();
}

uint32_t TLabel::TextFormat() const noexcept {
  const uint32_t layout = (wordWrap_ ? tfWordBreak : tfSingleLine) | tfExpandTabs;
  return showAccelChar_ ? layout : layout | tfNoPrefix;
}

TPoint TLabel::TextExtent(int width) const {
  const ScreenDC screen;
  TCanvas canvas(screen.Get());
  canvas.Font().Assign(Font());
  TRect rect{0, 0, wordWrap_ ? width : 0, 0};
  canvas.DrawText(rect, Caption().empty() ? std::string(" ") : Caption(), TextFormat() | tfCalcRect);
  return {rect.Width(), rect.Height()};
}

void TLabel::AdjustBounds() {
  if (!autoSize_) return;
  const TPoint extent = TextExtent(Width());
  SetBounds(Left(), Top(), wordWrap_ ? Width() : extent.X, extent.Y);
}

void TLabel::ChangeScale(int toDpi, int fromDpi) {
  TGraphicControl::ChangeScale(toDpi, fromDpi);
  AdjustBounds();
}

void TLabel::Paint(TCanvas& canvas) {
  if (!transparent_) {
    canvas.SetBrushColor(Color());
    canvas.FillRect({0, 0, Width(), Height()});
  }
  canvas.Font().Assign(Font());
  canvas.SetBrushStyle(bsClear);
  TRect rect{0, 0, Width(), Height()};
  if (!Enabled()) canvas.Font().SetColor(clGrayText);
  canvas.DrawText(rect, Caption(), TextFormat());
  canvas.SetBrushStyle(bsSolid);
}

void TLabel::TextChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::FontChanged() {
  AdjustBounds();
  Invalidate();
}

}  // namespace kavrix
