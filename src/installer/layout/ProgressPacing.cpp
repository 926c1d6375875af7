#include "installer/layout/ProgressPacing.h"

namespace kavrix {

bool ProgressPacer::Due(uint32_t nowMs, bool last) noexcept {
  // Unsigned subtraction measures the interval across a wrap of the tick count.
  if (shownAny_ && !last && nowMs - lastShownMs_ < kIntervalMs) return false;
  shownAny_ = true;
  lastShownMs_ = nowMs;
  return true;
}

}  // namespace kavrix
