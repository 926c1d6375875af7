#pragma once
// The background control: a colour, a gradient or a picture, drawn into the off-screen
// buffer whenever its description changes and copied from there on every paint.

#include <functional>

#include "appearance/BackgndObj.h"
#include "appearance/controls/DFClasses.h"

namespace kavrix {

// Paints one step of a gsCustomRect gradient on a canvas whose brush holds the step's
// colour. The sender is always null.
using TDrawRectEvent = std::function<void(TObject* sender, TCanvas& canvas, const TRect& rect)>;

class TBackground : public TDFGraphicControl {
 public:
  explicit TBackground(TComponent* owner);

  TBackgndObj& BackObj() noexcept { return backObj_; }
  // Copies `value` into the owned description (unless it is that one) and repaints.
  void SetBackObj(const TBackgndObj& value);

  // The canvas painter of gsCustomRect steps. When set it takes the place of the
  // gradient's pixel painter: the buffer gets the steps' rectangles and colours from
  // the renderer and the handler draws each step with GDI.
  TDrawRectEvent OnDrawRect;

 protected:
  void UpdateBuffer() override;

 private:
  bool PaintsCustomSteps() const noexcept;
  void BackObjChanged();

  TBackgndObj backObj_;
};

}  // namespace kavrix
