#include "toolkit/Form.h"

#include <vector>

#include "system/CallbackGuard.h"
#include "toolkit/Application.h"
#include "toolkit/Button.h"
#include "toolkit/Dpi.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

// Disables the thread's enabled, visible top-level windows but one for the lifetime of
// the scope, as a modal window needs.
class DisabledWindows {
 public:
  explicit DisabledWindows(HWND except) : except_(except) {
    ::EnumThreadWindows(::GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(this));
    RethrowCallbackException();
    for (HWND window : windows_) ::EnableWindow(window, FALSE);
  }
  DisabledWindows(const DisabledWindows&) = delete;
  DisabledWindows& operator=(const DisabledWindows&) = delete;
  ~DisabledWindows() { Restore(); }

  void Restore() noexcept {
    for (HWND window : windows_) ::EnableWindow(window, TRUE);
    windows_.clear();
  }

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM self) noexcept {
    return GuardCallback<BOOL>(FALSE, [&] {
      auto* scope = reinterpret_cast<DisabledWindows*>(self);
      if (window != scope->except_ && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
        scope->windows_.push_back(window);
      }
      return TRUE;
    });
  }

  HWND except_;
  std::vector<HWND> windows_;
};

bool Usable(TWinControl& control) {
  return control.HandleAllocated() && ::IsWindowVisible(control.Handle()) && ::IsWindowEnabled(control.Handle());
}

TButton* FindButton(const TWinControl& parent, bool (TButton::*flag)() const) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    if (auto* button = dynamic_cast<TButton*>(parent.Controls(i)); button && (button->*flag)() && Usable(*button)) {
      return button;
    }
    if (auto* container = dynamic_cast<TWinControl*>(parent.Controls(i))) {
      if (TButton* found = FindButton(*container, flag)) return found;
    }
  }
  return nullptr;
}

}  // namespace

TForm* GetParentForm(TControl& control) noexcept {
  TControl* top = &control;
  while (top->Parent()) top = top->Parent();
  return dynamic_cast<TForm*>(top);
}

TForm::TForm(TComponent* owner) : TCustomControl(owner) {
  SetVisible(false);
  SetParentFont(false);
  SetBounds(0, 0, 320, 240);
}

void TForm::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  switch (borderStyle_) {
    case bsNone:
      params.style |= WS_POPUP;
      return;
    case bsSingle:
      params.style |= WS_CAPTION;
      break;
    case bsSizeable:
      params.style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      params.style |= WS_CAPTION | DS_MODALFRAME;
      params.exStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
      params.style |= WS_CAPTION;
      params.exStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      params.style |= WS_CAPTION | WS_THICKFRAME;
      params.exStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (borderIcons_ & biSystemMenu) {
    params.style |= WS_SYSMENU;
    // Dialog frames and tool windows have no minimise or maximise box.
    const bool framesBoxes = borderStyle_ == bsSingle || borderStyle_ == bsSizeable;
    if (framesBoxes) {
      if (borderIcons_ & biMinimize) params.style |= WS_MINIMIZEBOX;
      if (borderIcons_ & biMaximize) params.style |= WS_MAXIMIZEBOX;
    }
    const bool hasBoxes = framesBoxes && (borderIcons_ & (biMinimize | biMaximize));
    if ((borderIcons_ & biHelp) && (borderStyle_ == bsDialog || (framesBoxes && !hasBoxes))) {
      params.exStyle |= WS_EX_CONTEXTHELP;
    }
  }
}

HWND TForm::OwnerWindow() {
  TForm* main = Application ? Application->MainForm() : nullptr;
  return main && main != this ? main->Handle() : nullptr;
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  ApplyFrameStyle();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
  if (icons == borderIcons_) return;
  borderIcons_ = icons;
  ApplyFrameStyle();
}

void TForm::ApplyFrameStyle() {
  if (!HandleAllocated()) return;
  const TRect client = ClientRect();
  TCreateParams params;
  CreateParams(params);
  HWND window = Handle();
  const LONG visible = ::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE;
  ::SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(params.style) | visible);
  ::SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(params.exStyle));
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RethrowCallbackException();
  // The client area keeps its size; the frame grows or shrinks around it.
  SetClientWidth(client.Width());
  SetClientHeight(client.Height());
}

TRect TForm::FrameSize() const {
  TCreateParams params;
  const_cast<TForm*>(this)->CreateParams(params);
  RECT frame{0, 0, 0, 0};
  ::AdjustWindowRectEx(&frame, params.style, FALSE, params.exStyle);
  return {frame.left, frame.top, frame.right, frame.bottom};
}

TRect TForm::ClientRect() const {
  if (HandleAllocated()) return TCustomControl::ClientRect();
  const TRect frame = FrameSize();
  return {0, 0, Width() - frame.Width(), Height() - frame.Height()};
}

void TForm::SetClientWidth(int width) { SetWidth(width + FrameSize().Width()); }

void TForm::SetClientHeight(int height) { SetHeight(height + FrameSize().Height()); }

void TForm::SetPixelsPerInch(int dpi) {
  if (dpi <= 0 || dpi == pixelsPerInch_) return;
  ChangeScale(dpi, pixelsPerInch_);
}

