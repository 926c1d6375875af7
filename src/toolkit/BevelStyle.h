#pragma once
// The raised or lowered look of a 3-D edge, shared by the toolkit's bevels and the
// appearance components' buttons. The type is the portable one the button renderer
// defines; the unscoped names let a form say SetStyle(bsLowered).

#include "appearance/render/ButtonRenderer.h"

namespace kavrix {

inline constexpr TBevelStyle bsLowered = TBevelStyle::bsLowered;
inline constexpr TBevelStyle bsRaised = TBevelStyle::bsRaised;

}  // namespace kavrix
