#include "toolkit/ProgressBar.h"

#include <algorithm>

#include "toolkit/CommonControls.h"
#include "toolkit/Win32Gdi.h"

#include <commctrl.h>

namespace kavrix {
namespace {

int Clamp16(int value) noexcept { return std::clamp(value, 0, 0xFFFF); }

}  // namespace

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 150, 16); }

void TProgressBar::CreateParams(TCreateParams& params) {
  InitCommonControlClasses(ICC_PROGRESS_CLASS);
  TWinControl::CreateParams(params);
  params.className = PROGRESS_CLASSA;
}

void TProgressBar::HandleCreated() { Apply(); }

void TProgressBar::SetMin(int min) {
  min_ = Clamp16(min);
  Apply();
}

void TProgressBar::SetMax(int max) {
  max_ = Clamp16(max);
  Apply();
}

void TProgressBar::SetPosition(int position) {
  position_ = Clamp16(position);
  Apply();
}

void TProgressBar::Apply() {
  const int top = std::max(min_, max_);
  position_ = std::clamp(position_, min_, top);
  if (!HandleAllocated()) return;
  Perform(PBM_SETRANGE, 0, MAKELPARAM(min_, top));
  Perform(PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

}  // namespace kavrix
