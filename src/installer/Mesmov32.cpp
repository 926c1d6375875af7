#include "installer/Mesmov32.h"

#include <windows.h>

#include <memory>

#include "appearance/controls/Cianimat.h"
#include "toolkit/Application.h"
#include "toolkit/Button.h"
#include "toolkit/Dpi.h"
#include "toolkit/layout/DpiScale.h"
#include "toolkit/Label.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

struct KindLook {
  const char* caption;
  const char* strip;
  int frames;
  bool reverse;
  uint32_t interval;
};

constexpr KindLook kLooks[] = {
    {"Warning", "EXCLAM", 7, true, 100},
    {"Error", "ERROR", 8, false, 75},
    {"Information", "INFORM", 6, false, 150},
    {"Confirm", "INTERR", 5, false, 175},
};

struct ButtonLook {
  const char* name;
  const char* caption;
  TModalResult result;
};

constexpr ButtonLook kButtons[kMsgDlgButtonKinds] = {
    {"Yes", "&Yes", mrYes},          {"No", "&No", mrNo},          {"OK", "OK", mrOk},
    {"Cancel", "Cancel", mrCancel},  {"Abort", "&Abort", mrAbort}, {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore}, {"All", "&All", mrAll},       {"Help", "&Help", mrNone},
};

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The font's average character size: the width of the 52 letters divided by 52, and
// their height.
TPoint AverageCharSize(const TFont& font) {
  const UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
  const SelectionScope selection(dc.Get(), font.Handle());
  SIZE size{};
  ::GetTextExtentPoint32A(dc.Get(), kAlphabet, 52, &size);
  return {size.cx / 52, size.cy};
}

}  // namespace

std::string MessageHelpFile;

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner) {}

void TMessageForm::HelpButtonClick(TObject&) {
  if (MessageHelpFile.empty()) return;
  ::WinHelpA(Handle(), MessageHelpFile.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(helpContext_));
}

TForm* CreateMessageDialog(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons) {
  auto form = std::make_unique<TMessageForm>(Application);
  form->SetBorderStyle(bsDialog);
  // Measured and laid out at the display's density, not scaled afterwards, so the
  // text block fits the text as the larger font draws it.
  form->SetPixelsPerInch(SystemPixelsPerInch());
  const bool hasPicture = type != mtCustom;
  // The message is measured by the label that shows it, so "&", "&&" and tabs take the
  // room they are drawn in.
  auto* text = new TLabel(form.get());
  text->SetName("Message");
  text->SetParent(form.get());
  text->SetAutoSize(false);
  text->SetWordWrap(true);
  text->SetCaption(message);
  const TPoint charSize = AverageCharSize(form->Font());
  const TPoint textSize = text->TextExtent(::GetSystemMetrics(SM_CXSCREEN) / 2);

  MessageLayoutInput input;
  input.averageCharWidth = charSize.X;
  input.charHeight = charSize.Y;
  input.textWidth = textSize.X;
  input.textHeight = textSize.Y;
  input.hasPicture = hasPicture;
  input.pictureSize = ScaleToDpi(kMessagePictureSize, form->PixelsPerInch());
  input.buttons = buttons;
  form->SetClientWidth(100);
  form->SetClientHeight(100);
  input.frameWidth = form->Width() - 100;
  input.frameHeight = form->Height() - 100;
  input.screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
  input.screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  const MessageLayout layout = LayoutMessage(input);

  form->SetClientWidth(layout.clientWidth);
  form->SetClientHeight(layout.clientHeight);
  form->SetLeft(layout.left);
  form->SetTop(layout.top);
  form->SetCaption(hasPicture ? kLooks[type].caption : Application->Title());

  if (hasPicture) {
    const KindLook& look = kLooks[type];
    auto* picture = new TciAnimated(form.get());
    picture->SetName("Image");
    picture->SetParent(form.get());
    picture->SetBounds(layout.picture->left, layout.picture->top, layout.picture->width, layout.picture->height);
    picture->SetPixelsPerInch(form->PixelsPerInch());
    picture->LoadBitMapResource(look.strip);
    picture->SetFrameCount(look.frames);
    picture->SetReverse(look.reverse);
    picture->SetInterval(look.interval);
    picture->SetLoop(true);
    picture->SetPlay(true);
  }

  text->SetBounds(layout.text.left, layout.text.top, layout.text.width, layout.text.height);

  const std::optional<TMsgDlgBtn> defaultKind = DefaultButton(buttons);
  const std::optional<TMsgDlgBtn> cancelKind = CancelButton(buttons);
  TMessageForm* messageForm = form.get();
  for (const MessageLayout::Button& place : layout.buttonRow) {
    const ButtonLook& look = kButtons[place.kind];
    auto* button = new TButton(form.get());
    button->SetName(look.name);
    button->SetParent(form.get());
    button->SetCaption(look.caption);
    button->SetModalResult(look.result);
    button->SetDefault(place.kind == defaultKind);
    button->SetCancel(place.kind == cancelKind);
    button->SetBounds(place.bounds.left, place.bounds.top, place.bounds.width, place.bounds.height);
    if (place.kind == defaultKind) form->SetActiveControl(button);
    if (place.kind == mbHelp) {
      button->OnClick = [messageForm](TObject& sender) { messageForm->HelpButtonClick(sender); };
    }
  }
  return form.release();
}

int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) {
  return MessageDlgPos(message, type, buttons, helpContext, -1, -1);
}

int MessageDlgPos(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext, int x,
                  int y) {
  const std::unique_ptr<TForm> form(CreateMessageDialog(message, type, buttons));
  static_cast<TMessageForm&>(*form).SetHelpContext(helpContext);
  if (x >= 0) form->SetLeft(x);
  if (y >= 0) form->SetTop(y);
  return form->ShowModal();
}

}  // namespace kavrix
