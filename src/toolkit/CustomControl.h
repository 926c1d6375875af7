#pragma once
// A windowed control that paints itself: its background and content in Paint, then its
// windowless children. Painting goes through an off-screen bitmap of the invalid area
// and reaches the screen in one copy, so nothing flickers. It is a container for the
// keyboard: Tab and the mnemonics reach the controls inside it, never the container.

#include "toolkit/WinControl.h"

namespace kavrix {

class TCustomControl : public TWinControl {
 public:
  using TWinControl::TWinControl;

 protected:
  void CreateParams(TCreateParams& params) override;
  // Paints the control's own content; the default fills the client area with Color.
  virtual void Paint(TCanvas& canvas);
  intptr_t WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

 private:
  void PaintHandler();
};

}  // namespace kavrix
