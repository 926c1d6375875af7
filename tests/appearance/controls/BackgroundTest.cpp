#include <vector>

#include "ControlsTestSupport.h"
#include "appearance/controls/Backgnd.h"

namespace kavrix {
namespace {

using BackgroundTest = testing::ControlsTest;

// Counts the buffer rebuilds, to tell a rebuild from a plain copy.
class CountingBackground : public TBackground {
 public:
  using TBackground::TBackground;
  int updates = 0;

 protected:
  void UpdateBuffer() override {
    ++updates;
    TBackground::UpdateBuffer();
  }
};

void ExpectAreaEquals(const PixelBuffer& shot, const TControl& control, const PixelBuffer& expected) {
  int mismatches = 0;
  for (int y = 0; y < expected.Height(); ++y) {
    for (int x = 0; x < expected.Width(); ++x) {
      const TColor seen = shot.At(control.Left() + x, control.Top() + y);
      if (seen != expected.At(x, y) && ++mismatches <= 3) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << seen << ", renderer says "
                      << expected.At(x, y);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

PixelBuffer Rendered(TBackgndObj& description, int width, int height) {
  PixelBuffer pixels(width, height);
  description.PaintBackground(pixels, {0, 0, width, height});
  return pixels;
}

void UseBackdropGradient(TBackgndObj& description) {
  description.SetBackStyle(TBackStyle::bgGradient);
  TGradient& gradient = description.Gradient();
  gradient.SetGradientStyle(TGradientStyle::gsLine);
  gradient.SetLineSize(1);
  gradient.SetColor1(clBlue);
  gradient.SetColor2(clNavy);
  gradient.SetColor3(clBlack);
  gradient.SetColorCount(2);
  gradient.SetLineDirection(TDirection::diHorizonal);
}

TEST_F(BackgroundTest, TheBackdropGradientOnScreenIsTheRenderersToThePixel) {
  auto* background = new TBackground(form_);
  background->SetParent(form_);
  background->SetBounds(10, 10, 120, 600);
  UseBackdropGradient(background->BackObj());
  const PixelBuffer shot = Capture();
  ExpectAreaEquals(shot, *background, Rendered(background->BackObj(), 120, 600));
  for (auto [line, blue] : {std::pair{0, 255}, {100, 213}, {299, 128}, {450, 64}, {599, 0}}) {
    EXPECT_EQ(shot.At(70, 10 + line), static_cast<TColor>(blue) << 16) << "line " << line;
  }
}

TEST_F(BackgroundTest, EveryStyleOnScreenIsTheRenderers) {
  PixelBuffer picture(23, 17);
  for (int y = 0; y < 17; ++y) {
    for (int x = 0; x < 23; ++x) picture.SetPixel(x, y, MakeColor(x * 11, y * 15, 200 - x * 3));
  }
  auto* background = new TBackground(form_);
  background->SetParent(form_);
  background->SetBounds(30, 40, 160, 110);
  TBackgndObj& description = background->BackObj();
  description.SetPicture(picture);
  description.SetColor(0x123456);
  description.Gradient().SetColorCount(3);
  struct Case {
    TBackStyle back;
    TGradientStyle gradient;
    TDirection direction;
  };
  PixelBuffer expected(160, 110);
  for (const Case& c : {Case{TBackStyle::bgSingleColor, TGradientStyle::gsLine, TDirection::diHorizonal},
                        Case{TBackStyle::bgGradient, TGradientStyle::gsLine, TDirection::diVertical},
                        Case{TBackStyle::bgGradient, TGradientStyle::gsEllipse, TDirection::diHorizonal},
                        Case{TBackStyle::bgGradient, TGradientStyle::gsRect, TDirection::diHorizonal},
                        Case{TBackStyle::bgGradient, TGradientStyle::gsCustomRect, TDirection::diHorizonal},
                        Case{TBackStyle::bgSingleBitmap, TGradientStyle::gsLine, TDirection::diHorizonal},
                        Case{TBackStyle::bgTileBitmap, TGradientStyle::gsLine, TDirection::diHorizonal}}) {
    SCOPED_TRACE(static_cast<int>(c.back) * 10 + static_cast<int>(c.gradient));
    description.SetBackStyle(c.back);
    description.Gradient().SetGradientStyle(c.gradient);
    description.Gradient().SetLineDirection(c.direction);
    // The single bitmap covers part of the control: the rest shows the case before.
    description.PaintBackground(expected, {0, 0, 160, 110});
    ExpectAreaEquals(Capture(), *background, expected);
  }
}

// Every rebuild started from a black buffer, so a picture smaller than the control, or
// none, blacked out what the buffer held around it.
TEST_F(BackgroundTest, RegressionWhereTheStylePaintsNothingTheBufferKeepsWhatItHeld) {
  auto* background = new TBackground(form_);
  background->SetParent(form_);
  background->SetBounds(0, 0, 60, 40);
  TBackgndObj& description = background->BackObj();
  description.SetColor(0x2040C0);
  PixelBuffer expected = Rendered(description, 60, 40);
  description.SetBackStyle(TBackStyle::bgTileBitmap);  // no picture: nothing painted
  ExpectAreaEquals(Capture(), *background, expected);

  description.SetBackStyle(TBackStyle::bgSingleBitmap);
  PixelBuffer picture(10, 8);
  picture.FillRect({0, 0, 10, 8}, clWhite);
  description.SetPicture(picture);  // covers its own 10 × 8 pixels only
  expected.Blit(picture, {0, 0, 10, 8}, 0, 0);
  ExpectAreaEquals(Capture(), *background, expected);
}

TEST_F(BackgroundTest, ACanvasPainterOfCustomStepsGetsEveryStepsRectangleAndColour) {
  // A painter that fills each step with its brush must give exactly the gsRect picture.
  auto* background = new TBackground(form_);
  background->SetParent(form_);
  background->SetBounds(0, 0, 90, 70);
  int steps = 0;
  TBackgndObj& description = background->BackObj();
  description.Gradient().OnDrawRect = [&steps](TObject* sender, TCanvas& canvas, const TRect& rect) {
    EXPECT_EQ(sender, nullptr);
    EXPECT_EQ(canvas.PenWidth(), 0);
    EXPECT_EQ(canvas.PenStyle(), psClear);
    ++steps;
    canvas.FillRect(rect);
  };
  description.SetBackStyle(TBackStyle::bgGradient);
  description.Gradient().SetGradientStyle(TGradientStyle::gsCustomRect);
  const PixelBuffer shot = Capture();
  EXPECT_EQ(steps, 12) << "line size 3 on a 70 pixel high area";
  description.Gradient().SetGradientStyle(TGradientStyle::gsRect);
  ExpectAreaEquals(shot, *background, Rendered(description, 90, 70));
}

TEST_F(BackgroundTest, TheBufferIsRebuiltOnRealChangesAndNewSizesOnly) {
  auto* background = new CountingBackground(form_);
  background->SetParent(form_);
  EXPECT_EQ(background->Width(), 144);
  EXPECT_EQ(background->Height(), 144);
  Capture();
  const int afterFirstPaint = background->updates;
  EXPECT_EQ(afterFirstPaint, 1);

  TGradient& gradient = background->BackObj().Gradient();
  gradient.SetColor1(gradient.Color1());
  gradient.SetLineSize(gradient.LineSize());
  background->BackObj().SetBackStyle(background->BackObj().BackStyle());
  EXPECT_EQ(background->updates, afterFirstPaint) << "unchanged values rebuild nothing";

  background->BackObj().SetColor(clRed);
  EXPECT_EQ(background->updates, afterFirstPaint + 1) << "a change rebuilds at once";
  EXPECT_EQ(Capture().At(5, 5), clRed);

  background->Repaint();
  Capture();
  EXPECT_EQ(background->updates, afterFirstPaint + 1) << "a paint at the same size only copies";

  background->SetBounds(0, 0, 200, 50);
  EXPECT_EQ(background->updates, afterFirstPaint + 1) << "a new size waits for the next paint";
  const PixelBuffer shot = Capture();
  EXPECT_EQ(background->updates, afterFirstPaint + 2);
  EXPECT_EQ(shot.At(199, 49), clRed);
  EXPECT_EQ(shot.At(199, 50), ColorToRGB(form_->Color()));
}

TEST_F(BackgroundTest, AssigningADescriptionCopiesItAndRepaints) {
  auto* background = new TBackground(form_);
  background->SetParent(form_);
  background->SetBounds(0, 0, 100, 100);
  Capture();
  TBackgndObj other;
  UseBackdropGradient(other);
  other.SetColor(clWhite);
  background->SetBackObj(other);
  EXPECT_EQ(background->BackObj().BackStyle(), TBackStyle::bgGradient);
  EXPECT_EQ(background->BackObj().Color(), clWhite);
  EXPECT_EQ(background->BackObj().Gradient().Settings(), other.Gradient().Settings());
  ExpectAreaEquals(Capture(), *background, Rendered(other, 100, 100));
}

}  // namespace
}  // namespace kavrix
