#include "appearance/render/BackgroundRenderer.h"

#include <gtest/gtest.h>

namespace kavrix {
namespace {

constexpr TColor kUntouched = 0xABCDEF;

// A picture whose every pixel tells its own coordinates.
PixelBuffer Picture(int w, int h) {
  PixelBuffer p(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) p.SetPixel(x, y, static_cast<TColor>(y * 16 + x));
  }
  return p;
}

TEST(BackgroundRendererTest, SingleColourFillsOnlyTheRectangleWithTheStoredBytes) {
  PixelBuffer b(6, 6, kUntouched);
  BackgroundSettings s;
  s.color = 0x80000005;  // a system colour is not translated
  PaintBackground(b, {1, 2, 4, 5}, s);
  EXPECT_EQ(b.At(1, 2), 0x000005u);
  EXPECT_EQ(b.At(3, 4), 0x000005u);
  EXPECT_EQ(b.At(4, 4), kUntouched);
  EXPECT_EQ(b.At(1, 1), kUntouched);
}

TEST(BackgroundRendererTest, GradientIsPaintedFromTheRectanglesCorner) {
  BackgroundSettings s;
  s.backStyle = TBackStyle::bgGradient;
  s.gradient.lineSize = 1;
  s.gradient.colorCount = 1;
  s.gradient.colors[0] = 0x010203;
  PixelBuffer b(10, 10, kUntouched);
  PaintBackground(b, {2, 3, 7, 9}, s);
  EXPECT_EQ(b.At(2, 3), 0x010203u);
  EXPECT_EQ(b.At(6, 8), 0x010203u);
  EXPECT_EQ(b.At(7, 8), kUntouched);
  EXPECT_EQ(b.At(2, 9), kUntouched);
}

TEST(BackgroundRendererTest, BitmapsAreAnchoredAtTheOrigin) {
  const PixelBuffer picture = Picture(4, 3);
  BackgroundSettings s;
  s.picture = &picture;

  s.backStyle = TBackStyle::bgSingleBitmap;
  PixelBuffer single(8, 8, kUntouched);
  PaintBackground(single, {2, 1, 8, 8}, s);
  EXPECT_EQ(single.At(2, 1), picture.At(2, 1));
  EXPECT_EQ(single.At(3, 2), picture.At(3, 2));
  EXPECT_EQ(single.At(1, 1), kUntouched);  // outside the rectangle
  EXPECT_EQ(single.At(4, 1), kUntouched);  // outside the picture
  EXPECT_EQ(single.At(2, 3), kUntouched);

  s.backStyle = TBackStyle::bgTileBitmap;
  PixelBuffer tiled(11, 8, kUntouched);
  PaintBackground(tiled, {1, 2, 10, 7}, s);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 11; ++x) {
      const bool inside = x >= 1 && x < 10 && y >= 2 && y < 7;
      EXPECT_EQ(tiled.At(x, y), inside ? picture.At(x % 4, y % 3) : kUntouched) << x << "," << y;
    }
  }
}

TEST(BackgroundRendererTest, BitmapStylesWithoutAPicturePaintNothing) {
  const PixelBuffer empty;
  BackgroundSettings s;
  for (const PixelBuffer* picture : {static_cast<const PixelBuffer*>(nullptr), &empty}) {
    s.picture = picture;
    for (auto style : {TBackStyle::bgSingleBitmap, TBackStyle::bgTileBitmap}) {
      s.backStyle = style;
      PixelBuffer b(4, 4, kUntouched);
      PaintBackground(b, {0, 0, 4, 4}, s);
      EXPECT_EQ(b.Pixels(), PixelBuffer(4, 4, kUntouched).Pixels());
    }
  }
}

}  // namespace
}  // namespace kavrix
