#pragma once
// The banded gradients of the background component: a running colour that advances by
// one step per band of LineSize pixels and passes through up to five colour stops,
// painted as lines, shrinking ellipses, shrinking rectangles, or by a caller's painter.

#include <array>
#include <cstdint>
#include <functional>

#include "appearance/render/PixelBuffer.h"

namespace kavrix {

enum class TGradientStyle : uint8_t { gsLine, gsEllipse, gsRect, gsCustomRect };
// The misspelt value name is the one saved forms use.
enum class TDirection : uint8_t { diHorizonal, diVertical };

// The gradient's values as plain data; the colours are used byte for byte (red lowest),
// the high byte ignored.
struct GradientSettings {
  TGradientStyle gradientStyle = TGradientStyle::gsLine;
  int lineSize = 3;  // below 1 counts as 1
  std::array<TColor, 5> colors{0x808080, 0xFFFFFF, 0xC0C0C0, 0xFFFFFF, 0x000000};
  int colorCount = 3;  // 1..4; values outside are clamped into it
  TDirection lineDirection = TDirection::diHorizonal;

  bool operator==(const GradientSettings&) const = default;
};

// Paints one step of gsCustomRect: the rectangle and the running colour, which a canvas
// based painter would find in its brush.
using DrawRectPainter = std::function<void(PixelBuffer& target, const Rect& rect, TColor brush)>;

// Paints the gradient over the whole of `target` (every caller paints from the
// origin). An empty target is left alone. gsCustomRect without a painter paints as gsRect.
//
// A band length of 0 (fewer pixels along the gradient than colour transitions) would
// divide by zero; it is taken as 1, so every step is a band of its own and the colour
// walks through the stops one per step.
void PaintGradient(PixelBuffer& target, const GradientSettings& gradient,
                   const DrawRectPainter& drawRect = {});

// The running colour of the band bookkeeping, exposed for the line example tests and
// for painters that walk the bands themselves.
class BandColorWalker {
 public:
  BandColorWalker(const GradientSettings& gradient, int bandLength);

  TColor Color() const noexcept;
  // Moves the position on by one line size and the colour with it.
  void Advance() noexcept;
  int Position() const noexcept { return position_; }
  int LineSize() const noexcept { return lineSize_; }

 private:
  void SetBand(TColor from, TColor to) noexcept;

  std::array<TColor, 5> stops_;
  int count_;
  int lineSize_;
  int bandLength_;
  int position_ = 0;
  int threshold_;
  int index_ = 1;
  TColor to_;
  std::array<double, 3> running_;
  std::array<double, 3> increment_{};
};

}  // namespace kavrix
