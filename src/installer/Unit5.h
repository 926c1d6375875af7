#pragma once
// "Directory...": chooses the destination from a directory list with its drive list;
// "&New..." creates a directory below the current one.

#include "appearance/caption/GradForm.h"
#include "toolkit/BitBtn.h"
#include "toolkit/Button.h"
#include "toolkit/DirectoryList.h"
#include "toolkit/Label.h"

namespace kavrix {

class TForm5 : public TGradientForm {
 public:
  explicit TForm5(TComponent* owner);

  TLabel* Label1;  // the list's directory, shortened to fit
  TDirectoryListBox* DirectoryListBox1;
  TDriveComboBox* DriveComboBox1;
  TButton* Button1;  // OK
  TButton* Button2;  // Cancel
  TBitBtn* BitBtn1;  // New...

 private:
  void BitBtn1Click(TObject& sender);
};

extern TForm5* Form5;

}  // namespace kavrix
