#include "appearance/render/FrameAnimation.h"

#include <gtest/gtest.h>

#include <vector>

namespace kavrix {
namespace {

std::vector<int> Steps(FrameAnimation& animation, int count) {
  std::vector<int> frames;
  for (int i = 0; i < count; ++i) {
    animation.Step();
    frames.push_back(animation.Frame());
  }
  return frames;
}

FrameAnimation Playing(int frameCount, bool loop, bool reverse) {
  FrameAnimation a;
  a.SetFrameCount(frameCount);
  a.SetLoop(loop);
  a.SetReverse(reverse);
  a.SetInterval(100);
  a.SetPlay(true);
  return a;
}

TEST(FrameAnimationTest, ForwardLoopWrapsToFrameZero) {
  FrameAnimation a = Playing(7, true, false);
  EXPECT_EQ(Steps(a, 8), (std::vector<int>{1, 2, 3, 4, 5, 6, 0, 1}));
  EXPECT_TRUE(a.Play());
}

TEST(FrameAnimationTest, ForwardOnceRestsOnTheLastFrame) {
  FrameAnimation a = Playing(7, false, false);
  EXPECT_EQ(Steps(a, 6), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_FALSE(a.Play());
  EXPECT_FALSE(a.TimerRunning());
}

TEST(FrameAnimationTest, BackwardRunsFromTheLastFrameAndStopsAtZero) {
  FrameAnimation looping = Playing(7, true, true);
  EXPECT_EQ(Steps(looping, 8), (std::vector<int>{6, 5, 4, 3, 2, 1, 0, 6}));
  FrameAnimation once = Playing(7, false, true);
  EXPECT_EQ(Steps(once, 7), (std::vector<int>{6, 5, 4, 3, 2, 1, 0}));
  EXPECT_FALSE(once.Play());
}

TEST(FrameAnimationTest, SingleFrameStopsAtTheFirstStepWithoutLoop) {
  FrameAnimation a = Playing(1, false, false);
  a.Step();
  EXPECT_EQ(a.Frame(), 0);
  EXPECT_FALSE(a.Play());
}

TEST(FrameAnimationTest, FrameAssignmentWrapsAndFiresOnlyOnChange) {
  FrameAnimation a;
  a.SetFrameCount(7);
  int changes = 0;
  a.OnChangeFrame = [&] { ++changes; };
  a.SetFrame(-5);
  EXPECT_EQ(a.Frame(), 6);
  a.SetFrame(7 + 2);
  EXPECT_EQ(a.Frame(), 2);
  EXPECT_EQ(changes, 2);
  a.SetFrame(2);
  a.SetFrame(9);
  EXPECT_EQ(changes, 2);

  // A count below 1 would divide by zero; the frame stays 0.
  a.SetFrameCount(0);
  a.SetFrame(3);
  EXPECT_EQ(a.Frame(), 0);
  a.Step();
  EXPECT_EQ(a.Frame(), 0);
}

TEST(FrameAnimationTest, TimerFollowsPlayAndInterval) {
  FrameAnimation a;
  std::vector<int> timer;
  a.OnTimerChange = [&](int interval) { timer.push_back(interval); };
  a.SetPlay(true);       // no interval yet: no timer
  a.SetInterval(100);    // starts
  a.SetInterval(100);    // unchanged: ignored
  a.SetInterval(50);     // restarts
  a.SetInterval(0);      // stops, still playing
  EXPECT_TRUE(a.Play());
  a.SetInterval(30);     // starts again
  a.SetPlay(false);      // stops
  a.SetInterval(70);     // not playing: nothing
  EXPECT_EQ(timer, (std::vector<int>{100, 50, 0, 30, 0}));
}

TEST(FrameAnimationTest, PaintShowsTheFramesColumns) {
  PixelBuffer strip(224, 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 224; ++x) strip.SetPixel(x, y, static_cast<TColor>(x));
  }
  PixelBuffer target(32, 32);
  PaintAnimationFrame(target, strip, 3, -1, clWhite);
  EXPECT_EQ(target.At(0, 0), 96u);
  EXPECT_EQ(target.At(31, 31), 127u);

  PaintAnimationFrame(target, strip, 3, 100, 0xC0C0C0);
  EXPECT_EQ(target.At(4, 7), 0xC0C0C0u);
  EXPECT_EQ(target.At(5, 7), 101u);

  PaintAnimationFrame(target, PixelBuffer(), 0, -1, clBlack);
  EXPECT_EQ(target.At(10, 10), clWhite);
}

}  // namespace
}  // namespace kavrix
