#include "appearance/render/CaptionFill.h"

#include <cassert>
#include <cstdlib>

namespace kavrix {
namespace {

using ChannelOf = int (*)(TColor) noexcept;
constexpr std::array<ChannelOf, 3> kChannels = {RedOf, GreenOf, BlueOf};

// The platform's MulDiv: a 64-bit product divided with the quotient rounded half away
// from zero. The divisor is never 0 here.
int MulDiv(int number, int numerator, int denominator) {
  const int64_t product = int64_t{number} * numerator;
  const int64_t half = std::llabs(denominator) / 2;
  const bool negative = (product < 0) != (denominator < 0);
  const int64_t magnitude = (std::llabs(product) + half) / std::llabs(denominator);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

TColor DitherStepColor(const CaptionGradientColors& colors, int step, int steps) {
  std::array<int, 3> c{};
  for (size_t k = 0; k < 3; ++k) {
    const int s = kChannels[k](colors.start);
    c[k] = s + MulDiv(step, kChannels[k](colors.stop) - s, steps - 1);
  }
  return MakeColor(c[0], c[1], c[2]);
}

}  // namespace

std::vector<TColor> BuildColorTable(TColor start, TColor stop, int gradientColors) {
  std::vector<TColor> table;
  if (gradientColors < 1) return table;
  table.reserve(static_cast<size_t>(gradientColors));
  std::array<double, 3> step{};
  for (size_t k = 0; k < 3 && gradientColors > 1; ++k) {
    step[k] = static_cast<double>(kChannels[k](stop) - kChannels[k](start)) / (gradientColors - 1);
  }
  for (int i = 0; i < gradientColors; ++i) {
    std::array<int, 3> c{};
    for (size_t k = 0; k < 3; ++k) c[k] = kChannels[k](start) + RoundHalfEven(i * step[k]);
    table.push_back(MakeColor(c[0], c[1], c[2]));
  }
  return table;
}

std::array<std::vector<TColor>, 2> BuildColorTables(const CaptionGradientColors& inactive,
                                                    const CaptionGradientColors& active, int gradientColors) {
  return {BuildColorTable(inactive.start, inactive.stop, gradientColors),
          BuildColorTable(active.start, active.stop, gradientColors)};
}

CaptionFillChoice ChooseCaptionFill(int width, const CaptionFill& fill) {
  if (width < 1) return {};
  if (fill.dither && !fill.devicePalette) {
    int distance = 0;
    for (ChannelOf channel : kChannels) {
      distance += std::abs(channel(fill.colors.stop) - channel(fill.colors.start));
    }
    // distance / width >= 5 / 7, kept in integers.
    const DitherMask& mask = 7 * distance >= 5 * width ? DitherMask2() : DitherMask1();
    if (width >= 2 * mask.width) return {CaptionFillMethod::kDithered, &mask};
  }
  if (!fill.devicePalette && fill.bandColors.size() <= static_cast<size_t>(width)) {
    return {CaptionFillMethod::kStretchedRow, nullptr};
  }
  return {CaptionFillMethod::kBands, nullptr};
}

void FillCaptionGradient(PixelBuffer& target, const Rect& rect, const CaptionFill& fill) {
  const CaptionFillChoice choice = ChooseCaptionFill(rect.Width(), fill);
  switch (choice.method) {
    case CaptionFillMethod::kNothing:
      break;
    case CaptionFillMethod::kDithered:
      FillCaptionDithered(target, rect, fill.colors, *choice.mask);
      break;
    case CaptionFillMethod::kStretchedRow:
      FillCaptionStretchedRow(target, rect, fill.bandColors);
      break;
    case CaptionFillMethod::kBands:
      FillCaptionBands(target, rect, fill.bandColors);
      break;
  }
}

void FillCaptionDithered(PixelBuffer& target, const Rect& rect, const CaptionGradientColors& colors,
                         const DitherMask& mask) {
  const int w = rect.Width();
  const int h = rect.Height();
  assert(w >= 2 * mask.width);
  if (h < 1) return;
  // A work image of the rectangle's size clips whatever the last step overhangs.
  PixelBuffer work(w, h);
  const int steps = w / mask.width + 1;
  const int extra = w % mask.width;
  TColor previous = colors.start;
  int x = 0;
  for (int i = 1; i <= steps; ++i) {
    const TColor next = DitherStepColor(colors, i, steps);
    for (int y = 0; y < h; ++y) {
      const int my = y % mask.height;
      for (int mx = 0; mx < mask.width && x + mx < w; ++mx) {
        work.SetPixel(x + mx, y, mask.IsWhite(mx, my) ? next : previous);
      }
    }
    x += mask.width;
    if (extra > 0) {
      // Spreads the remainder columns over the steps as solid strips of the new colour.
      const int e = extra / (steps - 2) + (extra % (steps - 2) > i ? 1 : 0);
      work.FillRect({x, 0, x + e, h}, next);
      x += e;
    }
    previous = next;
  }
  target.Blit(work, {0, 0, w, h}, rect.left, rect.top);
}

void FillCaptionStretchedRow(PixelBuffer& target, const Rect& rect, std::span<const TColor> bandColors) {
  const int w = rect.Width();
  if (w < 1 || bandColors.empty()) return;
  const auto entries = static_cast<int64_t>(bandColors.size());
  for (int x = 0; x < w; ++x) {
    const auto entry = static_cast<size_t>(x * entries / w);
    target.FillRect({rect.left + x, rect.top, rect.left + x + 1, rect.bottom}, bandColors[entry]);
  }
}

void FillCaptionBands(PixelBuffer& target, const Rect& rect, std::span<const TColor> bandColors) {
  if (bandColors.empty()) return;
  const double band = static_cast<double>(rect.Width()) / static_cast<double>(bandColors.size());
  for (size_t i = 0; i < bandColors.size(); ++i) {
    const int left = rect.left + RoundHalfEven(static_cast<double>(i) * band);
    const int right = rect.left + RoundHalfEven(static_cast<double>(i + 1) * band);
    target.FillRect({left, rect.top, right, rect.bottom}, bandColors[i]);
  }
}

}  // namespace kavrix
