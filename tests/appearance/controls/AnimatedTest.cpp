#include <cstdlib>
#include <vector>

#include "ControlsTestSupport.h"
#include "appearance/controls/Cianimat.h"
#include "appearance/controls/PixelTransfer.h"

namespace kavrix {
namespace {

using AnimatedTest = testing::ControlsTest;

// A 224 × 32 strip whose every column has a colour of its own.
PixelBuffer StripPixels() {
  PixelBuffer strip(224, 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 224; ++x) strip.SetPixel(x, y, MakeColor(x, y * 8, 255 - x));
  }
  return strip;
}

// A control on `form` at `bounds` playing `strip` (it takes the strip's height).
TciAnimated* PlaceStrip(TForm* form, const PixelBuffer& strip, const TRect& bounds) {
  TBitmap bitmap;
  WritePixels(bitmap, strip);
  auto* animation = new TciAnimated(form);
  animation->SetParent(form);
  animation->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  animation->SetBitMap(bitmap);
  return animation;
}

struct Recorder {
  explicit Recorder(TciAnimated& animation) {
    animation.OnChangeFrame = [this, &animation](TObject& sender) {
      EXPECT_EQ(&sender, &animation);
      frames.push_back(animation.Frame());
    };
  }
  std::vector<int> frames;
};

TEST_F(AnimatedTest, FrameAssignmentsWrapAndOnlyRealChangesFire) {
  auto* animation = new TciAnimated(form_);
  animation->SetParent(form_);
  EXPECT_EQ(animation->Width(), 30);
  EXPECT_EQ(animation->Height(), 30);
  animation->SetFrameCount(7);
  Recorder recorder(*animation);
  animation->SetFrame(-5);
  animation->SetFrame(7 + 2);
  animation->SetFrame(2);
  EXPECT_EQ(recorder.frames, (std::vector<int>{6, 2}));
}

TEST_F(AnimatedTest, TheTimerStepsForwardBackwardAndStopsWithoutLoop) {
  auto* animation = new TciAnimated(form_);
  animation->SetParent(form_);
  animation->SetFrameCount(7);
  Recorder recorder(*animation);
  EXPECT_EQ(animation->FrameTimer(), nullptr);
  animation->SetInterval(5);
  EXPECT_EQ(animation->FrameTimer(), nullptr) << "no timer before Play";
  animation->SetPlay(true);
  ASSERT_NE(animation->FrameTimer(), nullptr);
  EXPECT_EQ(animation->FrameTimer()->Interval(), 5u);
  ASSERT_TRUE(PumpUntil([&] { return recorder.frames.size() >= 9; }));
  animation->SetPlay(false);
  EXPECT_EQ(animation->FrameTimer(), nullptr);
  EXPECT_EQ(std::vector<int>(recorder.frames.begin(), recorder.frames.begin() + 9),
            (std::vector<int>{1, 2, 3, 4, 5, 6, 0, 1, 2}));

  // Backward from 0 once: round to the last frame and down to 0, where it rests.
  animation->SetFrame(0);
  recorder.frames.clear();
  animation->SetReverse(true);
  animation->SetLoop(false);
  animation->SetPlay(true);
  ASSERT_TRUE(PumpUntil([&] { return !animation->Play(); }));
  EXPECT_EQ(recorder.frames, (std::vector<int>{6, 5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(animation->FrameTimer(), nullptr);

  // Forward once from 4 ends on the last frame.
  animation->SetFrame(4);
  recorder.frames.clear();
  animation->SetReverse(false);
  animation->SetPlay(true);
  ASSERT_TRUE(PumpUntil([&] { return !animation->Play(); }));
  EXPECT_EQ(recorder.frames, (std::vector<int>{5, 6}));
}

TEST_F(AnimatedTest, AnIntervalOfZeroPausesAndANewOneRestarts) {
  auto* animation = new TciAnimated(form_);
  animation->SetParent(form_);
  animation->SetInterval(40);
  animation->SetPlay(true);
  animation->SetInterval(0);
  EXPECT_TRUE(animation->Play());
  EXPECT_EQ(animation->FrameTimer(), nullptr);
  animation->SetInterval(15);
  ASSERT_NE(animation->FrameTimer(), nullptr);
  EXPECT_EQ(animation->FrameTimer()->Interval(), 15u);
}

TEST_F(AnimatedTest, EachFrameShowsItsColumnsOfTheStrip) {
  const PixelBuffer strip = StripPixels();
  TciAnimated* animation = PlaceStrip(form_, strip, {40, 50, 72, 60});
  EXPECT_EQ(animation->Height(), 32) << "the control takes the strip's height";
  animation->SetFrameCount(7);
  for (int frame : {0, 3, 6}) {
    animation->SetFrame(frame);
    const PixelBuffer shot = Capture();
    int mismatches = 0;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) mismatches += shot.At(40 + x, 50 + y) != strip.At(32 * frame + x, y);
    }
    EXPECT_EQ(mismatches, 0) << "frame " << frame;
  }

  // The transparent colour shows the control's colour instead.
  animation->SetColor(0x00CC00);
  animation->SetTransparentColor(static_cast<int>(strip.At(32 * 6 + 5, 7)));
  PixelBuffer shot = Capture();
  EXPECT_EQ(shot.At(40 + 5, 50 + 7), 0x00CC00u);
  EXPECT_EQ(shot.At(40 + 6, 50 + 7), strip.At(32 * 6 + 6, 7));

  animation->LoadBitMapResource("NO SUCH STRIP");
  EXPECT_TRUE(animation->BitMap().Empty());
  shot = Capture();
  EXPECT_EQ(shot.At(40, 50), clWhite);
  EXPECT_EQ(shot.At(71, 81), clWhite);
}

TEST_F(AnimatedTest, AtAnotherDensityEachFrameIsResampledToTheControlsSize) {
  const PixelBuffer strip = StripPixels();
  TciAnimated* animation = PlaceStrip(form_, strip, {20, 30, 52, 62});
  animation->SetFrameCount(7);
  animation->ChangeScale(192, kDesignDpi);
  ASSERT_EQ(animation->BoundsRect(), (TRect{40, 60, 104, 124})) << "still 7 frames of the control's size";
  animation->SetFrame(3);
  const PixelBuffer shot = Capture();
  // Smoothed, so edges mix their neighbours' colours; the picture is frame 3's, enlarged.
  const auto distant = [](TColor a, TColor b) {
    for (int shift : {0, 8, 16}) {
      if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 64) return true;
    }
    return false;
  };
  int mismatches = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) mismatches += distant(shot.At(40 + x, 60 + y), strip.At(32 * 3 + x / 2, y / 2));
  }
  EXPECT_LT(mismatches, 64 * 64 / 10) << "frame 3 enlarged, nothing of its neighbours";
}

}  // namespace
}  // namespace kavrix
