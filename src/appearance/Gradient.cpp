#include "appearance/Gradient.h"

#include <algorithm>

namespace kavrix {

void TGradient::SetColorCount(int value) { Store(settings_.colorCount, std::clamp(value, 1, 4)); }

void TGradient::Assign(const TGradient& source) {
  settings_ = source.settings_;
  Changed();
}

void TGradient::PaintGradient(PixelBuffer& target) const {
  kavrix::PaintGradient(target, settings_);
}

void TGradient::Changed() {
  if (OnChange) OnChange(*this);
}

}  // namespace kavrix
