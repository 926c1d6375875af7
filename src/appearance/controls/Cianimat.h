#pragma once
// A small control that plays an animation kept as one bitmap strip of frames side by
// side, each as wide as the control, stepping on a timer forward or backward, once or
// in a loop.

#include <memory>
#include <string>

#include "appearance/render/FrameAnimation.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Control.h"
#include "toolkit/Timer.h"
#include "toolkit/layout/DpiScale.h"

struct HINSTANCE__;

namespace kavrix {

class TciAnimated : public TGraphicControl {
 public:
  explicit TciAnimated(TComponent* owner);
  ~TciAnimated() override;

  TBitmap& BitMap() noexcept { return bitMap_; }
  // Copies the strip; the control takes its height (30 for an empty strip).
  void SetBitMap(TBitmap& value);
  // Loads the strip from the BITMAP resource `name` of `module` (null: the running
  // program), drawn for the density nearest the control's where the module carries more
  // than one. A resource that does not exist leaves an empty strip, which shows white.
  void LoadBitMapResource(const std::string& name, HINSTANCE__* module = nullptr);

  int FrameCount() const noexcept { return animation_.FrameCount(); }
  void SetFrameCount(int value) { animation_.SetFrameCount(value); }
  int Frame() const noexcept { return animation_.Frame(); }
  // Negative values select the last frame, others wrap; a real change fires
  // OnChangeFrame and invalidates.
  void SetFrame(int value) { animation_.SetFrame(value); }
  int Interval() const noexcept { return animation_.Interval(); }
  void SetInterval(int value) { animation_.SetInterval(value); }
  bool Play() const noexcept { return animation_.Play(); }
  void SetPlay(bool value) { animation_.SetPlay(value); }
  bool Loop() const noexcept { return animation_.Loop(); }
  void SetLoop(bool value) { animation_.SetLoop(value); }
  bool Reverse() const noexcept { return animation_.Reverse(); }
  void SetReverse(bool value) { animation_.SetReverse(value); }
  // The strip's colour shown as the control's Color instead; negative: none.
  int TransparentColor() const noexcept { return transparentColor_; }
  void SetTransparentColor(int value);

  // The timer that steps the frames; null while not playing or without a positive
  // Interval.
  TTimer* FrameTimer() const noexcept { return frameTimer_.get(); }

  TNotifyEvent OnChangeFrame;

  // The density the control is shown at. At another than 96 DPI a strip whose frames are
  // not the control's size (drawn for 96 DPI, or for another density) is resampled, frame
  // by frame, to FrameCount frames as large as the control.
  int PixelsPerInch() const noexcept { return pixelsPerInch_; }
  void SetPixelsPerInch(int dpi);
  void ChangeScale(int toDpi, int fromDpi) override;

  void Paint(TCanvas& canvas) override;

 private:
  void RestartTimer(int interval);
  // The strip as painted: BitMap, or its frames fitted to the control's size.
  TBitmap& ShownStrip();

  TBitmap bitMap_;
  TBitmap scaledStrip_;
  FrameAnimation animation_;
  int transparentColor_ = -1;
  int pixelsPerInch_ = kDesignDpi;
  std::unique_ptr<TTimer> frameTimer_;
  std::unique_ptr<TTimer> retiredTimer_;  // stopped, freed at the next change or with the control
};

}  // namespace kavrix
