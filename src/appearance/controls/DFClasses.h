#pragma once
// A windowless control that draws itself once into an off-screen bitmap and, on every
// paint, only copies the part the system asks for.

#include "toolkit/Bitmap.h"
#include "toolkit/Control.h"

namespace kavrix {

class TDFGraphicControl : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;

  // Rebuilds the buffer first when the control's size changed since it was made, then
  // copies the canvas' clipping rectangle from the buffer in one block copy.
  void Paint(TCanvas& canvas) override;

 protected:
  TBitmap& Buffer() noexcept { return buffer_; }

  // Gives the buffer the control's size; a buffer of that size already is kept as it is.
  // Derived controls draw their content here, after calling this version.
  virtual void UpdateBuffer();

 private:
  TBitmap buffer_;
};

}  // namespace kavrix
