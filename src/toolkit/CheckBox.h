#pragma once
// A check box with its caption to the right; clicking it toggles Checked and raises
// OnClick.

#include "toolkit/WinControl.h"

namespace kavrix {

class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* owner);

  // Read from the window when it exists, so a click by the user is seen at once.
  bool Checked() const;
  // Does not raise OnClick.
  void SetChecked(bool checked);

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void CommandNotify(uint16_t code) override;

 private:
  bool checked_ = false;
};

}  // namespace kavrix
