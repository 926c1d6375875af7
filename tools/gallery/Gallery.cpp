// gallery.exe: every appearance component in its states in one window, next to four
// gradient caption forms (active, inactive, a tool window, a dialog with the help
// button). With --screenshot FILE the gallery waits for painting (--wait milliseconds,
// default 1500), writes the screen area of its windows to FILE as a BMP file and exits.

#include <windows.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "GalleryArt.h"
#include "appearance/caption/GradForm.h"
#include "appearance/controls/Backgnd.h"
#include "appearance/controls/Cianimat.h"
#include "appearance/controls/PixelTransfer.h"
#include "appearance/controls/explbtn.h"
#include "toolkit/Application.h"
#include "toolkit/Label.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix::gallery {
namespace {

constexpr int kColumn = 86;
constexpr int kMargin = 8;

struct MenuTraits {
  static HMENU None() noexcept { return nullptr; }
  static bool IsValid(HMENU menu) noexcept { return menu != nullptr; }
  static void Close(HMENU menu) noexcept { ::DestroyMenu(menu); }
};
using UniqueMenu = UniqueResource<HMENU, MenuTraits>;

class TGalleryForm : public TForm {
 public:
  explicit TGalleryForm(TComponent* owner);

 private:
  void AddLabel(const std::string& text, int left, int top);
  TBackground* AddBackground(const std::string& title, int column, TBackStyle style);
  TExplorerButton* AddButton(const std::string& caption, int column);
  void AddBackgrounds();
  void AddButtons();
  void AddAnimations();
  void AddBanner();

