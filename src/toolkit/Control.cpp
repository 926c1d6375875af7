#include "toolkit/Control.h"

#include "toolkit/WinControl.h"
#include "toolkit/layout/DpiScale.h"

namespace kavrix {

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.OnChange = [this](TFont&) {
    if (!followingParent_) parentFont_ = false;
    FontChanged();
  };
}

TControl::~TControl() {
  font_.OnChange = nullptr;
  SetParent(nullptr);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) {
    // Not Invalidate(): the destructor comes here when the derived parts are gone.
    if (visible_) parent_->InvalidateRect(BoundsRect());
    parent_->RemoveControl(this);
  }
  parent_ = parent;
  if (parent_) {
    parent_->InsertControl(this);
    TakeParentFont();
    TakeParentColor();
    Invalidate();
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  Invalidate();
  UpdateBounds(left, top, width, height);
  Invalidate();
}

void TControl::UpdateBounds(int left, int top, int width, int height) {
  const bool resized = width != width_ || height != height_;
  const bool moved = left != left_ || top != top_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (resized) Resized();
  if ((resized || moved) && parent_ && align_ != alNone) parent_->AlignControls();
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  if (parent_) parent_->AlignControls();
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (parent_) {
    parent_->InvalidateRect(BoundsRect());
    if (align_ != alNone) parent_->AlignControls();
  }
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  EnabledChanged();
}

void TControl::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  TextChanged();
}

void TControl::SetColor(TColor color) {
  parentColor_ = false;
  if (color == color_) return;
  color_ = color;
  ColorChanged();
}

void TControl::SetParentColor(bool parentColor) {
  parentColor_ = parentColor;
  TakeParentColor();
}

void TControl::ChangeScale(int toDpi, int fromDpi) {
  ScaleBounds(toDpi, fromDpi);
  ScaleFont(toDpi, fromDpi);
}

void TControl::ScaleBounds(int toDpi, int fromDpi) {
  const ScaledBounds bounds = ScaleBoundsToDpi(left_, top_, width_, height_, toDpi, fromDpi);
  SetBounds(bounds.left, bounds.top, bounds.width, bounds.height);
}

void TControl::ScaleFont(int toDpi, int fromDpi) {
  if (!parentFont_) font_.SetHeight(ScaleToDpi(font_.Height(), toDpi, fromDpi));
}

void TControl::SetParentFont(bool parentFont) {
  parentFont_ = parentFont;
  TakeParentFont();
}

void TControl::TakeParentFont() {
  if (!parentFont_ || !parent_) return;
  followingParent_ = true;
  font_.Assign(parent_->Font());
  followingParent_ = false;
}

void TControl::TakeParentColor() {
  if (!parentColor_ || !parent_ || parent_->Color() == color_) return;
  color_ = parent_->Color();
  ColorChanged();
}

void TControl::Click() {
  if (OnClick) OnClick(*this);
}

void TGraphicControl::Invalidate() {
  if (Parent() && Visible()) Parent()->InvalidateRect(BoundsRect());
}

void TGraphicControl::Repaint() {
  Invalidate();
  if (Parent()) Parent()->Update();
}

}  // namespace kavrix
