#include "installer/Unit5.h"

#include <windows.h>

#include "installer/DialogForms.h"
#include "installer/Product.h"
#include "installer/Unit6.h"

namespace kavrix {

TForm5* Form5 = nullptr;

TForm5::TForm5(TComponent* owner) : TGradientForm(owner) {
  SetDialogFrame(*this, "Directory...");
  const DirectoryPicker picker = AddDirectoryPicker(*this, 24, 185);
  Label1 = picker.label;
  DirectoryListBox1 = picker.list;
  DriveComboBox1 = picker.drives;
  Label1->SetAutoSize(false);
  Button1 = AddDialogButton(*this, 8, "OK", mrOk);
  Button1->SetDefault(true);
  // An entry picked with the arrow keys is the choice, as one opened by a double click.
  Button1->OnClick = [this](TObject&) { DirectoryListBox1->OpenSelected(); };
  Button2 = AddDialogButton(*this, 40, "Cancel", mrCancel);
  Button2->SetCancel(true);
  BitBtn1 = new TBitBtn(this);
  BitBtn1->SetParent(this);
  BitBtn1->SetBounds(222, 72, 75, 25);
  BitBtn1->SetCaption("&New...");
  BitBtn1->Glyph().LoadFromResourceName(::GetModuleHandleA(nullptr), kNewFolderResource);
  BitBtn1->SetNumGlyphs(2);
  BitBtn1->OnClick = [this](TObject& sender) { BitBtn1Click(sender); };
  OnCreate = [this](TObject&) { SetDialogCaptionColors(*this); };
}

void TForm5::BitBtn1Click(TObject&) {
  DirectoryListBox1->OpenSelected();
  Form6->DirectoryListBox1->SetDirectory(DirectoryListBox1->Directory());
  if (Form6->ShowModal() == mrOk) DirectoryListBox1->SetDirectory(Form6->DirectoryListBox1->Directory());
}

}  // namespace kavrix
