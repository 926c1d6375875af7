#include "toolkit/Gauge.h"

#include <algorithm>
#include <string>
#include <utility>

#include "toolkit/Win32Gdi.h"

namespace kavrix {

TGauge::TGauge(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 100, 100); }

void TGauge::SetMinValue(int value) {
  if (value == minValue_) return;
  minValue_ = value;
  maxValue_ = std::max(maxValue_, value);
  Invalidate();
  UpdateProgress(progress_);
}

void TGauge::SetMaxValue(int value) {
  if (value == maxValue_) return;
  maxValue_ = value;
  minValue_ = std::min(minValue_, value);
  Invalidate();
  UpdateProgress(progress_);
}

void TGauge::SetProgress(int value) { UpdateProgress(value); }

void TGauge::UpdateProgress(int value) {
  value = std::clamp(value, minValue_, maxValue_);
  if (value == progress_) return;
  const int shown = PercentDone();
  progress_ = value;
  if (PercentDone() != shown) {
    Repaint();
  } else {
    Invalidate();  // the bar may still have grown by a pixel; the next paint shows it
  }
}

int TGauge::PercentDone() const noexcept {
  const long long span = static_cast<long long>(maxValue_) - minValue_;
  if (span <= 0) return 100;
  return static_cast<int>((static_cast<long long>(progress_) - minValue_) * 100 / span);
}

void TGauge::SetForeColor(TColor color) {
  if (color == foreColor_) return;
  foreColor_ = color;
  Invalidate();
}

void TGauge::SetBackColor(TColor color) {
  if (color == backColor_) return;
  backColor_ = color;
  Invalidate();
}

void TGauge::SetShowText(bool showText) {
  if (showText == showText_) return;
  showText_ = showText;
  Invalidate();
}

void TGauge::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  Invalidate();
}

void TGauge::Paint(TCanvas& canvas) {
  TRect inner{0, 0, Width(), Height()};
  if (borderStyle_ == bsSingle) {
    canvas.SetPenColor(clBlack);
    canvas.SetBrushStyle(bsClear);
    canvas.Rectangle(inner);
    canvas.SetBrushStyle(bsSolid);
    inner = {1, 1, Width() - 1, Height() - 1};
  }
  const long long span = static_cast<long long>(maxValue_) - minValue_;
  const int filled = span <= 0 ? inner.Width()
                               : static_cast<int>((static_cast<long long>(progress_) - minValue_) * inner.Width() / span);
  const TRect bar{inner.Left, inner.Top, inner.Left + filled, inner.Bottom};
  const TRect rest{bar.Right, inner.Top, inner.Right, inner.Bottom};
  canvas.SetBrushColor(foreColor_);
  canvas.FillRect(bar);
  canvas.SetBrushColor(backColor_);
  canvas.FillRect(rest);
  if (!showText_) return;
  // The text in the colour of the other part on each side of the bar's end.
  const std::string text = std::to_string(PercentDone()) + "%";
  canvas.Font().Assign(Font());
  canvas.SetBrushStyle(bsClear);
  HDC dc = canvas.Handle();
  for (const auto& [area, color] : {std::pair{bar, backColor_}, std::pair{rest, foreColor_}}) {
    if (area.Width() <= 0) continue;
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, area.Left, area.Top, area.Right, area.Bottom);
    canvas.Font().SetColor(color);
    TRect box = inner;
    canvas.DrawText(box, text, tfCenter | tfVerticalCenter | tfSingleLine | tfNoPrefix);
    ::RestoreDC(dc, saved);
  }
  canvas.SetBrushStyle(bsSolid);
}

}  // namespace kavrix
