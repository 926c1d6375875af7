#pragma once
// The backdrop: a borderless window stretched over the whole screen behind the wizard.
// Creating it reads its saved data, which brings the product archive into FileStorage1,
// where it stays until the program ends. Showing it plays the splash and writes the
// archive to the temporary directory; its first activation runs the wizard; closing it
// deletes the temporary archive and ends the program.

#include <string>

#include "appearance/controls/Backgnd.h"
#include "appearance/controls/explbtn.h"
#include "archive/FStorage.h"
#include "installer/TemporaryArchive.h"
#include "system/PBSystem.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"

struct HINSTANCE__;

namespace kavrix {

class TForm1 : public TForm {
 public:
  // Reads the form's saved data from `module` (null: the running program).
  explicit TForm1(TComponent* owner, HINSTANCE__* module = nullptr);

  // The temporary copy of the archive: Temp followed directly by "setup.qv2".
  std::string TemporaryArchivePath() const;
  // Whether the archive held is the one the program was built with: its digest is the
  // one stored beside it.
  bool PayloadIntact() const;
  // The temporary archive could not be written: the wizard is not shown, and the program
  // ends with a failure.
  bool StartFailed() const noexcept { return startFailed_; }

  TBackground* Background1;
  TLabel* Label1;
  TExplorerButton* ExplorerButton1;
  TPBSystemPath* PBSystemPath1;
  TFileStorage* FileStorage1;

 private:
  void FormShow(TObject& sender);
  void FormActivate(TObject& sender);
  void FormClose(TObject& sender, TCloseAction& action);

  HINSTANCE__* module_;
  TTemporaryArchive temporaryArchive_;
  bool wizardShown_ = false;
  bool startFailed_ = false;
};

extern TForm1* Form1;

}  // namespace kavrix
