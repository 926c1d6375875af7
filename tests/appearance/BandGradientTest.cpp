#include "appearance/render/BandGradient.h"

#include <gtest/gtest.h>

#include <vector>

namespace kavrix {
namespace {

constexpr TColor kBlue = 0xFF0000;
constexpr TColor kNavy = 0x800000;

// The installer's backdrop gradient.
GradientSettings Backdrop() {
  GradientSettings g;
  g.gradientStyle = TGradientStyle::gsLine;
  g.lineSize = 1;
  g.colors = {kBlue, kNavy, clBlack, clWhite, clBlack};
  g.colorCount = 2;
  g.lineDirection = TDirection::diHorizonal;
  return g;
}

PixelBuffer Paint(int w, int h, const GradientSettings& g, const DrawRectPainter& painter = {}) {
  PixelBuffer buffer(w, h, 0x123456);
  PaintGradient(buffer, g, painter);
  return buffer;
}

TEST(BandGradientTest, BackdropLinesMatchTheWorkedExample) {
  // Wider than the 8-pixel strip, so the replicated copies are checked too.
  const PixelBuffer b = Paint(20, 600, Backdrop());
  const std::vector<std::pair<int, int>> lines = {{0, 255}, {100, 213}, {299, 128}, {300, 128},
                                                  {450, 64}, {599, 0}};
  for (auto [y, blue] : lines) {
    for (int x : {0, 7, 8, 19}) EXPECT_EQ(b.At(x, y), static_cast<TColor>(blue) << 16) << x << "," << y;
  }
  EXPECT_EQ(b.At(0, 0), kBlue);
}

TEST(BandGradientTest, VerticalLinesBlendLeftToRight) {
  GradientSettings g = Backdrop();
  g.lineDirection = TDirection::diVertical;
  const PixelBuffer b = Paint(600, 20, g);
  for (int y : {0, 7, 8, 19}) {
    EXPECT_EQ(b.At(0, y), kBlue);
    EXPECT_EQ(b.At(100, y), 213u << 16);
    EXPECT_EQ(b.At(450, y), 64u << 16);
    EXPECT_EQ(b.At(599, y), 0u);
  }
}

TEST(BandGradientTest, OneColourGivesPlainColor1InEveryStyle) {
  GradientSettings g;
  g.colors = {0x3366CC, clWhite, clBlack, clWhite, clBlack};
  g.colorCount = 1;
  g.lineSize = 2;
  auto painter = [](PixelBuffer& target, const Rect& rect, TColor brush) { target.FillRect(rect, brush); };
  for (auto style : {TGradientStyle::gsLine, TGradientStyle::gsEllipse, TGradientStyle::gsRect,
                     TGradientStyle::gsCustomRect}) {
    g.gradientStyle = style;
    const PixelBuffer b = Paint(31, 17, g, painter);
    // The shaped styles leave the corners the ellipse or the last inset never reaches.
    EXPECT_EQ(b.At(15, 8), 0x3366CCu);
    for (TColor pixel : b.Pixels()) {
      EXPECT_TRUE(pixel == 0x123456 || pixel == 0x3366CC) << static_cast<int>(style);
    }
  }
}

TEST(BandGradientTest, LineSizeZeroOrNegativeActsAsOne) {
  GradientSettings g;
  g.colorCount = 4;
  g.colors = {0x0000FF, 0x00FF00, 0xFF0000, 0x808080, 0x102030};
  for (auto style : {TGradientStyle::gsLine, TGradientStyle::gsEllipse, TGradientStyle::gsRect}) {
    g.gradientStyle = style;
    g.lineSize = 1;
    const PixelBuffer one = Paint(40, 30, g);
    for (int size : {0, -7}) {
      g.lineSize = size;
      EXPECT_EQ(Paint(40, 30, g).Pixels(), one.Pixels()) << size;
    }
  }
}

TEST(BandGradientTest, EllipseOn200By100StopsAfter50StepsNearColor2) {
  GradientSettings g;
  g.gradientStyle = TGradientStyle::gsCustomRect;
  g.lineSize = 1;
  g.colorCount = 2;
  g.colors = {0x000000, 0x0000C8, 0x0000FF, clWhite, clBlack};  // red 0 -> 200 -> 255
  std::vector<Rect> steps;
  Paint(200, 100, g, [&](PixelBuffer&, const Rect& r, TColor) { steps.push_back(r); });
  ASSERT_EQ(steps.size(), 50u);
  EXPECT_EQ(steps.back(), (Rect{49, 49, 151, 51}));

  g.gradientStyle = TGradientStyle::gsEllipse;
  const PixelBuffer b = Paint(200, 100, g);
  // bandLen 50: the last step is 49/50 of the way to Color2, and Color3 is never reached.
  EXPECT_EQ(b.At(100, 50), 196u);
  for (TColor pixel : b.Pixels()) EXPECT_TRUE(pixel == 0x123456 || pixel <= 196u);
}

TEST(BandGradientTest, EllipseCoversPixelCentresInsideTheBox) {
  PixelBuffer b(10, 4);
  b.FillEllipse({1, 0, 9, 4}, clWhite);
  const char* expected[] = {"..######..", ".########.", ".########.", "..######.."};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 10; ++x) EXPECT_EQ(b.At(x, y) == clWhite, expected[y][x] == '#') << x << "," << y;
  }
}

TEST(BandGradientTest, TooFewPixelsPerBandTakesOnePixelBands) {
  // 2 lines, 4 transitions: bandLen 0 becomes 1, so line 1 already runs on band 2.
  GradientSettings g = Backdrop();
  g.colorCount = 4;
  g.colors = {0x000000, 0x000010, 0x000030, 0x000040, 0x000050};
  const PixelBuffer line = Paint(8, 2, g);
  EXPECT_EQ(line.At(0, 0), 0x000000u);
  EXPECT_EQ(line.At(0, 1), 0x000020u);
  g.gradientStyle = TGradientStyle::gsRect;
  EXPECT_EQ(Paint(3, 3, g).At(1, 1), 0x000000u);
}

TEST(BandGradientTest, EmptyTargetIsLeftAlone) {
  PixelBuffer empty(0, 10);
  PaintGradient(empty, Backdrop());
  EXPECT_TRUE(empty.IsEmpty());
}

}  // namespace
}  // namespace kavrix
