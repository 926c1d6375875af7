#include "toolkit/Panel.h"

#include "system/CallbackGuard.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 185, 41); }

void TPanel::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  if (borderStyle_ == bsSingle) params.exStyle |= WS_EX_CLIENTEDGE;
}

void TPanel::SetBevelOuter(TPanelBevel bevel) {
  if (bevel == bevelOuter_) return;
  bevelOuter_ = bevel;
  AlignControls();
  Invalidate();
}

void TPanel::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  if (HandleAllocated()) {
    TCreateParams params;
    CreateParams(params);
    ::SetWindowLongA(Handle(), GWL_EXSTYLE, static_cast<LONG>(params.exStyle));
    ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RethrowCallbackException();
  }
  AlignControls();
}

TRect TPanel::ClientRect() const {
  TRect rect = TCustomControl::ClientRect();
  // Without a window the edge is not subtracted by the system yet.
  if (!HandleAllocated() && borderStyle_ == bsSingle) {
    const int edge = ::GetSystemMetrics(SM_CXEDGE);
    rect = {0, 0, rect.Width() - 2 * edge, rect.Height() - 2 * edge};
  }
  if (bevelOuter_ != bvNone) rect = {rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1};
  return rect;
}

void TPanel::Paint(TCanvas& canvas) {
  const TRect client = TCustomControl::ClientRect();
  canvas.SetBrushColor(Color());
  canvas.FillRect(client);
  if (bevelOuter_ != bvNone) {
    RECT edge{client.Left, client.Top, client.Right, client.Bottom};
    ::DrawEdge(canvas.Handle(), &edge, bevelOuter_ == bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
  }
  if (!Caption().empty()) {
    canvas.Font().Assign(Font());
    canvas.SetBrushStyle(bsClear);
    TRect text = client;
    canvas.DrawText(text, Caption(), tfCenter | tfVerticalCenter | tfSingleLine);
    canvas.SetBrushStyle(bsSolid);
  }
}

}  // namespace kavrix
