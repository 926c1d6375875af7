#pragma once
// A push button with a glyph left of its caption. The glyph bitmap holds NumGlyphs
// images side by side: the first is shown normally, the second (when there is one) while
// the button is disabled; with one image the disabled look is embossed from it. The
// bottom-left pixel's colour is transparent.

#include "toolkit/Bitmap.h"
#include "toolkit/Button.h"
#include "toolkit/layout/DpiScale.h"

namespace kavrix {

class TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* owner);

  // Call Invalidate after changing it.
  TBitmap& Glyph() noexcept { return glyph_; }
  int NumGlyphs() const noexcept { return numGlyphs_; }
  // 1..4; other values are taken as 1.
  void SetNumGlyphs(int numGlyphs);

  // The glyph, drawn for 96 DPI, is shown enlarged with the button.
  void ChangeScale(int toDpi, int fromDpi) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  intptr_t WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void DrawItem(const tagDRAWITEMSTRUCT& item) override;

 private:
  TBitmap glyph_;
  int numGlyphs_ = 1;
  int pixelsPerInch_ = kDesignDpi;
};

}  // namespace kavrix
