#pragma once
// The install wizard: six pages (welcome, licence, destination, options, progress,
// finish) behind Next, Back and Cancel. Next on the options page runs the whole
// installation inside the click; Finish starts what the user asked for. However it
// closes, its modal result is mrCancel.

#include <string>

#include "appearance/caption/GradForm.h"
#include "archive/Lzh_btch.h"
#include "installer/layout/ProgressPacing.h"
#include "installer/transaction/InstallTransaction.h"
#include "system/Execfile.h"
#include "system/ShortcutLink.h"
#include "system/regedit.h"
#include "toolkit/Bevel.h"
#include "toolkit/Button.h"
#include "toolkit/CheckBox.h"
#include "toolkit/GroupBox.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Memo.h"
#include "toolkit/Notebook.h"
#include "toolkit/Panel.h"
#include "toolkit/ProgressBar.h"

namespace kavrix {

// The page shown, 0..5: the notebook shows the page named "Page" + PageNo.
extern int PageNo;
// The destination directory: set when page 2 is entered, and again from the hidden
// full-path label when the installation starts.
extern std::string DestDir;

// Removes the files of an earlier installation that the archive may not replace.
void DeleteOldFiles();

class TForm3 : public TGradientForm {
 public:
  explicit TForm3(TComponent* owner);

  // Extraction, shortcut folder, shortcuts and the registry entries after InstallDir,
  // moving the progress bars as it goes.
  void RunInstallation();
  // Removes the four shortcuts if present and makes sure their group folder exists.
  void PrepareShortcutFolder();

  TPanel* Panel1;
  TImage* Image1;
  TNotebook* Notebook1;
  TBevel* Bevel1;
  TButton* Button2;  // Cancel
  TButton* Button3;  // < Back
  TButton* Button1;  // Next > / Finish
  // Page 0
  TImage* Image2;
  // Page 1
  TMemo* Memo1;
  // Page 2
  TGroupBox* GroupBox1;
  TLabel* Label9;   // the destination as displayed
  TButton* Button4;  // Browse...
  TLabel* Label19;  // hidden: the destination's full path
  // Page 3
  TLabel* Label10;
  TCheckBox* CheckBox2;
  TCheckBox* CheckBox3;
  // Page 4
  TLabel* Label12;
  TLabel* Label14;
  TProgressBar* ProgressBar1;
  TProgressBar* ProgressBar2;
  // Page 5
  TCheckBox* CheckBox4;
  TCheckBox* CheckBox1;

  TLZHBatch* LZHBatch1;
  TRegistryEdit* RegistryEdit1;
  TRegistryEdit* RegistryEdit2;
  TShortcutLink* ShortcutLink1;
  TExecFile* ExecFile1;

 protected:
  void CloseRequested() override;

 private:
  void BuildPages();
  TLabel* AddText(TWinControl* parent, int left, int top, int width, const std::string& text);

  void FormCreate(TObject& sender);
  void FormShow(TObject& sender);
  void Button1Click(TObject& sender);
  void Button2Click(TObject& sender);
  void Button3Click(TObject& sender);
  void Button4Click(TObject& sender);
  void LZHBatch1Progress(TObject& sender, const std::string& fileName, int32_t fileBytesWritten, int32_t fileBytes,
                         int32_t totalBytesWritten, int32_t totalBytes, bool& cancel);

  // Shows the page and gives Next the keyboard focus.
  void ShowPage(int page);
  void FocusNext();
  void InstallationSequence();
  void FinishActions();
  void WriteShortcut(const std::string& file, const std::string& target, const std::string& description,
                     const std::string& iconLocation);
  void WriteUninstallEntry();
  void WriteShellVerbs();
  // Tells `transaction` everything the installation is about to change.
  void KeepForRollback(TInstallTransaction& transaction);

  ProgressPacer progressPacer_;
};

extern TForm3* Form3;

}  // namespace kavrix
