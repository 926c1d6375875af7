#include "toolkit/Button.h"

#include "toolkit/Win32Gdi.h"

namespace kavrix {

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "BUTTON";
  params.style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool isDefault) {
  default_ = isDefault;
  // BM_SETSTYLE only changes the thick default frame; Enter is handled by the form.
  if (HandleAllocated()) Perform(BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (modalResult_ != mrNone) {
    if (TForm* form = GetParentForm(*this)) form->SetModalResult(modalResult_);
  }
  TWinControl::Click();
}

void TButton::CommandNotify(uint16_t code) {
  if (code == BN_CLICKED) Click();
}

}  // namespace kavrix
