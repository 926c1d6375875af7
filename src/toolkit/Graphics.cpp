#include "toolkit/Graphics.h"

#include <windows.h>

namespace kavrix {

TColor ColorToRGB(TColor color) noexcept {
  return (color & kSystemColor) ? ::GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

}  // namespace kavrix
