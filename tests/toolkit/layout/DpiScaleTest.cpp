#include "toolkit/layout/DpiScale.h"

#include <gtest/gtest.h>

#include <vector>

namespace kavrix {
namespace {

TEST(DpiScaleTest, ValuesRoundToTheNearestPixelAsMulDivDoes) {
  EXPECT_EQ(ScaleToDpi(75, 96), 75) << "the design density changes nothing";
  EXPECT_EQ(ScaleToDpi(75, 144), 113) << "112.5 rounds away from zero";
  EXPECT_EQ(ScaleToDpi(-11, 144), -17) << "a font height in pixels, negative";
  EXPECT_EQ(ScaleToDpi(25, 120), 31);
  EXPECT_EQ(ScaleToDpi(473, 192), 946);
  EXPECT_EQ(ScaleToDpi(113, 96, 144), 75) << "back from another density";
  EXPECT_EQ(ScaleToDpi(40, 0), 40) << "no density known";
}

TEST(DpiScaleTest, NeighboursThatMeetStillMeetAndGapsNeverBecomeOverlaps) {
  // Back and Next of the wizard's button row, 3 pixels apart, at every density tried.
  for (int dpi = 96; dpi <= 288; ++dpi) {
    const ScaledBounds back = ScaleBoundsToDpi(312, 296, 75, 25, dpi);
    const ScaledBounds next = ScaleBoundsToDpi(390, 296, 75, 25, dpi);
    const ScaledBounds touching = ScaleBoundsToDpi(387, 296, 3, 25, dpi);
    EXPECT_EQ(back.left + back.width, touching.left) << dpi;
    EXPECT_EQ(touching.left + touching.width, next.left) << dpi;
    EXPECT_EQ(back.top, next.top) << dpi;
    EXPECT_EQ(back.height, next.height) << dpi;
    // Each size stays within a pixel of the exact scaled size.
    EXPECT_NEAR(back.width, 75.0 * dpi / 96, 1.0) << dpi;
  }
  EXPECT_EQ(ScaleBoundsToDpi(8, 72, 457, 205, 96), (ScaledBounds{8, 72, 457, 205}));
  EXPECT_EQ(ScaleBoundsToDpi(8, 72, 457, 205, 192), (ScaledBounds{16, 144, 914, 410}));
}

TEST(DpiScaleTest, PicturesDrawnForTheNearestDensityComeFirstTheLargerOfTwoAsNear) {
  const auto order = [](int dpi) {
    std::vector<int> dpis;
    for (const ArtworkDensity& density : ArtworkDensitiesFor(dpi)) dpis.push_back(density.dpi);
    return dpis;
  };
  EXPECT_EQ(order(96), (std::vector<int>{96, 144, 192}));
  EXPECT_EQ(order(120), (std::vector<int>{144, 96, 192})) << "as near as 96: the larger";
  EXPECT_EQ(order(144), (std::vector<int>{144, 192, 96}));
  EXPECT_EQ(order(168), (std::vector<int>{192, 144, 96}));
  EXPECT_EQ(order(288), (std::vector<int>{192, 144, 96}));
  EXPECT_EQ(order(72), (std::vector<int>{96, 144, 192}));
  for (const ArtworkDensity& density : ArtworkDensitiesFor(120)) {
    EXPECT_STREQ(density.suffix, density.dpi == 96 ? "" : density.dpi == 144 ? "_144" : "_192");
  }
}

}  // namespace
}  // namespace kavrix
