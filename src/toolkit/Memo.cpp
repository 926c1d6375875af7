#include "toolkit/Memo.h"

#include "toolkit/Win32Gdi.h"

namespace kavrix {

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner) { SetBounds(0, 0, 185, 89); }

void TMemo::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  params.style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (wantReturns_) params.style |= ES_WANTRETURN;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) params.style |= WS_VSCROLL;
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) params.style |= WS_HSCROLL | ES_AUTOHSCROLL;
}

void TMemo::SetText(const std::string& text) {
  // The edit control breaks lines only at "\r\n".
  std::string lines;
  lines.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) lines += '\r';
    lines += text[i];
  }
  TCustomEdit::SetText(lines);
}

void TMemo::SetScrollBars(TScrollStyle scrollBars) {
  if (scrollBars == scrollBars_) return;
  scrollBars_ = scrollBars;
  RecreateHandle();
}

void TMemo::SetWantReturns(bool wantReturns) {
  if (wantReturns == wantReturns_) return;
  wantReturns_ = wantReturns;
  RecreateHandle();
}

intptr_t TMemo::WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message != WM_GETDLGCODE) return TCustomEdit::WndProc(message, wParam, lParam);
  // A multi-line edit asks for every key; Tab moves on to the next control as in any
  // dialog, and Enter goes to the form's default button unless the memo wants returns.
  intptr_t code = TCustomEdit::WndProc(message, wParam, lParam);
  const auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (msg && msg->message == WM_KEYDOWN &&
      (msg->wParam == VK_TAB || (msg->wParam == VK_RETURN && !wantReturns_))) {
    code &= ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
  }
  return code & ~DLGC_WANTTAB;
}

}  // namespace kavrix
