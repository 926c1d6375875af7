#include "appearance/render/FrameAnimation.h"

#include <algorithm>

namespace kavrix {

void FrameAnimation::SetFrame(int frame) {
  const int count = std::max(frameCount_, 1);
  const int next = frame < 0 ? count - 1 : frame % count;
  if (next == frame_) return;
  frame_ = next;
  if (OnChangeFrame) OnChangeFrame();
}

void FrameAnimation::TimerChanged() const {
  if (OnTimerChange) OnTimerChange(TimerRunning() ? interval_ : 0);
}

void FrameAnimation::SetInterval(int interval) {
  if (interval == interval_) return;
  const bool wasRunning = TimerRunning();
  interval_ = interval;
  if (wasRunning || TimerRunning()) TimerChanged();
}

void FrameAnimation::SetPlay(bool play) {
  if (play == play_) return;
  const bool wasRunning = TimerRunning();
  play_ = play;
  if (wasRunning != TimerRunning()) TimerChanged();
}

void FrameAnimation::Step() {
  const int last = std::max(frameCount_, 1) - 1;
  SetFrame(reverse_ ? frame_ - 1 : frame_ + 1);
  const bool atEnd = frame_ == (reverse_ ? 0 : last);
  if (atEnd && !loop_) SetPlay(false);
}

void PaintAnimationFrame(PixelBuffer& target, const PixelBuffer& strip, int frame, int transparentColor,
                         TColor controlColor) {
  if (strip.IsEmpty()) {
    target.FillRect({0, 0, target.Width(), target.Height()}, clWhite);
    return;
  }
  const int w = target.Width();
  const Rect source{w * frame, 0, w * frame + w, target.Height()};
  target.Blit(strip, source, 0, 0);
  if (transparentColor < 0) return;
  const auto transparent = static_cast<TColor>(transparentColor);
  for (int y = 0; y < std::min(target.Height(), strip.Height()); ++y) {
    for (int x = 0; x < w && source.left + x < strip.Width(); ++x) {
      if (strip.At(source.left + x, y) == transparent) target.SetPixel(x, y, controlColor);
    }
  }
}

}  // namespace kavrix
