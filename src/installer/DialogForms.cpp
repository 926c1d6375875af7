#include "installer/DialogForms.h"

#include "installer/Product.h"

namespace kavrix {

void SetDialogCaptionColors(TGradientForm& form) {
  form.SetCaptionTextColor(clCaptionText);
  form.SetInactiveCaptionTextColor(clInactiveCaptionText);
  form.SetGradientColors(512);
  form.SetGradientInactiveStartColor(clInactiveCaption);
  form.SetGradientInactiveStopColor(clBlack);
  form.SetGradientStartColor(clActiveCaption);
  form.SetGradientStopColor(clBlack);
  form.SetUseDithering(true);
  form.SetUseSystemCaptionFont(false);
  form.SetUseWin98Gradient(false);
}

void SetDialogFrame(TGradientForm& form, const std::string& caption) {
  form.SetBorderStyle(bsSingle);
  form.SetBorderIcons(0);
  form.SetPosition(poScreenCenter);
  form.SetCaption(caption);
  form.Font().SetName(kInterfaceFont);
  form.Font().SetHeight(kInterfaceFontHeight);
  form.SetClientWidth(305);
  form.SetClientHeight(247);
}

TButton* AddDialogButton(TForm& form, int top, const std::string& caption, TModalResult result) {
  auto* button = new TButton(&form);
  button->SetParent(&form);
  button->SetBounds(222, top, 75, 25);
  button->SetCaption(caption);
  button->SetModalResult(result);
  return button;
}

DirectoryPicker AddDirectoryPicker(TForm& form, int listTop, int listHeight) {
  DirectoryPicker picker{new TLabel(&form), new TDirectoryListBox(&form), new TDriveComboBox(&form)};
  picker.label->SetParent(&form);
  picker.label->SetBounds(8, 8, 201, 13);
  picker.list->SetParent(&form);
  picker.list->SetBounds(8, listTop, 201, listHeight);
  picker.list->SetItemHeight(16);
  picker.list->SetDirLabel(picker.label);
  picker.drives->SetParent(&form);
  picker.drives->SetBounds(8, 216, 201, picker.drives->Height());
  picker.drives->SetDirList(picker.list);
  return picker;
}

}  // namespace kavrix
