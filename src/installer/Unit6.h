#pragma once
// "New directory...": creates a directory, named in the edit box, below the list's
// current directory. The name typed last is offered again next time.

#include "appearance/caption/GradForm.h"
#include "toolkit/Button.h"
#include "toolkit/DirectoryList.h"
#include "toolkit/Edit.h"
#include "toolkit/Label.h"

namespace kavrix {

class TForm6 : public TGradientForm {
 public:
  explicit TForm6(TComponent* owner);

  TLabel* Label1;
  TEdit* Edit1;
  TDirectoryListBox* DirectoryListBox1;
  TDriveComboBox* DriveComboBox1;
  TButton* Button1;  // Create
  TButton* Button2;  // Cancel

 private:
  void FormShow(TObject& sender);
  void Button1Click(TObject& sender);
};

extern TForm6* Form6;

}  // namespace kavrix
