#pragma once
// The background control: a colour, a gradient or a picture, drawn into the off-screen
// buffer whenever its description changes and copied from there on every paint. Where
// the style paints nothing (a picture smaller than the control, or none) the buffer keeps
// what it held. The gradient's OnDrawRect paints the steps of gsCustomRect on the
// buffer's canvas, in the renderer's order.

#include "appearance/BackgndObj.h"
#include "appearance/controls/DFClasses.h"

namespace kavrix {

class TBackground : public TDFGraphicControl {
 public:
  explicit TBackground(TComponent* owner);

  TBackgndObj& BackObj() noexcept { return backObj_; }
  // Copies `value` into the owned description (unless it is that one) and repaints.
  void SetBackObj(const TBackgndObj& value);

 protected:
  void UpdateBuffer() override;

 private:
  bool PaintsCustomSteps() const noexcept;
  void BackObjChanged();

  TBackgndObj backObj_;
};

}  // namespace kavrix
