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

  TBackground* Background1;
  TLabel* Label1;
  TExplorerButton* ExplorerButton1;
  TPBSystemPath* PBSystemPath1;
  TFileStorage* FileStorage1;

 private:
  void FormShow(TObject& sender);
  void FormActivate(TObject& sender);
  void FormClose(TObject& sender, TCloseAction& action);

  bool wizardShown_ = false;
};

extern TForm1* Form1;

}  // namespace kavrix
