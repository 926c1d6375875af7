#include "appearance/controls/Backgnd.h"

#include <utility>
#include <vector>

#include "appearance/controls/PixelTransfer.h"

namespace kavrix {

TBackground::TBackground(TComponent* owner) : TDFGraphicControl(owner) {
  SetBounds(0, 0, 144, 144);
  backObj_.OnChange = [this](TObject&) { BackObjChanged(); };
}

void TBackground::SetBackObj(const TBackgndObj& value) {
  // Copying raises the description's OnChange, which rebuilds and invalidates.
  if (&value != &backObj_) backObj_.Assign(value);
}

void TBackground::BackObjChanged() {
  UpdateBuffer();
  Invalidate();
}

bool TBackground::PaintsCustomSteps() const noexcept {
  return backObj_.Gradient().OnDrawRect && backObj_.BackStyle() == TBackStyle::bgGradient &&
         backObj_.Gradient().GradientStyle() == TGradientStyle::gsCustomRect;
}

void TBackground::UpdateBuffer() {
  TDFGraphicControl::UpdateBuffer();
  if (Buffer().Empty()) return;
  PixelBuffer pixels = ReadPixels(Buffer());
  const Rect area{0, 0, Width(), Height()};
  if (!PaintsCustomSteps()) {
    backObj_.PaintBackground(pixels, area);
    DrawPixels(Buffer().Canvas().Handle(), 0, 0, pixels);
    return;
  }
  // The renderer walks the steps (and leaves the gradient area as a plain new bitmap
  // would be); the handler paints them on the real canvas in the same order.
  std::vector<std::pair<Rect, TColor>> steps;
  BackgroundSettings settings;
  settings.backStyle = TBackStyle::bgGradient;
  settings.gradient = backObj_.Gradient().Settings();
  PaintBackground(pixels, area, settings,
                  [&steps](PixelBuffer&, const Rect& rect, TColor brush) { steps.emplace_back(rect, brush); });
  TCanvas& canvas = Buffer().Canvas();
  DrawPixels(canvas.Handle(), 0, 0, pixels);
  canvas.SetPenWidth(0);
  canvas.SetPenStyle(psClear);
  for (const auto& [rect, brush] : steps) {
    canvas.SetBrushColor(brush);
    TRect step{rect.left, rect.top, rect.right, rect.bottom};
    backObj_.Gradient().OnDrawRect(nullptr, canvas, step);
  }
}

}  // namespace kavrix
