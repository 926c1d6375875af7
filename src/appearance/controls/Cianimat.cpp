#include "appearance/controls/Cianimat.h"

#include <algorithm>

#include "appearance/controls/PixelTransfer.h"
#include "toolkit/FormResource.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {

TciAnimated::TciAnimated(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(Left(), Top(), 30, 30);
  animation_.OnChangeFrame = [this] {
    if (OnChangeFrame) OnChangeFrame(*this);
    Invalidate();
  };
  animation_.OnTimerChange = [this](int interval) { RestartTimer(interval); };
}

TciAnimated::~TciAnimated() {
  animation_.OnTimerChange = nullptr;
  animation_.OnChangeFrame = nullptr;
}

void TciAnimated::RestartTimer(int interval) {
  // A step that ends the animation frees the timer from inside the timer's own tick: the
  // timer is stopped now and destroyed later, outside its callback.
  retiredTimer_.reset();
  if (frameTimer_) frameTimer_->SetEnabled(false);
  retiredTimer_ = std::move(frameTimer_);
  if (interval <= 0) return;
  // Not owned by a component: the control frees its timer itself whenever it stops.
  frameTimer_ = std::make_unique<TTimer>(nullptr);
  frameTimer_->SetInterval(static_cast<uint32_t>(interval));
  frameTimer_->OnTimer = [this](TObject&) { animation_.Step(); };
}

void TciAnimated::SetBitMap(TBitmap& value) {
  CopyBitmap(bitMap_, value);
  SetHeight(bitMap_.Height() > 0 ? bitMap_.Height() : 30);
  Invalidate();
}

void TciAnimated::LoadBitMapResource(const std::string& name, HINSTANCE__* module) {
  try {
    bitMap_.LoadFromResourceName(module, name, pixelsPerInch_);
  } catch (const EResNotFound&) {
    bitMap_.SetSize(0, 0);
  }
  Invalidate();
}

void TciAnimated::SetTransparentColor(int value) {
  if (value == transparentColor_) return;
  transparentColor_ = value;
  Invalidate();
}

void TciAnimated::SetPixelsPerInch(int dpi) {
  if (dpi <= 0 || dpi == pixelsPerInch_) return;
  pixelsPerInch_ = dpi;
  Invalidate();
}

void TciAnimated::ChangeScale(int toDpi, int fromDpi) {
  TGraphicControl::ChangeScale(toDpi, fromDpi);
  SetPixelsPerInch(toDpi);
}

TBitmap& TciAnimated::ShownStrip() {
  const int frames = std::max(FrameCount(), 1);
  const int frameWidth = bitMap_.Width() / frames;
  if (pixelsPerInch_ == kDesignDpi || bitMap_.Empty() ||
      (frameWidth == Width() && bitMap_.Height() == Height())) {
    return bitMap_;
  }
  // Made again at each paint: a few thousand pixels, against keeping a copy in step with
  // every change of strip, frame count and size. Each frame is stretched on its own, so
  // none takes colour from its neighbour; smoothed, as a picture enlarged pixel for pixel
  // by one and a half shows uneven strokes.
  scaledStrip_.SetSize(frames * Width(), Height());
  HDC target = scaledStrip_.Canvas().Handle();
  ::SetStretchBltMode(target, HALFTONE);
  ::SetBrushOrgEx(target, 0, 0, nullptr);
  for (int frame = 0; frame < frames; ++frame) {
    ::StretchBlt(target, frame * Width(), 0, Width(), Height(), bitMap_.Canvas().Handle(), frame * frameWidth, 0,
                 frameWidth, bitMap_.Height(), SRCCOPY);
  }
  return scaledStrip_;
}

void TciAnimated::Paint(TCanvas& canvas) {
  if (Width() <= 0 || Height() <= 0) return;
  PixelBuffer frame(Width(), Height(), clWhite);
  PaintAnimationFrame(frame, ReadPixels(ShownStrip()), Frame(), transparentColor_, ColorToRGB(Color()));
  DrawPixels(canvas.Handle(), 0, 0, frame);
}

}  // namespace kavrix
