#include "toolkit/WinControl.h"

#include <algorithm>

#include "foundation/Exceptions.h"
#include "system/CallbackGuard.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

constexpr char kWindowClass[] = "KavrixWindow";

LRESULT CALLBACK ControlWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void RegisterWindowClass() {
  static const ATOM atom = [] {
    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = ControlWindowProcedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = kWindowClass;
    return ::RegisterClassA(&windowClass);
  }();
  if (!atom) throw Exception("Cannot register the window class");
}

LRESULT CALLBACK ControlWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  TWinControl* control = TWinControl::FromHandle(window);
  if (!control) return ::DefWindowProcA(window, message, wParam, lParam);
  return GuardCallback<LRESULT>(0, [&] { return DispatchToControl(*control, window, message, wParam, lParam); });
}

}  // namespace

intptr_t DispatchToControl(TWinControl& control, HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!control.handle_) control.handle_ = window;  // messages that arrive during CreateWindowEx
  if (message != WM_NCDESTROY) return control.WndProc(message, wParam, lParam);
  const intptr_t result = control.DefaultHandler(message, wParam, lParam);
  control.handle_ = nullptr;
  return result;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // The children's windows go with this one; the children themselves belong to their owner.
  for (TControl* control : controls_) control->parent_ = nullptr;
  controls_.clear();
  DestroyHandle();
  if (brush_) ::DeleteObject(brush_);
}

TWinControl* TWinControl::FromHandle(HWND window) noexcept {
  if (!window) return nullptr;
  char className[sizeof kWindowClass + 1] = {};
  // A subclassed standard control keeps its class name: its procedure tells it apart.
  const bool ours = ::GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(ControlWindowProcedure) ||
                    (::GetClassNameA(window, className, sizeof className) && std::string(className) == kWindowClass);
  return ours ? reinterpret_cast<TWinControl*>(::GetWindowLongPtrA(window, GWLP_USERDATA)) : nullptr;
}

HWND TWinControl::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (Parent()) params.style |= WS_CHILD;
  if (Visible() && Parent()) params.style |= WS_VISIBLE;
  if (!Enabled()) params.style |= WS_DISABLED;
  if (tabStop_) params.style |= WS_TABSTOP;
}

void TWinControl::CreateHandle() {
  HWND parentWindow = Parent() ? Parent()->Handle() : OwnerWindow();
  // Making the parent's window makes its children's windows, this one's included.
  if (handle_) return;
  TCreateParams params;
  CreateParams(params);
  const bool ownClass = params.className.empty();
  if (ownClass) RegisterWindowClass();
  HWND window = ::CreateWindowExA(params.exStyle, ownClass ? kWindowClass : params.className.c_str(),
                                  Caption().c_str(), params.style, Left(), Top(), Width(), Height(), parentWindow,
                                  nullptr, ::GetModuleHandleA(nullptr), ownClass ? this : nullptr);
  if (!window) {
    RethrowCallbackException();
    throw Exception("Error creating window");
  }
  handle_ = window;
  if (!ownClass) {
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    standardProcedure_ = reinterpret_cast<void*>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlWindowProcedure)));
    ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  }
  RethrowCallbackException();
  // The system may have adjusted the size (a top-level window's minimum track size).
  SyncBoundsFromWindow();
  HandleCreated();
  for (TControl* control : controls_) {
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) windowed->Handle();
  }
}

void TWinControl::DestroyHandle() noexcept {
  if (!handle_) return;
  HWND window = std::exchange(handle_, nullptr);
  // Detached first: the derived parts of a control being destroyed must receive nothing.
  ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  if (standardProcedure_) {
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(standardProcedure_));
    standardProcedure_ = nullptr;
  }
  ::DestroyWindow(window);
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == Parent()) return;
  DestroyHandle();
  TControl::SetParent(parent);
  if (parent && parent->HandleAllocated()) Handle();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (!handle_) {
    UpdateBounds(left, top, width, height);
    return;
  }
  // The bounds are recorded from WM_WINDOWPOSCHANGED, as the system applied them.
  ::SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  RethrowCallbackException();
}

