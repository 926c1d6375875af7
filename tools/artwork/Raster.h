#pragma once
// Vector shapes rasterised into a PixelBuffer. Shapes are tested at sample points, so a
// picture is drawn either hard-edged (one sample per pixel, for images that key a
// colour or keep to a fixed palette) or smoothed by supersampling (true-colour images).
// Everything is plain arithmetic on doubles evaluated in a fixed order, so one build of
// the program always produces the same pixels.

#include <functional>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "appearance/render/PixelBuffer.h"

namespace kavrix::artwork {

// Pixel coordinates: pixel (x, y) covers [x, x + 1) × [y, y + 1).
struct Point {
  double x = 0;
  double y = 0;
};

using Polyline = std::vector<Point>;

// Maps design units to pixels: a picture is designed once on a unit grid and drawn at
// any position and size.
struct Placement {
  double left = 0;
  double top = 0;
  double scale = 1;

  Point operator()(double x, double y) const noexcept { return {left + x * scale, top + y * scale}; }
  Point operator()(Point p) const noexcept { return (*this)(p.x, p.y); }
  Polyline operator()(const Polyline& line) const;
};

class Shape {
 public:
  // An area bounded by the closed polygon through `corners` (even-odd rule).
  static Shape Polygon(Polyline corners);
  // Lines of `width` with round ends and joins; a one-point line is a dot.
  static Shape Strokes(std::vector<Polyline> lines, double width);
  // The closed outline of `corners` as a line of `width`.
  static Shape Outline(const Polyline& corners, double width);
  static Shape Ellipse(Point centre, double radiusX, double radiusY);

  Shape Plus(const Shape& other) const;
  // The shape enlarged `factor` times about the origin.
  Shape Scaled(double factor) const;
  Shape Minus(const Shape& other) const;

  bool Contains(Point p) const { return contains_(p); }
  // A box that holds every contained point: left, top, right, bottom.
  double Left() const noexcept { return left_; }
  double Top() const noexcept { return top_; }
  double Right() const noexcept { return right_; }
  double Bottom() const noexcept { return bottom_; }

 private:
  Shape(std::function<bool(Point)> contains, double left, double top, double right, double bottom);

  std::function<bool(Point)> contains_;
  double left_;
  double top_;
  double right_;
  double bottom_;
};

// Paints `shape` in `color`. With `samples` > 1 each pixel is sampled on a samples ×
// samples grid and the colour is mixed by the covered share. A pixel holding `key` (the
// transparent colour of a keyed image) is never mixed: it takes the colour only when at
// least half of it is covered, so the key never bleeds into an edge.
void Paint(PixelBuffer& target, const Shape& shape, TColor color, int samples = 1,
           std::optional<TColor> key = std::nullopt);

// Paints `shape` hard-edged in `fill`, except its edge pixels (those with a 4-neighbour
// outside the shape) which take `border`: a crisp one-pixel outline at any scale.
void PaintBordered(PixelBuffer& target, const Shape& shape, TColor fill, TColor border);

// Paints a picture drawn by hand at its final size, for sizes too small for shapes to
// come out clean: each character of `rows` picks a colour from `legend`, '.' leaves the
// pixel as it is.
void PaintPixelArt(PixelBuffer& target, int left, int top, const std::vector<std::string_view>& rows,
                   const std::map<char, TColor>& legend);

// `share` of `to` over `from` (0..total parts), rounded per channel.
TColor Mix(TColor from, TColor to, int share, int total) noexcept;

// Points on the ellipse around `centre` from angle `from` to `to` in degrees, y down
// (90 is the bottom), `steps` segments; `to` may be below `from` to run the other way.
Polyline Arc(Point centre, double radiusX, double radiusY, double from, double to, int steps = 24);

// `line` rotated by `degrees` (clockwise on screen) around `centre`.
Polyline Rotated(const Polyline& line, Point centre, double degrees);

}  // namespace kavrix::artwork
