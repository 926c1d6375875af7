#include "installer/Unit6.h"

#include "installer/DialogForms.h"
#include "installer/FileSystem.h"

namespace kavrix {

TForm6* Form6 = nullptr;

TForm6::TForm6(TComponent* owner) : TGradientForm(owner) {
  SetDialogFrame(*this, "New directory...");
  // Made first, so Tab reaches the name box first, as it is read.
  Edit1 = new TEdit(this);
  Edit1->SetParent(this);
  Edit1->SetBounds(8, 24, 201, 21);
  Edit1->SetText("\\");
  const DirectoryPicker picker = AddDirectoryPicker(*this, 48, 161);
  Label1 = picker.label;
  DirectoryListBox1 = picker.list;
  DriveComboBox1 = picker.drives;
  Label1->SetAutoSize(true);
  Button1 = AddDialogButton(*this, 8, "&Create", mrOk);
  Button1->SetDefault(true);
  Button1->OnClick = [this](TObject& sender) { Button1Click(sender); };
  Button2 = AddDialogButton(*this, 40, "Cancel", mrCancel);
  Button2->SetCancel(true);
  OnCreate = [this](TObject&) { SetDialogCaptionColors(*this); };
  OnShow = [this](TObject& sender) { FormShow(sender); };
}

void TForm6::FormShow(TObject&) {
  // Typing goes to the name, replacing the one offered.
  SetActiveControl(Edit1);
  Edit1->SelectAll();
}

void TForm6::Button1Click(TObject&) {
  const std::string name = Edit1->Text();
  if (name.empty() || name == "\\") return;
  DirectoryListBox1->OpenSelected();
  std::string path = DirectoryListBox1->Directory();
  // A leading backslash names the same directory as none; at a drive root the list's
  // directory already ends in one, and the doubled backslash is collapsed.
  const std::string relative = name.front() == '\\' ? name.substr(1) : name;
  if (path.back() != '\\') path += '\\';
  path += relative;
  CreateDirectoryOrRaise(path);
  DirectoryListBox1->SetDirectory(path);
}

}  // namespace kavrix
