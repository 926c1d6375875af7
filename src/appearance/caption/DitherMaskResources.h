#pragma once
// The dithering masks as the running program carries them: the 1-bit BITMAP resources
// GF_DITHGRADMASK1 and GF_DITHGRADMASK2 (US English) of the program's own module.

#include "appearance/render/DitherMasks.h"

namespace kavrix {

// The resource counterpart of `portable` (DitherMask1() or DitherMask2()), read once per
// process; null when the program lacks the resource or it is not a 1-bit bitmap of the
// mask's size. The caller then paints without dithering.
const DitherMask* ResourceDitherMask(const DitherMask& portable);

}  // namespace kavrix
