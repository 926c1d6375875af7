#pragma once
// A windowless button with a glyph and caption. Buttons sharing a GroupIndex on one
// parent act as a set: pressing one puts it down and lets the others up. A flat button
// shows its edge only while the mouse is on it or it is down.

#include "toolkit/Bitmap.h"
#include "toolkit/Control.h"

namespace kavrix {

class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* owner);

  bool Flat() const noexcept { return flat_; }
  void SetFlat(bool flat);
  // With a group: whether the button that is down can be pressed up again, leaving
  // none of the group down.
  bool AllowAllUp() const noexcept { return allowAllUp_; }
  void SetAllowAllUp(bool allowAllUp);
  // 0: no group, the button never stays down.
  int GroupIndex() const noexcept { return groupIndex_; }
  void SetGroupIndex(int groupIndex);
  bool Down() const noexcept { return down_; }
  void SetDown(bool down);
  // Drawn left of the caption, its bottom-left pixel's colour transparent; greyed when
  // the button is disabled. Call Invalidate after changing it.
  TBitmap& Glyph() noexcept { return glyph_; }

  void Paint(TCanvas& canvas) override;
  void MouseDown(TMouseButton button, int x, int y) override;
  void MouseUp(TMouseButton button, int x, int y) override;
  void MouseMove(int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  void SetPressed(bool pressed);

  TBitmap glyph_;
  bool flat_ = false;
  bool allowAllUp_ = false;
  int groupIndex_ = 0;
  bool down_ = false;
  bool pressed_ = false;   // the mouse holds the button
  bool tracking_ = false;  // a press began on the button
  bool hot_ = false;       // the mouse is on the button
};

}  // namespace kavrix
