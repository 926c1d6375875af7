#include "appearance/render/PixelScale.h"

#include <algorithm>
#include <cstdint>

namespace kavrix {
namespace {

// How much of each source cell along one axis a target cell covers, in units of
// 1 / target: target cell i spans [i * source, (i + 1) * source) in those units, and
// source cell j spans [j * target, (j + 1) * target).
struct Span {
  int first = 0;
  int last = 0;  // inclusive
};

Span Covered(int i, int source, int target) noexcept {
  const int64_t begin = static_cast<int64_t>(i) * source;
  const int64_t end = begin + source;
  return {static_cast<int>(begin / target), static_cast<int>((end - 1) / target)};
}

int64_t Overlap(int i, int j, int source, int target) noexcept {
  const int64_t begin = std::max<int64_t>(static_cast<int64_t>(i) * source, static_cast<int64_t>(j) * target);
  const int64_t end = std::min<int64_t>(static_cast<int64_t>(i + 1) * source, static_cast<int64_t>(j + 1) * target);
  return std::max<int64_t>(0, end - begin);
}

TColor Channel(TColor color, int shift) noexcept { return (color >> shift) & 0xFF; }

}  // namespace

PixelBuffer ResamplePixels(const PixelBuffer& source, int width, int height, std::optional<TColor> key) {
  if (source.Width() == width && source.Height() == height) return source;
  PixelBuffer target(width, height);
  if (source.IsEmpty() || target.IsEmpty()) return target;
  const int sw = source.Width();
  const int sh = source.Height();
  for (int y = 0; y < height; ++y) {
    const Span rows = Covered(y, sh, height);
    for (int x = 0; x < width; ++x) {
      const Span columns = Covered(x, sw, width);
      int64_t visible = 0;
      int64_t hidden = 0;
      int64_t sum[3] = {};
      for (int sy = rows.first; sy <= rows.last; ++sy) {
        const int64_t wy = Overlap(y, sy, sh, height);
        for (int sx = columns.first; sx <= columns.last; ++sx) {
          const int64_t weight = wy * Overlap(x, sx, sw, width);
          const TColor color = source.At(sx, sy);
          if (key && color == *key) {
            hidden += weight;
            continue;
          }
          visible += weight;
          for (int c = 0; c < 3; ++c) sum[c] += weight * Channel(color, 8 * c);
        }
      }
      if (visible == 0 || hidden > visible) {
        target.SetPixel(x, y, *key);
        continue;
      }
      TColor color = 0;
      for (int c = 0; c < 3; ++c) color |= static_cast<TColor>((sum[c] + visible / 2) / visible) << (8 * c);
      target.SetPixel(x, y, color);
    }
  }
  return target;
}

PixelBuffer ResampleFrames(const PixelBuffer& strip, int frames, int frameWidth, int frameHeight,
                           std::optional<TColor> key) {
  frames = std::max(frames, 1);
  const int sourceWidth = strip.Width() / frames;
  if (sourceWidth == frameWidth && strip.Height() == frameHeight) return strip;
  PixelBuffer target(frames * frameWidth, frameHeight);
  for (int frame = 0; frame < frames; ++frame) {
    PixelBuffer one(sourceWidth, strip.Height());
    one.Blit(strip, {frame * sourceWidth, 0, (frame + 1) * sourceWidth, strip.Height()}, 0, 0);
    const PixelBuffer scaled = ResamplePixels(one, frameWidth, frameHeight, key);
    target.Blit(scaled, {0, 0, frameWidth, frameHeight}, frame * frameWidth, 0);
  }
  return target;
}

}  // namespace kavrix
