#pragma once
// The installer's message box: like the standard one, but its picture is an animated
// strip from the program's resources. Built at run time, shown modally, destroyed.

#include <string>

#include "installer/layout/MessageLayout.h"
#include "toolkit/Form.h"

namespace kavrix {

enum TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

class TMessageForm : public TForm {
 public:
  explicit TMessageForm(TComponent* owner);

  int HelpContext() const noexcept { return helpContext_; }
  void SetHelpContext(int context) noexcept { helpContext_ = context; }

 private:
  friend TForm* CreateMessageDialog(const std::string&, TMsgDlgType, TMsgDlgButtons);
  void HelpButtonClick(TObject& sender);

  int helpContext_ = 0;
};

// The help file the Help button opens at the dialog's help context; none by default.
extern std::string MessageHelpFile;

// The built, not yet shown dialog, owned by the application.
TForm* CreateMessageDialog(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons);
// Shows the dialog centred on the screen; returns the modal result of the button
// pressed (or of closing the dialog).
int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
// As MessageDlg, with the left edge at x when x >= 0 and the top edge at y when y >= 0.
int MessageDlgPos(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext, int x,
                  int y);

}  // namespace kavrix
