#pragma once
// The "Loading..." splash: a small borderless window whose gauge creeps to 100 % in
// random steps while the program pretends to prepare itself. It does no work; it is a
// pause of about eight seconds, painted by immediate repaints without a message loop.

#include "toolkit/Form.h"
#include "toolkit/Gauge.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/SpeedButton.h"

namespace kavrix {

class TForm2 : public TForm {
 public:
  explicit TForm2(TComponent* owner);

  TSpeedButton* SpeedButton1;
  TImage* Image1;
  TLabel* Label1;
  TPanel* Panel1;
  TGauge* Gauge1;

 private:
  // Wired to activation, not to showing: it runs when the splash becomes active.
  void FormShow(TObject& sender);
};

extern TForm2* Form2;

}  // namespace kavrix
