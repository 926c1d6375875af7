#include "appearance/render/ButtonRenderer.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace kavrix {
namespace {

constexpr TColor kBlue = 0xFF0000;
constexpr TColor kBackground = 0x123456;

TEST(ButtonLayoutTest, BannerImageSitsAt7By5) {
  ButtonLayoutInput in;
  in.width = 353;
  in.height = 57;
  in.bitmapWidth = 338;
  in.bitmapHeight = 46;
  const ButtonLayout layout = LayoutButton(in);
  EXPECT_EQ(layout.bitmap, (Point{7, 5}));
  EXPECT_TRUE(layout.textRect.IsEmpty());
}

TEST(ButtonLayoutTest, SideBySideLayoutsPlaceTheBlockAndShrinkTheText) {
  ButtonLayoutInput in;
  in.width = 100;
  in.height = 30;
  in.bitmapWidth = 16;
  in.bitmapHeight = 16;
  in.showText = true;
  in.textWidth = 40;
  in.textHeight = 13;
  in.layout = TExplorerButtonLayout::blBitmapLeft;
  ButtonLayout layout = LayoutButton(in);
  EXPECT_EQ(layout.bitmap, (Point{21, 7}));
  EXPECT_EQ(layout.textRect, (Rect{39, 8, 79, 21}));

  // 16 + 50 + 2 exceeds 60 - 4: the text gives way to 38 pixels.
  in.width = 60;
  in.textWidth = 50;
  in.layout = TExplorerButtonLayout::blBitmapRight;
  in.alignment = TAlignment::taRightJustify;
  layout = LayoutButton(in);
  EXPECT_EQ(layout.bitmap, (Point{41, 7}));
  EXPECT_EQ(layout.textRect, (Rect{1, 8, 39, 21}));

  in.layout = TExplorerButtonLayout::blBitmapBottom;
  in.alignment = TAlignment::taLeftJustify;
  in.height = 40;
  layout = LayoutButton(in);
  EXPECT_EQ(layout.text, (Point{3, 4}));    // (40 - 31) / 2
  EXPECT_EQ(layout.bitmap, (Point{3, 19}));  // below text and gap
  EXPECT_EQ(layout.drawWidth, 50);
}

TEST(ButtonLayoutTest, TextOnlyButtonsMakeRoomForTheMarkAndWrap) {
  ButtonLayoutInput in;
  in.width = 80;
  in.height = 20;
  in.showText = true;
  in.textWidth = 70;
  in.textHeight = 13;
  in.popupMark = true;
  const ButtonLayout layout = LayoutButton(in);
  EXPECT_EQ(layout.textRect, (Rect{0, 3, 66, 16}));
  EXPECT_EQ(PopupMarkOrigin(in, layout, false), (Point{69, 9}));
  EXPECT_EQ(PopupMarkOrigin(in, layout, true), (Point{70, 10}));

  ButtonLayoutInput wrap;
  wrap.showText = true;
  wrap.textWidth = 46;
  wrap.textHeight = 26;
  wrap.wordWrap = true;
  wrap.alignment = TAlignment::taLeftJustify;
  EXPECT_EQ(LayoutButton(wrap).textRect, (Rect{3, 7, 45, 33}));
}

TEST(ButtonLayoutTest, MarkBesideAnImageUsesTheImagesOwnWidth) {
  ButtonLayoutInput in;
  in.bitmapWidth = 20;
  in.bitmapHeight = 17;
  in.popupMark = true;
  const ButtonLayout layout = LayoutButton(in);
  EXPECT_EQ(layout.bitmap, (Point{10, 11}));  // (50 - 30) / 2, (40 - 17) / 2
  EXPECT_EQ(PopupMarkOrigin(in, layout, false), (Point{33, 19}));
  EXPECT_EQ(PopupMarkOrigin(in, layout, true), (Point{34, 20}));
}

TEST(ButtonPaintTest, PopupMarkIsADownwardTriangle) {
  PixelBuffer b(20, 20, kBackground);
  DrawPopupMark(b, {5, 10}, clBlack);
  std::set<std::pair<int, int>> expected;
  for (int x = 5; x <= 11; ++x) expected.insert({x, 9});
  for (int x = 6; x <= 10; ++x) expected.insert({x, 10});
  for (int x = 7; x <= 9; ++x) expected.insert({x, 11});
  expected.insert({8, 12});
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      EXPECT_EQ(b.At(x, y) == clBlack, expected.count({x, y}) == 1) << x << "," << y;
    }
  }
}

