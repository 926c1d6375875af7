#pragma once
// The animated picture's frame stepping and timer rules as a plain state machine, and
// the painting of one frame from the strip. The control owns a platform timer and keeps
// it as OnTimerChange says; the timer's ticks call Step.

#include <functional>

#include "appearance/render/PixelBuffer.h"

namespace kavrix {

class FrameAnimation {
 public:
  int FrameCount() const noexcept { return frameCount_; }
  // Stored as given. A count below 1 cannot divide the frame number; the frame
  // arithmetic then treats it as 1 and the frame stays 0.
  void SetFrameCount(int count) noexcept { frameCount_ = count; }

  int Frame() const noexcept { return frame_; }
  // Negative values select the last frame, others wrap modulo the frame count. Fires
  // OnChangeFrame only when the frame really changes.
  void SetFrame(int frame);

  int Interval() const noexcept { return interval_; }
  void SetInterval(int interval);
  bool Play() const noexcept { return play_; }
  void SetPlay(bool play);
  bool Loop() const noexcept { return loop_; }
  void SetLoop(bool loop) noexcept { loop_ = loop; }
  bool Reverse() const noexcept { return reverse_; }
  void SetReverse(bool reverse) noexcept { reverse_ = reverse; }

  // True while a timer exists: playing with a positive interval.
  bool TimerRunning() const noexcept { return play_ && interval_ > 0; }

  // One timer tick: a frame forward (or backward with Reverse), wrapping round; at the
  // last frame forward or frame 0 backward the animation stops unless it loops.
  void Step();

  std::function<void()> OnChangeFrame;
  // The timer must be (re)started with this interval, or freed when it is 0.
  std::function<void(int interval)> OnTimerChange;

 private:
  void TimerChanged() const;

  int frameCount_ = 1;
  int frame_ = 0;
  int interval_ = 0;
  bool play_ = false;
  bool loop_ = true;
  bool reverse_ = false;
};

// Paints `frame` of `strip` (frames side by side, each `target`'s width) over the whole
// of `target`. Without a strip the area is white. With a transparent colour (0 or more)
// the strip's pixels of that colour show `controlColor` instead.
void PaintAnimationFrame(PixelBuffer& target, const PixelBuffer& strip, int frame, int transparentColor,
                         TColor controlColor);

}  // namespace kavrix
