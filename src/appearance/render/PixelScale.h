#pragma once
// Pictures drawn for one size shown at another (a display of another density): each
// target pixel takes the colours of the source area it covers, weighted by how much of
// each source pixel it covers, so a picture enlarged by 1.25 or 1.5 keeps even strokes
// instead of doubling every second row and column.

#include <optional>

#include "appearance/render/PixelBuffer.h"

namespace kavrix {

// `source` resampled to `width` × `height`; a copy when the size is the same. With a
// `key` colour (the picture's transparent colour), key pixels take no part in the blend
// of visible ones, and a target pixel that covers more key than visible area is the key
// colour exactly, so the transparent area stays transparent and never tints the edges.
PixelBuffer ResamplePixels(const PixelBuffer& source, int width, int height, std::optional<TColor> key = {});

// A strip of `frames` frames side by side (each a `frames`th of its width), resampled
// frame by frame to frames of `frameWidth` × `frameHeight`: no frame takes colour from
// its neighbour.
PixelBuffer ResampleFrames(const PixelBuffer& strip, int frames, int frameWidth, int frameHeight,
                           std::optional<TColor> key = {});

}  // namespace kavrix
