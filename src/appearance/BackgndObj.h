#pragma once
// What a background shows: a colour, a gradient or a picture, with the change chain that
// turns any change of its own values or of its gradient into its OnChange.

#include "appearance/Gradient.h"
#include "appearance/render/BackgroundRenderer.h"

namespace kavrix {

class TBackgndObj : public TObject {
 public:
  TBackgndObj();

  TGradient& Gradient() noexcept { return gradient_; }
  const TGradient& Gradient() const noexcept { return gradient_; }
  // Copies the values of `value` unless it is the owned gradient, then raises OnChange.
  void SetGradient(const TGradient& value);

  const PixelBuffer& Picture() const noexcept { return picture_; }
  // Copies the image of `value` unless it is the owned picture, then raises OnChange.
  void SetPicture(const PixelBuffer& value);

  TBackStyle BackStyle() const noexcept { return backStyle_; }
  void SetBackStyle(TBackStyle value);
  TColor Color() const noexcept { return color_; }
  void SetColor(TColor value);

  // Copies picture, gradient values, back style and colour; raises OnChange once more
  // after the gradient's own.
  void Assign(const TBackgndObj& source);

  // Paints the described background into `rect` of `target`.
  void PaintBackground(PixelBuffer& target, const Rect& rect) const;

  TNotifyEvent OnChange;

 private:
  void Changed();

  PixelBuffer picture_;
  TColor color_ = clBlack;
  TBackStyle backStyle_ = TBackStyle::bgSingleColor;
  TGradient gradient_;
};

}  // namespace kavrix
