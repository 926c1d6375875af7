#pragma once
// Text boxes over the system's edit control; TEdit holds one line (TMemo several). The
// text is kept by the control while it has no window and read back from the window
// when it has one, so typing is seen at once and survives the window being remade.

#include <string>

#include "toolkit/WinControl.h"

namespace kavrix {

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* owner);

  std::string Text() const;
  virtual void SetText(const std::string& text);
  bool ReadOnly() const noexcept { return readOnly_; }
  void SetReadOnly(bool readOnly);
  // Selects the whole text, so what the user types next replaces it.
  void SelectAll();

  // Raised when the window's text changed, by typing or by SetText.
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CommandNotify(uint16_t code) override;
  void TextChanged() override;

 private:
  bool readOnly_ = false;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* owner);

 protected:
  void CreateParams(TCreateParams& params) override;
};

}  // namespace kavrix
