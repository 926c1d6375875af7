#pragma once
// What the wizard and the two directory dialogs share: their gradient caption, and the
// dialogs' frame, buttons and directory picker.

#include <string>

#include "appearance/caption/GradForm.h"
#include "toolkit/Button.h"
#include "toolkit/DirectoryList.h"
#include "toolkit/Label.h"

namespace kavrix {

// The caption colours and font rules every installer window sets when created.
void SetDialogCaptionColors(TGradientForm& form);
// A fixed single frame without border icons, centred, 305 x 247 inside.
void SetDialogFrame(TGradientForm& form, const std::string& caption);
// A 75 x 25 button in the right-hand column.
TButton* AddDialogButton(TForm& form, int top, const std::string& caption, TModalResult result);

struct DirectoryPicker {
  TLabel* label;
  TDirectoryListBox* list;
  TDriveComboBox* drives;
};
// The directory label above a list of the given top and height, the drive list below,
// all linked.
DirectoryPicker AddDirectoryPicker(TForm& form, int listTop, int listHeight);

}  // namespace kavrix
