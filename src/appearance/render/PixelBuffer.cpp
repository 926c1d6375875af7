#include "appearance/render/PixelBuffer.h"

#include <algorithm>
#include <cmath>

namespace kavrix {

PixelBuffer::PixelBuffer(int width, int height, TColor fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * height_, fill) {
  if (width_ == 0 || height_ == 0) width_ = height_ = 0;
}

void PixelBuffer::SetPixel(int x, int y, TColor color) noexcept {
  if (Contains(x, y)) pixels_[Index(x, y)] = color;
}

Rect PixelBuffer::Clip(const Rect& rect) const noexcept {
  return {std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, width_),
          std::min(rect.bottom, height_)};
}

void PixelBuffer::FillSpan(int y, int left, int right, TColor color) noexcept {
  left = std::max(left, 0);
  right = std::min(right, width_);
  if (y < 0 || y >= height_ || left >= right) return;
  std::fill(pixels_.begin() + Index(left, y), pixels_.begin() + Index(right, y), color);
}

void PixelBuffer::FillRect(const Rect& rect, TColor color) noexcept {
  const Rect clipped = Clip(rect);
  for (int y = clipped.top; y < clipped.bottom; ++y) FillSpan(y, clipped.left, clipped.right, color);
}

void PixelBuffer::FillEllipse(const Rect& bounds, TColor color) noexcept {
  if (bounds.IsEmpty()) return;
  // Doubled coordinates keep the test exact in integers: with X = 2x + 1 - (l + r) and
  // Y = 2y + 1 - (t + b), a pixel is covered when X²·B² + Y²·A² <= A²·B², A and B being
  // the box's width and height.
  const int64_t a = bounds.Width();
  const int64_t b = bounds.Height();
  const int64_t sumX = int64_t{bounds.left} + bounds.right;
  const int64_t sumY = int64_t{bounds.top} + bounds.bottom;
  const int top = std::max(bounds.top, 0);
  const int bottom = std::min(bounds.bottom, height_);
  for (int y = top; y < bottom; ++y) {
    const int64_t dy = 2 * int64_t{y} + 1 - sumY;
    const int64_t room = a * a * (b * b - dy * dy);  // X²·B² must not exceed this
    if (room < 0) continue;
    auto fits = [&](int64_t dx) { return dx * dx * b * b <= room; };
    auto reach = static_cast<int64_t>(std::sqrt(static_cast<double>(room)) / static_cast<double>(b));
    while (reach > 0 && !fits(reach)) --reach;
    while (fits(reach + 1)) ++reach;
    // Pixels whose |2x + 1 - sumX| <= reach; C++20 shifts of negative values floor.
    const int64_t first = (sumX - reach) >> 1;
    const int64_t last = (sumX - 1 + reach) >> 1;
    FillSpan(y, static_cast<int>(std::max<int64_t>(first, bounds.left)),
             static_cast<int>(std::min<int64_t>(last + 1, bounds.right)), color);
  }
}

void PixelBuffer::Blit(const PixelBuffer& from, const Rect& source, int x, int y) noexcept {
  const Rect src = from.Clip(source);
  // Shift the destination by whatever the source clip cut off.
  const int dx = x + (src.left - source.left);
  const int dy = y + (src.top - source.top);
  for (int row = 0; row < src.Height(); ++row) {
    const int ty = dy + row;
    if (ty < 0 || ty >= height_) continue;
    const int first = std::max(0, -dx);
    const int last = std::min(src.Width(), width_ - dx);
    if (first >= last) continue;
    const auto begin = from.pixels_.begin() + from.Index(src.left + first, src.top + row);
    std::copy(begin, begin + (last - first), pixels_.begin() + Index(dx + first, ty));
  }
}

}  // namespace kavrix
