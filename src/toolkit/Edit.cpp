#include "toolkit/Edit.h"

#include <vector>

#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

std::string WindowText(HWND window) {
  std::vector<char> text(static_cast<size_t>(::GetWindowTextLengthA(window)) + 1);
  const int length = ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  return std::string(text.data(), static_cast<size_t>(length > 0 ? length : 0));
}

}  // namespace

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetColor(clWindow);
}

void TCustomEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "EDIT";
  params.exStyle |= WS_EX_CLIENTEDGE;
  if (readOnly_) params.style |= ES_READONLY;
}

std::string TCustomEdit::Text() const {
  return HandleAllocated() ? WindowText(const_cast<TCustomEdit*>(this)->Handle()) : Caption();
}

void TCustomEdit::SetText(const std::string& text) {
  SetCaption(text);
  TextChanged();  // also when the caption was equal but the user has typed since
}

void TCustomEdit::TextChanged() {
  // Setting the same text again would move the caret while the user types.
  if (HandleAllocated() && WindowText(Handle()) != Caption()) TWinControl::TextChanged();
}

void TCustomEdit::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  if (HandleAllocated()) Perform(EM_SETREADONLY, readOnly, 0);
}

void TCustomEdit::SelectAll() { Perform(EM_SETSEL, 0, -1); }

void TCustomEdit::CommandNotify(uint16_t code) {
  if (code != EN_CHANGE) return;
  // The caption follows the window, so the text outlives a remade window.
  SetCaption(WindowText(Handle()));
  if (OnChange) OnChange(*this);
}

TEdit::TEdit(TComponent* owner) : TCustomEdit(owner) { SetBounds(0, 0, 121, 21); }

void TEdit::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  params.style |= ES_AUTOHSCROLL;
}

}  // namespace kavrix
