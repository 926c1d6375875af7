#include "appearance/render/BandGradient.h"

#include <algorithm>

namespace kavrix {
namespace {

std::array<double, 3> Channels(TColor c) {
  return {static_cast<double>(RedOf(c)), static_cast<double>(GreenOf(c)), static_cast<double>(BlueOf(c))};
}

// The strip of one band's height (or width) is computed once and block-copied across
// the target, as the painter on screen does.
constexpr int kStripSize = 8;

void PaintLines(PixelBuffer& target, const GradientSettings& gradient) {
  const bool horizontal = gradient.lineDirection == TDirection::diHorizonal;
  const int extent = horizontal ? target.Height() : target.Width();
  BandColorWalker walker(gradient, extent / std::clamp(gradient.colorCount, 1, 4));
  PixelBuffer strip(horizontal ? kStripSize : target.Width(), horizontal ? target.Height() : kStripSize);
  for (int p = 0; p <= extent; walker.Advance(), p = walker.Position()) {
    const int end = p + walker.LineSize();
    strip.FillRect(horizontal ? Rect{0, p, kStripSize, end} : Rect{p, 0, end, kStripSize}, walker.Color());
  }
  const Rect whole{0, 0, strip.Width(), strip.Height()};
  for (int y = 0; y < target.Height(); y += strip.Height()) {
    for (int x = 0; x < target.Width(); x += strip.Width()) target.Blit(strip, whole, x, y);
  }
}

// gsEllipse, gsRect and gsCustomRect: shapes inset by one line size per step, until the
// smaller half-extent is reached.
void PaintShapes(PixelBuffer& target, const GradientSettings& gradient, const DrawRectPainter& drawRect) {
  const int w = target.Width();
  const int h = target.Height();
  BandColorWalker walker(gradient, std::max(w, h) / std::clamp(gradient.colorCount, 1, 4) / 2);
  for (int inset = 0; inset < w / 2 && inset < h / 2; walker.Advance(), inset = walker.Position()) {
    const Rect shape{inset, inset, w - inset, h - inset};
    if (gradient.gradientStyle == TGradientStyle::gsEllipse) {
      target.FillEllipse(shape, walker.Color());
    } else if (gradient.gradientStyle == TGradientStyle::gsCustomRect && drawRect) {
      drawRect(target, shape, walker.Color());
    } else {
      target.FillRect(shape, walker.Color());
    }
  }
}

}  // namespace

BandColorWalker::BandColorWalker(const GradientSettings& gradient, int bandLength)
    : stops_(gradient.colors),
      count_(std::clamp(gradient.colorCount, 1, 4)),
      lineSize_(std::max(gradient.lineSize, 1)),
      bandLength_(std::max(bandLength, 1)),
      threshold_(bandLength_),
      to_(count_ >= 2 ? stops_[1] : stops_[0]),
      running_(Channels(stops_[0])) {
  SetBand(stops_[0], to_);
}

void BandColorWalker::SetBand(TColor from, TColor to) noexcept {
  const auto a = Channels(from);
  const auto b = Channels(to);
  for (size_t c = 0; c < 3; ++c) increment_[c] = (b[c] - a[c]) / bandLength_ * lineSize_;
}

TColor BandColorWalker::Color() const noexcept {
  // Clamping first keeps the conversion defined for any drift; rounding commutes with it.
  auto channel = [this](size_t c) { return RoundHalfEven(std::clamp(running_[c], 0.0, 255.0)); };
  return MakeColor(channel(0), channel(1), channel(2));
}

void BandColorWalker::Advance() noexcept {
  // Saturates instead of overflowing for line sizes near the integer range.
  position_ = position_ > INT32_MAX - lineSize_ ? INT32_MAX : position_ + lineSize_;
  if (position_ >= threshold_) {
    threshold_ = threshold_ > INT32_MAX - bandLength_ ? INT32_MAX : threshold_ + bandLength_;
    index_ = std::min(index_ + 1, count_);
    const TColor from = to_;
    to_ = stops_[index_];
    SetBand(from, to_);
  }
  for (size_t c = 0; c < 3; ++c) running_[c] += increment_[c];
}

void PaintGradient(PixelBuffer& target, const GradientSettings& gradient, const DrawRectPainter& drawRect) {
  if (target.IsEmpty()) return;
  if (gradient.gradientStyle == TGradientStyle::gsLine) {
    PaintLines(target, gradient);
  } else {
    PaintShapes(target, gradient, drawRect);
  }
}

}  // namespace kavrix
