#include "appearance/render/PixelScale.h"

#include <gtest/gtest.h>

namespace kavrix {
namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kKey = 0xFF00FF;

TEST(PixelScaleTest, TheSameSizeIsAnExactCopyAndWholeFactorsRepeatPixels) {
  PixelBuffer picture(2, 1);
  picture.SetPixel(0, 0, kRed);
  picture.SetPixel(1, 0, kBlue);
  EXPECT_EQ(ResamplePixels(picture, 2, 1).Pixels(), picture.Pixels());
  const PixelBuffer doubled = ResamplePixels(picture, 4, 2);
  EXPECT_EQ(doubled.Pixels(), (std::vector<TColor>{kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kBlue}));
  EXPECT_EQ(ResamplePixels(doubled, 2, 1).Pixels(), picture.Pixels()) << "each target pixel averages its 2 x 2";
}

TEST(PixelScaleTest, APixelCoveringTwoSourcePixelsTakesTheirWeightedMix) {
  // 2 → 3 pixels: the middle one covers half of each source pixel.
  PixelBuffer picture(2, 1);
  picture.SetPixel(0, 0, 0x000000);
  picture.SetPixel(1, 0, 0xC8C8C8);
  const PixelBuffer wider = ResamplePixels(picture, 3, 1);
  EXPECT_EQ(wider.Pixels(), (std::vector<TColor>{0x000000, 0x646464, 0xC8C8C8}));
}

TEST(PixelScaleTest, TheKeyColourStaysExactAndNeverTintsTheVisiblePixels) {
  PixelBuffer picture(2, 1);
  picture.SetPixel(0, 0, kKey);
  picture.SetPixel(1, 0, kRed);
  const PixelBuffer wider = ResamplePixels(picture, 3, 1, kKey);
  // The middle pixel covers as much key as red: it shows red, unmixed.
  EXPECT_EQ(wider.Pixels(), (std::vector<TColor>{kKey, kRed, kRed}));
  const PixelBuffer narrower = ResamplePixels(ResamplePixels(picture, 6, 1, kKey), 5, 1, kKey);
  for (TColor pixel : narrower.Pixels()) EXPECT_TRUE(pixel == kKey || pixel == kRed) << std::hex << pixel;
}

TEST(PixelScaleTest, FramesOfAStripAreResampledApartFromTheirNeighbours) {
  // Two 2 x 2 frames, one red and one blue, made 3 x 3 each.
  PixelBuffer strip(4, 2, kRed);
  strip.FillRect({2, 0, 4, 2}, kBlue);
  const PixelBuffer frames = ResampleFrames(strip, 2, 3, 3);
  ASSERT_EQ(frames.Width(), 6);
  ASSERT_EQ(frames.Height(), 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(frames.At(x, y), x < 3 ? kRed : kBlue) << x << "," << y;
  }
  EXPECT_EQ(ResampleFrames(strip, 2, 2, 2).Pixels(), strip.Pixels());
}

}  // namespace
}  // namespace kavrix
