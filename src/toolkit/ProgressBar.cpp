#include "toolkit/ProgressBar.h"

#include <algorithm>
#include <limits>

#include "toolkit/CommonControls.h"
#include "toolkit/Win32Gdi.h"

#include <commctrl.h>

namespace kavrix {
namespace {

int ClampRange(int value) noexcept { return std::clamp(value, 0, std::numeric_limits<int>::max()); }

}  // namespace

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 150, 16); }

void TProgressBar::CreateParams(TCreateParams& params) {
  InitCommonControlClasses(ICC_PROGRESS_CLASS);
  TWinControl::CreateParams(params);
  params.className = PROGRESS_CLASSA;
}

void TProgressBar::HandleCreated() { Apply(); }

// An unchanged value sends nothing, so the bar is painted again only when it changed.
void TProgressBar::SetMin(int min) {
  if (ClampRange(min) == min_) return;
  min_ = ClampRange(min);
  Apply();
}

void TProgressBar::SetMax(int max) {
  if (ClampRange(max) == max_) return;
  max_ = ClampRange(max);
  Apply();
}

void TProgressBar::SetPosition(int position) {
  if (ClampRange(position) == position_) return;
  position_ = ClampRange(position);
  Apply();
}

void TProgressBar::Apply() {
  const int top = std::max(min_, max_);
  position_ = std::clamp(position_, min_, top);
  if (!HandleAllocated()) return;
  // PBM_SETRANGE carries 16 bits only.
  Perform(PBM_SETRANGE32, static_cast<WPARAM>(min_), top);
  Perform(PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

}  // namespace kavrix
