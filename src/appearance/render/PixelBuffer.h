#pragma once
// A plain top-down image of 0x00BBGGRR pixels (the layout of TColor, so a pixel and a
// colour compare directly), and the few GDI-like drawing primitives the renderers need.
// Every primitive clips to the buffer, so callers may pass rectangles that overhang it.
// A presenter on Windows swaps red and blue when it fills a 32-bit DIB (B, G, R, X).

#include <cstdint>
#include <vector>

#include "appearance/render/Color.h"

namespace kavrix {

// Left and top inclusive, right and bottom exclusive, as GDI rectangles are.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const noexcept { return right - left; }
  int Height() const noexcept { return bottom - top; }
  bool IsEmpty() const noexcept { return right <= left || bottom <= top; }
  bool operator==(const Rect&) const = default;
};

class PixelBuffer {
 public:
  PixelBuffer() = default;
  // Negative sizes give an empty buffer.
  PixelBuffer(int width, int height, TColor fill = clBlack);

  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  bool IsEmpty() const noexcept { return width_ == 0 || height_ == 0; }
  bool Contains(int x, int y) const noexcept { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // The pixel at (x, y), which must lie inside.
  TColor At(int x, int y) const noexcept { return pixels_[Index(x, y)]; }
  // Sets the pixel when it lies inside; outside points are clipped away.
  void SetPixel(int x, int y, TColor color) noexcept;

  void FillRect(const Rect& rect, TColor color) noexcept;

  // Fills the ellipse inscribed in `bounds` as GDI's Ellipse does with a null pen.
  // Rule: a pixel is covered when its centre lies inside or on the ellipse whose
  // axes span the half-open box, i.e. centre ((l + r) / 2, (t + b) / 2) and radii
  // ((r - l) / 2, (b - t) / 2). GDI's own scan conversion can differ from this by one
  // pixel at the ends of a row, mostly on the topmost and bottommost rows.
  void FillEllipse(const Rect& bounds, TColor color) noexcept;

  // Copies `source` (clipped to `from`) so that its pixel (from.left, from.top) lands
  // at (x, y), one to one.
  void Blit(const PixelBuffer& from, const Rect& source, int x, int y) noexcept;

  const std::vector<TColor>& Pixels() const noexcept { return pixels_; }

 private:
  size_t Index(int x, int y) const noexcept { return static_cast<size_t>(y) * width_ + x; }
  Rect Clip(const Rect& rect) const noexcept;
  void FillSpan(int y, int left, int right, TColor color) noexcept;

  int width_ = 0;
  int height_ = 0;
  std::vector<TColor> pixels_;
};

}  // namespace kavrix
