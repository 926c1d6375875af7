#pragma once
// A push button. Pressing it sets its form's ModalResult to the button's own (when that
// is not mrNone) and then raises OnClick, so a modal form closes once the handler returns.

#include "toolkit/Form.h"
#include "toolkit/WinControl.h"

namespace kavrix {

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);

  TModalResult ModalResult() const noexcept { return modalResult_; }
  void SetModalResult(TModalResult result) noexcept { modalResult_ = result; }
  // Pressed by Enter anywhere on its form unless another button has the focus.
  bool Default() const noexcept { return default_; }
  void SetDefault(bool isDefault);
  // Pressed by Escape anywhere on its form.
  bool Cancel() const noexcept { return cancel_; }
  void SetCancel(bool isCancel) noexcept { cancel_ = isCancel; }

  void Click() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CommandNotify(uint16_t code) override;

 private:
  TModalResult modalResult_ = mrNone;
  bool default_ = false;
  bool cancel_ = false;
};

}  // namespace kavrix
