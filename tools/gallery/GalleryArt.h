#pragma once
// The gallery's pictures, drawn in code so the gallery needs no image files: an icon
// for the buttons, the banner logo, a tile and an animation strip.

#include "appearance/render/PixelBuffer.h"

namespace kavrix::gallery {

// 32 × 32 on a magenta key (its top-left pixel): a filled disc with a black rim.
PixelBuffer ButtonIcon(TColor fill);
// 338 × 46 on pure blue, the banner logo's size and key.
PixelBuffer BannerLogo();
// A small picture for the bitmap backgrounds.
PixelBuffer Tile();
// Seven 32 × 32 frames side by side: a dot going round a ring.
PixelBuffer AnimationStrip();

}  // namespace kavrix::gallery