  TBitmap icon_;
  TBitmap greyIcon_;
  UniqueMenu menu_;
};

TGalleryForm::TGalleryForm(TComponent* owner) : TForm(owner), menu_(::CreatePopupMenu()) {
  SetCaption("Kavrix appearance gallery");
  SetBorderStyle(bsSingle);
  SetBounds(0, 0, 200, 200);
  SetClientWidth(700);
  SetClientHeight(450);
  SetColor(clBtnFace);
  WritePixels(icon_, ButtonIcon(0x3070E0));
  ::AppendMenuA(menu_.Get(), MF_STRING, 1, "First entry");
  ::AppendMenuA(menu_.Get(), MF_STRING, 2, "Second entry");
  AddBackgrounds();
  AddButtons();
  AddAnimations();
  AddBanner();
}

void TGalleryForm::AddLabel(const std::string& text, int left, int top) {
  auto* label = new TLabel(this);
  label->SetParent(this);
  label->SetCaption(text);
  label->SetLeft(left);
  label->SetTop(top);
}

TBackground* TGalleryForm::AddBackground(const std::string& title, int column, TBackStyle style) {
  const int left = kMargin + column * kColumn;
  AddLabel(title, left, 6);
  auto* background = new TBackground(this);
  background->SetParent(this);
  background->SetBounds(left, 22, 80, 80);
  TBackgndObj& description = background->BackObj();
  description.SetBackStyle(style);
  TGradient& gradient = description.Gradient();
  gradient.SetLineSize(1);
  gradient.SetColor1(clBlue);
  gradient.SetColor2(clNavy);
  gradient.SetColor3(clWhite);
  gradient.SetColorCount(2);
  return background;
}

void TGalleryForm::AddBackgrounds() {
  AddBackground("Lines, horiz.", 0, TBackStyle::bgGradient);
  AddBackground("Lines, vert.", 1, TBackStyle::bgGradient)->BackObj().Gradient().SetLineDirection(TDirection::diVertical);
  TGradient& ellipse = AddBackground("Ellipse", 2, TBackStyle::bgGradient)->BackObj().Gradient();
  ellipse.SetGradientStyle(TGradientStyle::gsEllipse);
  ellipse.SetColor1(clWhite);
  ellipse.SetColor2(clBlue);
  AddBackground("Rectangles", 3, TBackStyle::bgGradient)->BackObj().Gradient().SetGradientStyle(TGradientStyle::gsRect);
  TBackground* custom = AddBackground("Custom rect", 4, TBackStyle::bgGradient);
  TGradient& steps = custom->BackObj().Gradient();
  steps.OnDrawRect = [](TObject*, TCanvas& canvas, const TRect& rect) {
    canvas.SetPenStyle(psSolid);  // the steps come with the pen cleared
    canvas.SetPenColor(clWhite);
    canvas.Rectangle(rect);
  };
  steps.SetLineSize(6);
  steps.SetGradientStyle(TGradientStyle::gsCustomRect);
  AddBackground("Colour", 5, TBackStyle::bgSingleColor)->BackObj().SetColor(0x008080);
  AddBackground("Bitmap", 6, TBackStyle::bgSingleBitmap)->BackObj().SetPicture(Tile());
  AddBackground("Tiled", 7, TBackStyle::bgTileBitmap)->BackObj().SetPicture(Tile());
}

TExplorerButton* TGalleryForm::AddButton(const std::string& caption, int column) {
  const int left = kMargin + column * kColumn;
  auto* button = new TExplorerButton(this);
  button->SetParent(this);
  button->SetBounds(left, 130, 80, 64);
  button->SetCaption(caption);
  button->SetBitmap(icon_);
  button->SetOptions(boShowBevel);
  return button;
}

void TGalleryForm::AddButtons() {
  AddLabel("Explorer buttons: rest, hot, pressed, disabled (embossed and own image), down, grey rest, menu",
           kMargin, 112);
  AddButton("&Rest", 0);
  AddButton("&Hot", 1)->MouseEnter();
  TExplorerButton* pressed = AddButton("&Pressed", 2);
  pressed->MouseEnter();
  pressed->MouseDown(mbLeft, 10, 10);
  AddButton("&Disabled", 3)->SetEnabled(false);
  TExplorerButton* ownImage = AddButton("D&isabled", 4);
  ownImage->SetDisabledBitmap(ownImage->IBitmap());
  ownImage->SetEnabled(false);
  TExplorerButton* down = AddButton("Do&wn", 5);
  down->SetGroupIndex(1);
  down->SetDown(true);
  AddButton("&Grey", 6)->SetOptions(boShowBevel | boMonoDisplay);
  TExplorerButton* menu = AddButton("&Menu", 7);
  menu->SetOptions(boShowBevel | boPopupMark);
  menu->SetDropDownMenu(menu_.Get());
}

void TGalleryForm::AddAnimations() {
  AddLabel("Animation: playing forward, backward with white shown as silver, and its seven frames", kMargin, 206);
  TBitmap strip;
  WritePixels(strip, AnimationStrip());
  auto add = [&](int left) {
    auto* animation = new TciAnimated(this);
    animation->SetParent(this);
    animation->SetBitMap(strip);
    animation->SetBounds(left, 226, 32, 32);
    animation->SetFrameCount(7);
    return animation;
  };
  TciAnimated* forward = add(kMargin);
  forward->SetInterval(120);
  forward->SetPlay(true);
  TciAnimated* backward = add(kMargin + 48);
  backward->SetColor(clSilver);
  backward->SetTransparentColor(static_cast<int>(clWhite));
  backward->SetReverse(true);
  backward->SetInterval(90);
  backward->SetPlay(true);
  for (int frame = 0; frame < 7; ++frame) add(kMargin + 120 + frame * 40)->SetFrame(frame);
}

void TGalleryForm::AddBanner() {
  AddLabel("The installer's backdrop: line gradient with the disabled banner logo", kMargin, 272);
  auto* backdrop = new TBackground(this);
  backdrop->SetParent(this);
  backdrop->SetBounds(kMargin, 290, 684, 150);
  TBackgndObj& description = backdrop->BackObj();
  description.SetBackStyle(TBackStyle::bgGradient);
  TGradient& gradient = description.Gradient();
  gradient.SetLineSize(1);
  gradient.SetColor1(clBlue);
  gradient.SetColor2(clNavy);
  gradient.SetColor3(clBlack);
  gradient.SetColorCount(2);
  TBitmap logo;
  WritePixels(logo, BannerLogo());
  auto* banner = new TExplorerButton(this);
  banner->SetParent(this);
  banner->SetBounds(kMargin + 8, 290 + 8, 353, 57);
  banner->SetEnabled(false);
  banner->SetOptions(boIconOnly);
  banner->SetColor(clBlack);
  banner->SetShowHint(true);
  banner->SetBitmap(logo);
  banner->SetDisabledBitmap(logo);
}

TGradientForm* AddCaptionForm(TApplication& application, const std::string& caption, int top, bool logo) {
  TGradientForm* form = nullptr;
  application.CreateForm(form);
  form->SetCaption(caption);
  form->SetBounds(720, top, 290, 120);
  if (logo) {
    TBitmap picture;
    WritePixels(picture, ButtonIcon(0x30C030));
    form->SetLogo(picture);
  }
  return form;
}

RECT WindowArea(const std::vector<TForm*>& forms) {
  RECT area{};
  for (TForm* form : forms) {
    RECT rect{};
    ::GetWindowRect(form->Handle(), &rect);
    ::UnionRect(&area, &area, &rect);
  }
  return area;
}

void WriteScreenshot(const std::string& fileName, const RECT& area) {
  TBitmap shot;
  shot.SetSize(area.right - area.left, area.bottom - area.top);
  const ScreenDC screen;
  ::BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen.Get(), area.left, area.top, SRCCOPY);
  const std::vector<uint8_t> image = SaveBitmapImage(shot);
  std::ofstream out(fileName, std::ios::binary);
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  if (!out) throw Exception(Format("Cannot write %s", fileName));
}