void TWinControl::SyncBoundsFromWindow() {
  RECT rect{};
  ::GetWindowRect(handle_, &rect);
  if (HWND parent = ::GetParent(handle_); parent && (::GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD)) {
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  UpdateBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

TRect TWinControl::ClientRect() const {
  if (!handle_) return TControl::ClientRect();
  RECT rect{};
  ::GetClientRect(handle_, &rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void TWinControl::SetVisible(bool visible) {
  TControl::SetVisible(visible);
  if (handle_) {
    ::ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
    RethrowCallbackException();
  } else if (visible && (!Parent() || Parent()->HandleAllocated())) {
    Handle();
  }
}

void TWinControl::SetFocus() {
  ::SetFocus(Handle());
  RethrowCallbackException();
}

bool TWinControl::Focused() const { return handle_ && ::GetFocus() == handle_; }

void TWinControl::SetTabStop(bool tabStop) {
  tabStop_ = tabStop;
  if (!handle_) return;
  const LONG style = ::GetWindowLongA(handle_, GWL_STYLE);
  ::SetWindowLongA(handle_, GWL_STYLE, tabStop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
}

void TWinControl::Invalidate() {
  if (handle_) ::InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Repaint() {
  if (!handle_) return;
  ::RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RethrowCallbackException();
}

void TWinControl::InvalidateRect(const TRect& rect) {
  if (!handle_) return;
  const RECT area{rect.Left, rect.Top, rect.Right, rect.Bottom};
  ::InvalidateRect(handle_, &area, TRUE);
}

void TWinControl::Update() {
  if (!handle_) return;
  ::UpdateWindow(handle_);
  RethrowCallbackException();
}

void TWinControl::AlignControls() {
  if (aligning_) return;
  aligning_ = true;
  TRect rest = ClientRect();
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* control : controls_) {
      if (control->Align() != align || !control->Visible()) continue;
      switch (align) {
        case alTop:
          control->SetBounds(rest.Left, rest.Top, rest.Width(), control->Height());
          rest.Top += control->Height();
          break;
        case alBottom:
          control->SetBounds(rest.Left, rest.Bottom - control->Height(), rest.Width(), control->Height());
          rest.Bottom -= control->Height();
          break;
        case alLeft:
          control->SetBounds(rest.Left, rest.Top, control->Width(), rest.Height());
          rest.Left += control->Width();
          break;
        case alRight:
          control->SetBounds(rest.Right - control->Width(), rest.Top, control->Width(), rest.Height());
          rest.Right -= control->Width();
          break;
        default:
          control->SetBounds(rest.Left, rest.Top, rest.Width(), rest.Height());
          break;
      }
    }
  }
  aligning_ = false;
}

intptr_t TWinControl::Perform(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const intptr_t result = ::SendMessageA(Handle(), message, wParam, lParam);
  RethrowCallbackException();
  return result;
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  if (control->Align() != alNone) AlignControls();
}

void TWinControl::RemoveControl(TControl* control) {
  std::erase(controls_, control);
  AlignControls();
}

intptr_t TWinControl::WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_COMMAND:
      // Notifications come to the parent; the control that sent one handles it.
      if (lParam) {
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
          child->CommandNotify(HIWORD(wParam));
          return 0;
        }
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
        return reinterpret_cast<intptr_t>(child->CtlColor(reinterpret_cast<HDC>(wParam)));
      }
      break;
    case WM_WINDOWPOSCHANGED: {
      const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (!(position->flags & SWP_NOSIZE) || !(position->flags & SWP_NOMOVE)) SyncBoundsFromWindow();
      break;
    }
    case WM_SIZE:
      AlignControls();
      break;
    default:
      break;
  }
  return DefaultHandler(message, wParam, lParam);
}

intptr_t TWinControl::DefaultHandler(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (standardProcedure_) {
    return ::CallWindowProcA(reinterpret_cast<WNDPROC>(standardProcedure_), handle_, message, wParam, lParam);
  }
  return ::DefWindowProcA(handle_, message, wParam, lParam);
}

HBRUSH TWinControl::CtlColor(HDC dc) {
  const COLORREF rgb = ColorToRGB(Color());
  if (!brush_ || brushColor_ != rgb) {
    if (brush_) ::DeleteObject(brush_);
    brush_ = ::CreateSolidBrush(rgb);
    brushColor_ = rgb;
  }
  ::SetTextColor(dc, ColorToRGB(Font().Color()));
  ::SetBkColor(dc, rgb);
  return brush_;
}

void TWinControl::PaintControls(TCanvas& canvas, const TRect& area) {
  HDC dc = canvas.Handle();
  for (TControl* control : controls_) {
    auto* graphic = dynamic_cast<TGraphicControl*>(control);
    const TRect bounds = control->BoundsRect();
    if (!graphic || !graphic->Visible() || bounds.Right <= area.Left || bounds.Left >= area.Right ||
        bounds.Bottom <= area.Top || bounds.Top >= area.Bottom) {
      continue;
    }
    const int saved = ::SaveDC(dc);
    POINT origin{};
    ::GetViewportOrgEx(dc, &origin);
    ::SetViewportOrgEx(dc, origin.x + bounds.Left, origin.y + bounds.Top, nullptr);
    ::IntersectClipRect(dc, 0, 0, bounds.Width(), bounds.Height());
    graphic->Paint(canvas);
    ::RestoreDC(dc, saved);
  }
}

void TWinControl::TextChanged() {
  if (handle_) {
    ::SetWindowTextA(handle_, Caption().c_str());
    RethrowCallbackException();
  }
}

void TWinControl::ColorChanged() {
  Invalidate();
  for (TControl* control : controls_) control->TakeParentColor();
}

void TWinControl::FontChanged() {
  if (handle_ && standardProcedure_) {
    ::SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
  }
  Invalidate();
  for (TControl* control : controls_) control->TakeParentFont();
}

void TWinControl::EnabledChanged() {
  if (handle_) ::EnableWindow(handle_, Enabled());
}

}  // namespace kavrix
