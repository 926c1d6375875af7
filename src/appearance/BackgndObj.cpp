#include "appearance/BackgndObj.h"

namespace kavrix {

TBackgndObj::TBackgndObj() {
  gradient_.OnChange = [this](TObject&) { Changed(); };
}

void TBackgndObj::SetGradient(const TGradient& value) {
  if (&value == &gradient_) return;
  gradient_.Assign(value);
  Changed();
}

void TBackgndObj::SetPicture(const PixelBuffer& value) {
  if (&value == &picture_) return;
  picture_ = value;
  Changed();
}

void TBackgndObj::SetBackStyle(TBackStyle value) {
  if (value == backStyle_) return;
  backStyle_ = value;
  Changed();
}

void TBackgndObj::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed();
}

void TBackgndObj::Assign(const TBackgndObj& source) {
  if (&source == this) return;
  picture_ = source.picture_;
  gradient_.Assign(source.gradient_);
  backStyle_ = source.backStyle_;
  color_ = source.color_;
  Changed();
}

void TBackgndObj::PaintBackground(PixelBuffer& target, const Rect& rect) const {
  const BackgroundSettings settings{backStyle_, color_, gradient_.Settings(), &picture_};
  kavrix::PaintBackground(target, rect, settings);
}

void TBackgndObj::Changed() {
  if (OnChange) OnChange(*this);
}

}  // namespace kavrix
