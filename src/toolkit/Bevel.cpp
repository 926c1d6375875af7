#include "toolkit/Bevel.h"

namespace kavrix {
namespace {

void Line(TCanvas& canvas, TColor color, int x1, int y1, int x2, int y2) {
  canvas.SetPenColor(color);
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

// A one-pixel rectangle outline: top and left in `topLeft`, bottom and right in `bottomRight`.
void Frame(TCanvas& canvas, const TRect& r, TColor topLeft, TColor bottomRight) {
  Line(canvas, topLeft, r.Left, r.Bottom - 1, r.Left, r.Top);
  Line(canvas, topLeft, r.Left, r.Top, r.Right - 1, r.Top);
  Line(canvas, bottomRight, r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
  Line(canvas, bottomRight, r.Right - 1, r.Bottom - 1, r.Left - 1, r.Bottom - 1);
}

}  // namespace

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape shape) {
  if (shape == shape_) return;
  shape_ = shape;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle style) {
  if (style == style_) return;
  style_ = style;
  Invalidate();
}

void TBevel::Paint(TCanvas& canvas) {
  // A lowered edge is dark where light falls (top, left) and light opposite; raised is the reverse.
  const TColor first = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  const TColor second = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  const int w = Width();
  const int h = Height();
  switch (shape_) {
    case bsBox:
      Frame(canvas, {0, 0, w, h}, first, second);
      break;
    case bsFrame:
      // Two offset outlines make an etched (lowered) or embossed (raised) groove.
      Frame(canvas, {1, 1, w, h}, second, second);
      Frame(canvas, {0, 0, w - 1, h - 1}, first, first);
      break;
    case bsTopLine:
      Line(canvas, first, 0, 0, w, 0);
      Line(canvas, second, 0, 1, w, 1);
      break;
    case bsBottomLine:
      Line(canvas, first, 0, h - 2, w, h - 2);
      Line(canvas, second, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      Line(canvas, first, 0, 0, 0, h);
      Line(canvas, second, 1, 0, 1, h);
      break;
    case bsRightLine:
      Line(canvas, first, w - 2, 0, w - 2, h);
      Line(canvas, second, w - 1, 0, w - 1, h);
      break;
    case bsSpacer:
      break;
  }
}

}  // namespace kavrix
