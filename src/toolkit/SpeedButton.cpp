#include "toolkit/SpeedButton.h"

#include "toolkit/GlyphDraw.h"
#include "toolkit/Win32Gdi.h"
#include "toolkit/WinControl.h"

namespace kavrix {

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 23, 22); }

void TSpeedButton::SetFlat(bool flat) {
  if (flat == flat_) return;
  flat_ = flat;
  Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool allowAllUp) { allowAllUp_ = allowAllUp; }

void TSpeedButton::SetGroupIndex(int groupIndex) {
  groupIndex_ = groupIndex;
  if (groupIndex_ == 0) SetDown(false);
}

void TSpeedButton::SetDown(bool down) {
  if (groupIndex_ == 0) down = false;
  if (down == down_) return;
  if (!down && !allowAllUp_) {
    // The last button of a group that must keep one down stays down.
    return;
  }
  down_ = down;
  Invalidate();
  if (!down_ || !Parent()) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
    if (other && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
      other->down_ = false;
      other->Invalidate();
    }
  }
}

void TSpeedButton::SetPressed(bool pressed) {
  if (pressed == pressed_) return;
  pressed_ = pressed;
  Invalidate();
}

void TSpeedButton::MouseDown(TMouseButton button, int, int) {
  if (button != mbLeft || !Enabled()) return;
  tracking_ = true;
  SetPressed(true);
}

void TSpeedButton::MouseMove(int x, int y) {
  if (tracking_) SetPressed(x >= 0 && y >= 0 && x < Width() && y < Height());
}

void TSpeedButton::MouseUp(TMouseButton button, int x, int y) {
  if (button != mbLeft || !tracking_) return;
  tracking_ = false;
  SetPressed(false);
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  if (groupIndex_ != 0) SetDown(!down_ || !allowAllUp_);
  Click();
}

void TSpeedButton::MouseEnter() {
  hot_ = true;
  if (flat_ && Enabled()) Invalidate();
}

void TSpeedButton::MouseLeave() {
  hot_ = false;
  if (flat_) Invalidate();
}

void TSpeedButton::Paint(TCanvas& canvas) {
  HDC dc = canvas.Handle();
  RECT face{0, 0, Width(), Height()};
  const bool sunken = down_ || pressed_;
  canvas.SetBrushColor(Color());
  canvas.FillRect({0, 0, Width(), Height()});
  if (!flat_) {
    ::DrawEdge(dc, &face, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  } else if (sunken || (hot_ && Enabled())) {
    ::DrawEdge(dc, &face, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
  }
  const int offset = sunken ? 1 : 0;
  canvas.Font().Assign(Font());
  const TPoint textSize = Caption().empty() ? TPoint{} : canvas.TextExtent(Caption());
  const int spacing = !glyph_.Empty() && !Caption().empty() ? 4 : 0;
  const int contentWidth = glyph_.Width() + spacing + textSize.X;
  int x = (Width() - contentWidth) / 2 + offset;
  if (!glyph_.Empty()) {
    const int y = (Height() - glyph_.Height()) / 2 + offset;
    const TRect whole{0, 0, glyph_.Width(), glyph_.Height()};
    if (Enabled()) {
      DrawTransparent(dc, {x, y, x + glyph_.Width(), y + glyph_.Height()}, glyph_, whole, TransparentColorOf(glyph_));
    } else {
      DrawDisabled(dc, x, y, glyph_, whole, TransparentColorOf(glyph_));
    }
    x += glyph_.Width() + spacing;
  }
  if (Caption().empty()) return;
  canvas.SetBrushStyle(bsClear);
  TRect text{x, (Height() - textSize.Y) / 2 + offset, x + textSize.X, (Height() + textSize.Y) / 2 + offset};
  if (!Enabled()) {
    canvas.Font().SetColor(clBtnHighlight);
    TRect shadow{text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1};
    canvas.DrawText(shadow, Caption(), tfSingleLine);
    canvas.Font().SetColor(clBtnShadow);
  }
  canvas.DrawText(text, Caption(), tfSingleLine);
  canvas.SetBrushStyle(bsSolid);
}

}  // namespace kavrix
