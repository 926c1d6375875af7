#include "installer/Unit2.h"

#include <windows.h>

#include <chrono>
#include <random>

#include "installer/Product.h"

namespace kavrix {
namespace {

constexpr int kSteps = 100;
constexpr int kLongestStepMs = 149;
constexpr int kPauseBeforeMs = 500;
constexpr int kPauseAfterMs = 200;

}  // namespace

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* owner)
    : TForm(owner),
      SpeedButton1(new TSpeedButton(this)),
      Image1(new TImage(this)),
      Label1(new TLabel(this)),
      Panel1(new TPanel(this)),
      Gauge1(new TGauge(this)) {
  SetBorderStyle(bsNone);
  SetBorderIcons(0);
  SetPosition(poScreenCenter);
  SetCaption("Loading...");
  Font().SetName(kInterfaceFont);
  Font().SetHeight(kInterfaceFontHeight);
  SetClientWidth(249);
  SetClientHeight(77);

  // First on the form, so drawn behind everything: it gives the splash its raised edge.
  SpeedButton1->SetParent(this);
  SpeedButton1->SetBounds(1, 1, 248, 76);
  SpeedButton1->SetAllowAllUp(true);
  SpeedButton1->SetEnabled(false);

  Image1->SetParent(this);
  Image1->SetBounds(8, 8, 32, 32);
  Image1->LoadIconResource(kIconResource);

  Label1->SetParent(this);
  Label1->SetAutoSize(false);
  Label1->SetBounds(48, 11, 193, 29);
  Label1->SetWordWrap(true);
  Label1->SetTransparent(true);
  Label1->SetCaption("Please wait while Kavrix prepares itself for the installation process...");

  Panel1->SetParent(this);
  Panel1->SetBounds(9, 48, 231, 21);
  Panel1->SetBevelOuter(bvNone);
  Panel1->SetBorderStyle(bsSingle);

  Gauge1->SetParent(Panel1);
  Gauge1->SetAlign(alClient);
  Gauge1->SetMinValue(0);
  Gauge1->SetMaxValue(100);
  Gauge1->SetForeColor(clNavy);
  Gauge1->SetBackColor(clWhite);
  Gauge1->SetBorderStyle(bsNone);
  Gauge1->SetShowText(true);
  Gauge1->Font().SetName(kInterfaceFont);
  Gauge1->Font().SetHeight(kInterfaceFontHeight);
  Gauge1->Font().SetStyle(fsBold);
  Gauge1->Font().SetColor(clBlack);
  Gauge1->SetProgress(0);

  OnActivate = [this](TObject& sender) { FormShow(sender); };
}

void TForm2::FormShow(TObject&) {
  std::minstd_rand random(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
  std::uniform_int_distribution<int> stepPause(0, kLongestStepMs);
  Repaint();
  ::Sleep(kPauseBeforeMs);
  for (int step = 1; step <= kSteps; ++step) {
    ::Sleep(static_cast<DWORD>(stepPause(random)));
    Gauge1->SetProgress(step);
  }
  ::Sleep(kPauseAfterMs);
}

}  // namespace kavrix
