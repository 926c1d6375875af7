#include "artwork/Raster.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace kavrix::artwork {
namespace {

double SquaredDistanceToSegment(Point p, Point a, Point b) noexcept {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double length = dx * dx + dy * dy;
  double t = 0;
  if (length > 0) t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length, 0.0, 1.0);
  const double ex = a.x + t * dx - p.x;
  const double ey = a.y + t * dy - p.y;
  return ex * ex + ey * ey;
}

struct Box {
  double left = std::numeric_limits<double>::max();
  double top = std::numeric_limits<double>::max();
  double right = std::numeric_limits<double>::lowest();
  double bottom = std::numeric_limits<double>::lowest();

  void Add(Point p, double margin) noexcept {
    left = std::min(left, p.x - margin);
    top = std::min(top, p.y - margin);
    right = std::max(right, p.x + margin);
    bottom = std::max(bottom, p.y + margin);
  }
};

// The pixels a shape can touch, cut to the target.
Rect PixelsUnder(const Shape& shape, const PixelBuffer& target) {
  return {std::max(0, static_cast<int>(std::floor(shape.Left()))),
          std::max(0, static_cast<int>(std::floor(shape.Top()))),
          std::min(target.Width(), static_cast<int>(std::ceil(shape.Right())) + 1),
          std::min(target.Height(), static_cast<int>(std::ceil(shape.Bottom())) + 1)};
}

}  // namespace

Polyline Placement::operator()(const Polyline& line) const {
  Polyline placed;
  placed.reserve(line.size());
  for (Point p : line) placed.push_back((*this)(p));
  return placed;
}

Shape::Shape(std::function<bool(Point)> contains, double left, double top, double right,
             double bottom)
    : contains_(std::move(contains)), left_(left), top_(top), right_(right), bottom_(bottom) {}

Shape Shape::Polygon(Polyline corners) {
  Box box;
  for (Point p : corners) box.Add(p, 0);
  auto inside = [corners = std::move(corners)](Point p) {
    bool in = false;
    for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
      const Point a = corners[i];
      const Point b = corners[j];
      if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
  };
  return Shape(std::move(inside), box.left, box.top, box.right, box.bottom);
}

Shape Shape::Strokes(std::vector<Polyline> lines, double width) {
  const double radius = width / 2;
  Box box;
  for (const Polyline& line : lines)
    for (Point p : line) box.Add(p, radius);
  auto inside = [lines = std::move(lines), limit = radius * radius](Point p) {
    for (const Polyline& line : lines) {
      if (line.size() == 1 && SquaredDistanceToSegment(p, line[0], line[0]) <= limit) return true;
      for (size_t i = 1; i < line.size(); ++i)
        if (SquaredDistanceToSegment(p, line[i - 1], line[i]) <= limit) return true;
    }
    return false;
  };
  return Shape(std::move(inside), box.left, box.top, box.right, box.bottom);
}

Shape Shape::Outline(const Polyline& corners, double width) {
  Polyline closed = corners;
  closed.push_back(corners.front());
  return Strokes({std::move(closed)}, width);
}

Shape Shape::Ellipse(Point centre, double radiusX, double radiusY) {
  auto inside = [centre, radiusX, radiusY](Point p) {
    const double u = (p.x - centre.x) / radiusX;
    const double v = (p.y - centre.y) / radiusY;
    return u * u + v * v <= 1.0;
  };
  return Shape(std::move(inside), centre.x - radiusX, centre.y - radiusY, centre.x + radiusX,
               centre.y + radiusY);
}

Shape Shape::Plus(const Shape& other) const {
  return Shape([a = contains_, b = other.contains_](Point p) { return a(p) || b(p); },
               std::min(left_, other.left_), std::min(top_, other.top_),
               std::max(right_, other.right_), std::max(bottom_, other.bottom_));
}

Shape Shape::Scaled(double factor) const {
  if (factor == 1) return *this;
  return Shape([a = contains_, factor](Point p) { return a({p.x / factor, p.y / factor}); }, left_ * factor,
               top_ * factor, right_ * factor, bottom_ * factor);
}

Shape Shape::Minus(const Shape& other) const {
  return Shape([a = contains_, b = other.contains_](Point p) { return a(p) && !b(p); }, left_,
               top_, right_, bottom_);
}

TColor Mix(TColor from, TColor to, int share, int total) noexcept {
  auto channel = [&](int a, int b) { return (a * (total - share) + b * share + total / 2) / total; };
  return MakeColor(channel(RedOf(from), RedOf(to)), channel(GreenOf(from), GreenOf(to)),
                   channel(BlueOf(from), BlueOf(to)));
}

void Paint(PixelBuffer& target, const Shape& shape, TColor color, int samples,
           std::optional<TColor> key) {
  const Rect area = PixelsUnder(shape, target);
  const int total = samples * samples;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      int covered = 0;
      for (int sy = 0; sy < samples; ++sy)
        for (int sx = 0; sx < samples; ++sx)
          if (shape.Contains({x + (sx + 0.5) / samples, y + (sy + 0.5) / samples})) ++covered;
      if (covered == 0) continue;
      const TColor current = target.At(x, y);
      if (key && current == *key) {
        if (2 * covered >= total) target.SetPixel(x, y, color);
      } else {
        target.SetPixel(x, y, Mix(current, color, covered, total));
      }
    }
  }
}

void PaintBordered(PixelBuffer& target, const Shape& shape, TColor fill, TColor border) {
  auto covers = [&](int x, int y) { return shape.Contains({x + 0.5, y + 0.5}); };
  const Rect area = PixelsUnder(shape, target);
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (!covers(x, y)) continue;
      const bool edge = !covers(x - 1, y) || !covers(x + 1, y) || !covers(x, y - 1) || !covers(x, y + 1);
      target.SetPixel(x, y, edge ? border : fill);
    }
  }
}

void PaintPixelArt(PixelBuffer& target, int left, int top, const std::vector<std::string_view>& rows,
                   const std::map<char, TColor>& legend) {
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x)
      if (rows[y][x] != '.')
        target.SetPixel(left + static_cast<int>(x), top + static_cast<int>(y), legend.at(rows[y][x]));
}

Polyline Arc(Point centre, double radiusX, double radiusY, double from, double to, int steps) {
  Polyline points;
  for (int i = 0; i <= steps; ++i) {
    const double angle = (from + (to - from) * i / steps) * std::numbers::pi / 180.0;
    points.push_back({centre.x + radiusX * std::cos(angle), centre.y + radiusY * std::sin(angle)});
  }
  return points;
}

Polyline Rotated(const Polyline& line, Point centre, double degrees) {
  const double angle = degrees * std::numbers::pi / 180.0;
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  Polyline turned;
  for (Point p : line) {
    const double dx = p.x - centre.x;
    const double dy = p.y - centre.y;
    turned.push_back({centre.x + dx * c - dy * s, centre.y + dx * s + dy * c});
  }
  return turned;
}

}  // namespace kavrix::artwork