int Run(const std::vector<std::string>& arguments) {
  std::string screenshot;
  DWORD wait = 1500;
  for (size_t i = 0; i + 1 < arguments.size(); i += 2) {
    if (arguments[i] == "--screenshot") {
      screenshot = arguments[i + 1];
    } else if (arguments[i] == "--wait") {
      wait = static_cast<DWORD>(std::stoul(arguments[i + 1]));
    } else {
      throw Exception(Format("Unknown option %s", arguments[i]));
    }
  }
  TApplication application;
  application.SetTitle("Kavrix gallery");
  TGalleryForm* gallery = nullptr;
  application.CreateForm(gallery);
  TGradientForm* inactive = AddCaptionForm(application, "Inactive, no logo", 150, false);
  // The small caption of a tool window, and a dialog frame's help button.
  TGradientForm* tool = AddCaptionForm(application, "Tool window", 300, false);
  tool->SetBorderStyle(bsToolWindow);
  tool->SetWidth(140);
  TGradientForm* help = AddCaptionForm(application, "Help button", 300, false);
  help->SetBorderStyle(bsDialog);
  help->SetBorderIcons(biSystemMenu | biHelp);
  help->SetBounds(870, 300, 140, 120);
  TGradientForm* active = AddCaptionForm(application, "Active, with logo", 0, true);
  gallery->Show();
  inactive->Show();
  tool->Show();
  help->Show();
  active->Show();
  if (screenshot.empty()) {
    application.Run();
    return 0;
  }
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < wait) {
    application.ProcessMessages();
    ::Sleep(10);
  }
  WriteScreenshot(screenshot, WindowArea({gallery, inactive, tool, help, active}));
  return 0;
}

}  // namespace
}  // namespace kavrix::gallery

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::vector<std::string> arguments(__argv + 1, __argv + __argc);
  try {
    return kavrix::gallery::Run(arguments);
  } catch (const std::exception& e) {
    // A screenshot run has nobody to close a box.
    if (arguments.empty()) ::MessageBoxA(nullptr, e.what(), "Kavrix gallery", MB_ICONERROR);
    std::fprintf(stderr, "gallery: %s\n", e.what());
    return 1;
  }
}
