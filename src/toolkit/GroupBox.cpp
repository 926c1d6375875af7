#include "toolkit/GroupBox.h"

#include "toolkit/Win32Gdi.h"

namespace kavrix {

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner) {
  SetParentColor(true);
  SetBounds(0, 0, 185, 105);
}

void TGroupBox::Paint(TCanvas& canvas) {
  canvas.SetBrushColor(Color());
  canvas.FillRect({0, 0, Width(), Height()});
  canvas.Font().Assign(Font());
  const int textHeight = canvas.TextHeight("0");
  RECT frame{0, textHeight / 2, Width(), Height()};
  ::DrawEdge(canvas.Handle(), &frame, EDGE_ETCHED, BF_RECT);
  if (Caption().empty()) return;
  // The caption interrupts the frame's top line.
  TRect text{8, 0, Width() - 8, textHeight};
  canvas.DrawText(text, Caption(), tfSingleLine | tfCalcRect);
  if (!Enabled()) canvas.Font().SetColor(clGrayText);
  canvas.DrawText(text, Caption(), tfSingleLine);
}

}  // namespace kavrix
