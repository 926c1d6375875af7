#pragma once
// The base of every visual component: a rectangle on a windowed parent with a caption,
// colour, font, visibility and enabled state. Windowless controls (TGraphicControl) are
// painted by their parent; windowed ones (TWinControl) own a window.

#include <cstdint>
#include <string>

#include "foundation/Component.h"
#include "toolkit/Canvas.h"
#include "toolkit/Font.h"
#include "toolkit/Graphics.h"

namespace kavrix {

class TWinControl;

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const noexcept { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const noexcept { return left_; }
  int Top() const noexcept { return top_; }
  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
  void SetTop(int top) { SetBounds(left_, top, width_, height_); }
  void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
  void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const noexcept { return Bounds(left_, top_, width_, height_); }
  // The area children are placed in, in the control's own coordinates.
  virtual TRect ClientRect() const { return {0, 0, width_, height_}; }

  TAlign Align() const noexcept { return align_; }
  void SetAlign(TAlign align);

  bool Visible() const noexcept { return visible_; }
  virtual void SetVisible(bool visible);
  bool Enabled() const noexcept { return enabled_; }
  virtual void SetEnabled(bool enabled);

  const std::string& Caption() const noexcept { return caption_; }
  void SetCaption(const std::string& caption);

  TColor Color() const noexcept { return color_; }
  void SetColor(TColor color);
  // While set, the control takes its parent's colour (and follows it).
  bool ParentColor() const noexcept { return parentColor_; }
  void SetParentColor(bool parentColor);

  // Changing the font clears ParentFont.
  TFont& Font() noexcept { return font_; }
  const TFont& Font() const noexcept { return font_; }
  bool ParentFont() const noexcept { return parentFont_; }
  void SetParentFont(bool parentFont);

  // Marks the control for painting by the next paint cycle.
  virtual void Invalidate() = 0;
  // Paints the control now, without waiting for the message loop.
  virtual void Repaint() = 0;

  // The tool tip text, shown while the mouse rests on the control when ShowHint is set.
  const std::string& Hint() const noexcept { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  bool ShowHint() const noexcept { return showHint_; }
  void SetShowHint(bool showHint) { showHint_ = showHint; }

  // What a mouse click or its keyboard equivalent does: raises OnClick.
  virtual void Click();
  TNotifyEvent OnClick;

  // Mouse input in the control's own coordinates. A windowless control gets it from its
  // parent: the control under the cursor, or the one that took the press until release.
  virtual void MouseDown(TMouseButton, int /*x*/, int /*y*/) {}
  virtual void MouseUp(TMouseButton, int /*x*/, int /*y*/) {}
  virtual void MouseMove(int /*x*/, int /*y*/) {}
  // The cursor came onto, or went off, the control.
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}
  // An Alt+key (or plain key in a dialog) that may be this control's accelerator; true
  // when the control took it.
  virtual bool DialogChar(char /*key*/) { return false; }

  // Carries the control from one display density to another (dots per inch): its
  // bounds and, unless it follows its parent's, its font.
  virtual void ChangeScale(int toDpi, int fromDpi);

 protected:
  virtual void TextChanged() { Invalidate(); }
  virtual void ColorChanged() { Invalidate(); }
  virtual void FontChanged() { Invalidate(); }
  virtual void EnabledChanged() { Invalidate(); }
  // Called after the bounds changed by any means.
  virtual void Resized() {}
  // Records bounds the system has already applied.
  void UpdateBounds(int left, int top, int width, int height);
  // The two halves of ChangeScale.
  void ScaleBounds(int toDpi, int fromDpi);
  void ScaleFont(int toDpi, int fromDpi);

 private:
  friend class TWinControl;
  void TakeParentFont();
  void TakeParentColor();

  TWinControl* parent_ = nullptr;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  TAlign align_ = alNone;
  bool visible_ = true;
  bool enabled_ = true;
  std::string caption_;
  std::string hint_;
  bool showHint_ = false;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;
  TFont font_;
  bool parentFont_ = true;
  bool followingParent_ = false;
};

// A control without a window of its own, painted by its parent after the parent's
// background, in the order the controls were added.
class TGraphicControl : public TControl {
 public:
  using TControl::TControl;

  // Draws the control; the canvas' origin is the control's top-left corner and drawing
  // is clipped to the control.
  virtual void Paint(TCanvas& canvas) = 0;

  void Invalidate() override;
  void Repaint() override;
};

}  // namespace kavrix
