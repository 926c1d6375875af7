#include "toolkit/CheckBox.h"

#include "toolkit/Win32Gdi.h"

namespace kavrix {

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetParentColor(true);
  SetBounds(0, 0, 97, 17);
}

void TCheckBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "BUTTON";
  params.style |= BS_AUTOCHECKBOX;
}

void TCheckBox::HandleCreated() { Perform(BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0); }

bool TCheckBox::Checked() const {
  if (!HandleAllocated()) return checked_;
  return ::SendMessageA(const_cast<TCheckBox*>(this)->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
  checked_ = checked;
  if (HandleAllocated()) Perform(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::CommandNotify(uint16_t code) {
  if (code != BN_CLICKED) return;
  checked_ = Checked();
  Click();
}

}  // namespace kavrix