void TForm::ChangeScale(int toDpi, int fromDpi) {
  // The frame is the system's and has its own metrics; the client area scales.
  const TRect client = ClientRect();
  pixelsPerInch_ = toDpi;
  SetClientWidth(ScaleToDpi(client.Width(), toDpi, fromDpi));
  SetClientHeight(ScaleToDpi(client.Height(), toDpi, fromDpi));
  ScaleFont(toDpi, fromDpi);
  ScaleChildren(toDpi, fromDpi);
}

void TForm::DoCreate() {
  if (OnCreate) OnCreate(*this);
}

void TForm::Show() {
  if (Visible()) {
    ::SetForegroundWindow(Handle());
    return;
  }
  SetPixelsPerInch(PixelsPerInchOf(Handle()));
  if (OnShow) OnShow(*this);
  if (position_ == poScreenCenter) {
    SetBounds((::GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (::GetSystemMetrics(SM_CYSCREEN) - Height()) / 2,
              Width(), Height());
  }
  if (windowState_ == wsNormal) {
    SetVisible(true);
  } else {
    // Shown in its state at once: showing activates, and OnActivate may run long.
    TControl::SetVisible(true);
    ShowWindowState();
  }
}

void TForm::SetWindowState(TWindowState state) {
  windowState_ = state;
  if (Visible() && HandleAllocated()) ShowWindowState();
}

void TForm::ShowWindowState() {
  static constexpr int kShowCommands[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
  ::ShowWindow(Handle(), kShowCommands[windowState_]);
  RethrowCallbackException();
}

void TForm::Hide() { SetVisible(false); }

void TForm::Close() {
  if (modal_) {
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    return;
  }
  TCloseAction action = caHide;
  if (OnClose) OnClose(*this, action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == caHide) {
    Hide();
  } else {
    ::ShowWindow(Handle(), SW_MINIMIZE);
    RethrowCallbackException();
  }
}

void TForm::CloseModal() {
  TCloseAction action = caHide;
  if (OnClose) OnClose(*this, action);
  if (action == caNone) modalResult_ = mrNone;
}

TModalResult TForm::ShowModal() {
  if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  ::ReleaseCapture();
  struct ModalFlag {
    bool& flag;
    ~ModalFlag() { flag = false; }
  } modalFlag{modal_ = true};
  modalResult_ = mrNone;
  DisabledWindows disabled(Handle());
  Show();
  do {
    Application->HandleMessage();
    if (Application->Terminated()) {
      modalResult_ = mrCancel;
    } else if (modalResult_ != mrNone) {
      CloseModal();
    }
  } while (modalResult_ == mrNone);
  // Enabled again before hiding, so the system activates the window that was active before.
  disabled.Restore();
  Hide();
  return modalResult_;
}

bool TForm::DialogKey(int key) {
  TButton* button = nullptr;
  if (key == VK_RETURN) {
    // A focused control that takes Enter itself (a list opening its entry) keeps it.
    HWND focus = ::GetFocus();
    MSG enter{focus, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    if (focus && (::SendMessageA(focus, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE)) {
      return false;
    }
    button = dynamic_cast<TButton*>(FromHandle(focus));
    if (!button) button = FindButton(*this, &TButton::Default);
  } else if (key == VK_ESCAPE) {
    button = FindButton(*this, &TButton::Cancel);
  }
  if (!button) return false;
  button->Click();
  return true;
}

TWinControl* TForm::ActiveControl() const noexcept {
  HWND focus = HandleAllocated() && ::GetActiveWindow() == const_cast<TForm*>(this)->Handle() ? ::GetFocus() : lastFocus_;
  return FromHandle(focus);
}

void TForm::SetActiveControl(TWinControl* control) {
  lastFocus_ = control ? control->Handle() : nullptr;
  if (lastFocus_ && ::GetActiveWindow() == Handle()) {
    ::SetFocus(lastFocus_);
    RethrowCallbackException();
  }
}

void TForm::Activated(bool active) {
  HWND window = Handle();
  if (!active) {
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(window, focus)) lastFocus_ = focus;
    return;
  }
  HWND focus = lastFocus_ && ::IsWindow(lastFocus_) && ::IsChild(window, lastFocus_) ? lastFocus_ : nullptr;
  if (!focus) focus = ::GetNextDlgTabItem(window, nullptr, FALSE);
  ::SetFocus(focus ? focus : window);
  if (OnActivate) OnActivate(*this);
}

intptr_t TForm::WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_CLOSE:
      // Alt+F4, the system menu, another program or the system: none of them may cut a
      // long operation of the program short, nor close a window that a modal window
      // above it has disabled.
      if ((!Application || !Application->Busy()) && ::IsWindowEnabled(Handle())) CloseRequested();
      return 0;
    case kDpiChangedMessage: {
      // Moved to a display of another scale: laid out again, where the system suggests.
      SetPixelsPerInch(LOWORD(wParam));
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetBounds(suggested->left, suggested->top, Width(), Height());
      return 0;
    }
    case WM_ACTIVATE:
      // Focus is placed here rather than by the default handler, which focuses the frame.
      Activated(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    default:
      return TCustomControl::WndProc(message, wParam, lParam);
  }
}

}  // namespace kavrix
