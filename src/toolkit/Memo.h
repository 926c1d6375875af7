#pragma once
// A text box of several lines; Tab moves on to the next control, as in any dialog.

#include "toolkit/Edit.h"

namespace kavrix {

enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TCustomEdit {
 public:
  explicit TMemo(TComponent* owner);

  // Lines may end in "\n" or "\r\n"; the window shows both as line breaks, and Text then
  // reads "\r\n".
  void SetText(const std::string& text) override;
  TScrollStyle ScrollBars() const noexcept { return scrollBars_; }
  void SetScrollBars(TScrollStyle scrollBars);
  // When false, Enter is left to the form (its default button) instead of breaking the line.
  bool WantReturns() const noexcept { return wantReturns_; }
  void SetWantReturns(bool wantReturns);

 protected:
  void CreateParams(TCreateParams& params) override;
  intptr_t WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

 private:
  TScrollStyle scrollBars_ = ssNone;
  bool wantReturns_ = true;
};

}  // namespace kavrix
