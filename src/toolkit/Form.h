#pragma once
// A top-level window holding controls: framed or bare, shown modelessly or modally, with
// keyboard defaults (Enter presses the default button, Escape the cancel button).

#include <cstdint>
#include <functional>

#include "foundation/Exceptions.h"
#include "toolkit/CustomControl.h"
#include "toolkit/layout/DpiScale.h"

namespace kavrix {

// The tool-window styles have the small caption and only a close button.
enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// Framed controls use the first two values.
using TBorderStyle = TFormBorderStyle;

// biHelp shows the help button of a dialog frame, or of a single or sizeable one without
// minimise and maximise boxes (the system shows it nowhere else).
enum TBorderIcon : uint8_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
// A set of TBorderIcon bits.
using TBorderIcons = uint8_t;

enum TPosition : uint8_t { poDesigned, poScreenCenter };

enum TCloseAction : uint8_t { caNone, caHide, caMinimize };

enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;

using TCloseEvent = std::function<void(TObject& sender, TCloseAction& action)>;

class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

class TForm : public TCustomControl {
 public:
  explicit TForm(TComponent* owner);

  TFormBorderStyle BorderStyle() const noexcept { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TBorderIcons BorderIcons() const noexcept { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons);
  TPosition Position() const noexcept { return position_; }
  void SetPosition(TPosition position) noexcept { position_ = position; }
  // Applied when the form is shown, and at once to a visible form.
  TWindowState WindowState() const noexcept { return windowState_; }
  void SetWindowState(TWindowState state);

  TRect ClientRect() const override;
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  void SetClientWidth(int width);
  void SetClientHeight(int height);

  // Raises OnShow, places the form by Position and makes it visible and active.
  void Show();
  void Hide();
  // A modal form ends its modal loop with mrCancel (unless a result is set); otherwise
  // OnClose decides: hide (the default), minimise, or stay. Closing the application's
  // main form ends the application.
  void Close();
  // Shows the form, disables the thread's other windows and handles messages until
  // ModalResult is set and OnClose accepts; returns ModalResult. Raises
  // EInvalidOperation "Cannot make a visible window modal" for a visible form.
  TModalResult ShowModal();
  TModalResult ModalResult() const noexcept { return modalResult_; }
  void SetModalResult(TModalResult result) noexcept { modalResult_ = result; }
  bool Modal() const noexcept { return modal_; }

  // The control that has the focus while the form is active: set before showing, it is
  // the one focused when the form is first activated.
  TWinControl* ActiveControl() const noexcept;
  void SetActiveControl(TWinControl* control);

  // The display density the form is laid out for, in dots per inch: 96 as built, the
  // density of the form's display once shown (and again when it moves to a display of
  // another scale).
  int PixelsPerInch() const noexcept { return pixelsPerInch_; }
  // Scales the layout, fonts and client size from the current density to `dpi`.
  void SetPixelsPerInch(int dpi);
  void ChangeScale(int toDpi, int fromDpi) override;

  // Enter and Escape: presses the focused, default or cancel button. True when used.
  bool DialogKey(int key);

  // Raises OnCreate; TApplication::CreateForm calls it once the form is constructed.
  void DoCreate();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnActivate;
  TCloseEvent OnClose;

 protected:
  void CreateParams(TCreateParams& params) override;
  // The user or the system asked the window to close (Alt+F4, the system menu's Close,
  // another program); the default closes it.
  virtual void CloseRequested() { Close(); }
  HWND__* OwnerWindow() override;
  intptr_t WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

 private:
  void ApplyFrameStyle();
  void ShowWindowState();
  TRect FrameSize() const;
  void CloseModal();
  void Activated(bool active);

  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = poDesigned;
  TWindowState windowState_ = wsNormal;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  HWND__* lastFocus_ = nullptr;
  int pixelsPerInch_ = kDesignDpi;
};

// The form `control` sits on, or null.
TForm* GetParentForm(TControl& control) noexcept;

}  // namespace kavrix
