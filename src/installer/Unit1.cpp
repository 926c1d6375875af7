#include "installer/Unit1.h"

#include <windows.h>

#include "archive/PayloadForm.h"
#include "foundation/ErrorBox.h"
#include "installer/FileSystem.h"
#include "installer/PayloadCheck.h"
#include "installer/Product.h"
#include "installer/Unit2.h"
#include "installer/Unit3.h"
#include "toolkit/Application.h"
#include "toolkit/FormResource.h"

namespace kavrix {
namespace {

constexpr char kNotice[] = "Quorvel 2.0 Kavrix. Copyright (C) 2026 Veddal. All rights reserved.";
constexpr int kNoticeMargin = 8;
constexpr int kWizardPauseMs = 500;

}  // namespace

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* owner, HINSTANCE__* module)
    : TForm(owner),
      Background1(new TBackground(this)),
      Label1(new TLabel(this)),
      ExplorerButton1(new TExplorerButton(this)),
      PBSystemPath1(new TPBSystemPath(this)),
      FileStorage1(new TFileStorage(this)),
      module_(module) {
  SetName(kPayloadFormName);
  SetBorderStyle(bsNone);
  SetBorderIcons(biSystemMenu | biMinimize);
  SetWindowState(wsMaximized);
  SetColor(clNavy);
  SetCaption(kApplicationTitle);
  Font().SetName(kInterfaceFont);
  Font().SetHeight(kInterfaceFontHeight);

  Background1->SetParent(this);
  TBackgndObj& back = Background1->BackObj();
  back.SetBackStyle(TBackStyle::bgGradient);
  TGradient& gradient = back.Gradient();
  gradient.SetGradientStyle(TGradientStyle::gsLine);
  gradient.SetLineSize(1);
  gradient.SetLineDirection(TDirection::diHorizonal);
  gradient.SetColorCount(2);
  gradient.SetColor1(clBlue);
  gradient.SetColor2(clNavy);
  gradient.SetColor3(clBlack);
  gradient.SetColor4(clWhite);
  gradient.SetColor5(clBlack);

  Label1->SetParent(this);
  Label1->SetTransparent(true);
  Label1->Font().SetColor(clWhite);
  Label1->SetCaption(kNotice);

  ExplorerButton1->SetParent(this);
  ExplorerButton1->SetBounds(8, 8, 353, 57);
  ExplorerButton1->SetOptions(TExplorerButtonOptions{boIconOnly});
  ExplorerButton1->SetColor(clBlack);
  ExplorerButton1->SetShowHint(true);
  ExplorerButton1->SetEnabled(false);

  FileStorage1->SetName(kPayloadStorageName);
  OnShow = [this](TObject& sender) { FormShow(sender); };
  OnActivate = [this](TObject& sender) { FormActivate(sender); };
  OnClose = [this](TObject& sender, TCloseAction& action) { FormClose(sender, action); };

  ReadFormResource(module, kPayloadFormClass, *this);
  // The logo travels in the same module as the form's data.
  ExplorerButton1->Bitmap().LoadFromResourceName(module, kLogoResource);
  ExplorerButton1->DisabledBitmap().LoadFromResourceName(module, kLogoResource);
}

std::string TForm1::TemporaryArchivePath() const { return PBSystemPath1->Temp() + kTemporaryArchiveName; }

bool TForm1::PayloadIntact() const {
  const std::optional<Sha256Digest> stored = StoredPayloadDigest(module_);
  return stored && HasDigest(FileStorage1->Data(), *stored);
}

void TForm1::FormShow(TObject&) {
  Form2->Show();
  Form2->Close();
  // The whole screen in pixels, taskbar included: the backdrop hides the desktop.
  SetBounds(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
  Background1->SetBounds(0, 0, ClientWidth(), ClientHeight());
  Label1->SetLeft(ClientWidth() - Label1->Width() - kNoticeMargin);
  Label1->SetTop(ClientHeight() - Label1->Height() - kNoticeMargin);
  // Whatever lay at that path before is never installed: the archive is written anew,
  // read back against the payload's digest, and held until the program ends.
  try {
    temporaryArchive_.Write(TemporaryArchivePath(), FileStorage1->Data(), StoredPayloadDigest(module_));
  } catch (const Exception& e) {
    startFailed_ = true;
    ShowErrorBox(e.what(), kApplicationTitle);
    Application->Terminate();
  }
}

void TForm1::FormActivate(TObject&) {
  // The backdrop becomes active again when the wizard closes; the wizard runs once.
  if (wizardShown_ || startFailed_) return;
  wizardShown_ = true;
  Repaint();
  ::Sleep(kWizardPauseMs);
  if (Form3->ShowModal() == mrCancel) Application->Terminate();
  Close();
}

void TForm1::FormClose(TObject&, TCloseAction&) { temporaryArchive_.Remove(); }

}  // namespace kavrix