TEST(ButtonPaintTest, BevelColoursShadeTheBaseAndSwapByLookAndStyle) {
  const TColor light = 0xE8E8E8;
  const TColor dark = 0x989898;
  EXPECT_EQ(BevelColorsFor(0xC0C0C0, BevelLook::kRaised, TBevelStyle::bsRaised), (BevelColors{light, dark}));
  EXPECT_EQ(BevelColorsFor(0xC0C0C0, BevelLook::kRaised, TBevelStyle::bsLowered), (BevelColors{dark, light}));
  EXPECT_EQ(BevelColorsFor(0xC0C0C0, BevelLook::kPressed, TBevelStyle::bsRaised), (BevelColors{dark, light}));
  EXPECT_EQ(BevelColorsFor(0xC0C0C0, BevelLook::kPressed, TBevelStyle::bsLowered),
            (BevelColors{light, dark}));
  // Channels clamp at both ends: red 16, green 240, blue 0.
  EXPECT_EQ(BevelColorsFor(0x00F010, BevelLook::kRaised, TBevelStyle::bsRaised),
            (BevelColors{0x28FF38, 0x00C800}));
}

TEST(ButtonPaintTest, BevelCornersFollowLineToEndPoints) {
  PixelBuffer b(5, 4, kBackground);
  DrawBevel(b, 5, 4, {1, 2});
  const char* expected[] = {"11112", "1...2", "1...2", "12222"};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) {
      const char c = expected[y][x];
      EXPECT_EQ(b.At(x, y), c == '.' ? kBackground : static_cast<TColor>(c - '0')) << x << "," << y;
    }
  }
}

TEST(ButtonPaintTest, TransparentDrawLeavesOutTheTopLeftColour) {
  PixelBuffer image(3, 2, kBlue);
  image.SetPixel(1, 0, 0x00FF00);
  image.SetPixel(2, 1, clBlack);
  PixelBuffer b(12, 10, kBackground);
  DrawTransparent(b, image, {7, 5});
  EXPECT_EQ(b.At(7, 5), kBackground);
  EXPECT_EQ(b.At(8, 5), 0x00FF00u);
  EXPECT_EQ(b.At(9, 6), clBlack);
  EXPECT_EQ(b.At(8, 6), kBackground);
}

TEST(ButtonPaintTest, EmbossedImageShowsOnlyBlackPixels) {
  PixelBuffer image(3, 1, clBlack);
  image.SetPixel(1, 0, 0x010101);  // not pure black
  PixelBuffer b(5, 3, kBackground);
  DrawEmbossed(b, image, {0, 0}, clWhite, 0x808080);
  EXPECT_EQ(b.At(0, 0), 0x808080u);
  EXPECT_EQ(b.At(2, 0), 0x808080u);
  EXPECT_EQ(b.At(1, 0), kBackground);
  EXPECT_EQ(b.At(1, 1), clWhite);
  EXPECT_EQ(b.At(3, 1), clWhite);
  EXPECT_EQ(b.At(2, 1), kBackground);
}

TEST(ButtonPaintTest, GreyImageThresholds) {
  constexpr TColor kHighlight = 0xFFFFFE;
  constexpr TColor kShadow = 0x808080;
  // Grey pixels with channel sums just either side of each threshold.
  auto sumColor = [](int sum) {
    const int base = sum / 3;
    const int rest = sum % 3;
    return MakeColor(base + (rest > 0), base + (rest > 1), base);
  };
  struct Case {
    TExplorerButtonShadingType shading;
    std::array<int, 3> limits;
  };
  const Case cases[] = {{TExplorerButtonShadingType::stLight, {205, 127, 68}},
                        {TExplorerButtonShadingType::stMedium, {553, 231, 57}},
                        {TExplorerButtonShadingType::stDark, {335, 274, 175}}};
  for (const Case& c : cases) {
    PixelBuffer image(7, 1, kBlue);
    const int sums[] = {c.limits[0] + 1, c.limits[0], c.limits[1] + 1,
                        c.limits[1],     c.limits[2] + 1, c.limits[2]};
    for (int i = 0; i < 6; ++i) image.SetPixel(i + 1, 0, sumColor(sums[i]));
    const PixelBuffer grey = MakeGreyImage(image, c.shading, kHighlight, kShadow);
    const TColor expected[] = {kBlue, clWhite, kHighlight, kHighlight, kShadow, kShadow, clBlack};
    for (int x = 0; x < 7; ++x) {
      EXPECT_EQ(grey.At(x, 0), expected[x]) << static_cast<int>(c.shading) << "," << x;
    }
  }
}

TEST(ButtonPaintTest, DownPatternAlternatesOnPixelParity) {
  PixelBuffer b(4, 3, kBackground);
  FillDownPattern(b, {1, 0, 3, 2}, 0xC0C0C0, clWhite);
  EXPECT_EQ(b.At(1, 0), 0xC0C0C0u);
  EXPECT_EQ(b.At(2, 0), clWhite);
  EXPECT_EQ(b.At(1, 1), clWhite);
  EXPECT_EQ(b.At(0, 0), kBackground);
  EXPECT_EQ(b.At(1, 2), kBackground);
}

}  // namespace
}  // namespace kavrix
