#include "toolkit/WinControl.h"

#include <windowsx.h>

#include <algorithm>

#include "foundation/Exceptions.h"
#include "system/CallbackGuard.h"
#include "toolkit/Application.h"
#include "toolkit/CommonControls.h"
#include "toolkit/Win32Gdi.h"
#include "toolkit/layout/DpiScale.h"

#include <commctrl.h>

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

struct TWinControl::ToolTip {
  UniqueWindow window;
  bool hasTool = false;
};

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
  toolTip_.reset();  // before its owner window
  hoverControl_ = nullptr;
  captureControl_ = nullptr;
  trackingLeave_ = false;
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

void TWinControl::RecreateHandle() {
  if (!handle_) return;
  DestroyHandle();
  CreateHandle();
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

void TWinControl::ChangeScale(int toDpi, int fromDpi) {
  ScaleBounds(toDpi, fromDpi);
  ScaleFont(toDpi, fromDpi);
  ScaleChildren(toDpi, fromDpi);
}

void TWinControl::ScaleChildren(int toDpi, int fromDpi) {
  // Aligned children are placed again as their parent's area changes; aligning them
  // meanwhile would place them by half-scaled neighbours.
  aligning_ = true;
  for (TControl* control : std::vector<TControl*>(controls_)) control->ChangeScale(toDpi, fromDpi);
  aligning_ = false;
  AlignControls();
  MakeRoomForGrownText(toDpi);
}

void TWinControl::MakeRoomForGrownText(int dpi) {
  // Text does not grow exactly with the display: a paragraph that fitted its lines at
  // 96 DPI may wrap to one more at another density. What it then reaches below it moves
  // down, keeping a small gap; nothing moves where nothing overlaps, as at 96 DPI.
  std::vector<TControl*> placed;
  for (TControl* control : controls_) {
    if (control->Visible() && control->Align() == alNone) placed.push_back(control);
  }
  std::stable_sort(placed.begin(), placed.end(), [](TControl* a, TControl* b) { return a->Top() < b->Top(); });
  const int gap = ScaleToDpi(4, dpi);
  for (size_t below = 1; below < placed.size(); ++below) {
    TControl& lower = *placed[below];
    for (size_t above = 0; above < below; ++above) {
      const TRect upper = placed[above]->BoundsRect();
      const TRect bounds = lower.BoundsRect();
      const bool sideBySide = upper.Right <= bounds.Left || bounds.Right <= upper.Left;
      if (!sideBySide && upper.Top < bounds.Top && upper.Bottom > bounds.Top) {
        lower.SetTop(upper.Bottom + gap);
      }
    }
  }
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
  if (hoverControl_ == control) {
    hoverControl_ = nullptr;
    UpdateToolTip();
  }
  if (captureControl_ == control) {
    captureControl_ = nullptr;
    if (handle_ && ::GetCapture() == handle_) ::ReleaseCapture();
  }
  AlignControls();
}

intptr_t TWinControl::WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_COMMAND:
      // Notifications come to the parent; the control that sent one handles it. A busy
      // program acts on none: they come from what the user did meanwhile.
      if (lParam && Application && Application->Busy()) return 0;
      if (lParam) {
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
          child->CommandNotify(HIWORD(wParam));
          return 0;
        }
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlType == ODT_MENU) break;
      if (TWinControl* child = FromHandle(item->hwndItem)) {
        child->DrawItem(*item);
        return TRUE;
      }
      break;
    }
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
    case WM_CAPTURECHANGED:
      // A standard control's window has no windowless children and tracks the mouse itself.
      if (!standardProcedure_) RouteMouse(message, wParam, lParam);
      break;
    case WM_CHAR:
      // Keys the focused control types are its own, not accelerators.
      if (DefaultHandler(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) break;
      [[fallthrough]];
    case WM_SYSCHAR: {
      TWinControl* root = this;
      while (root->Parent()) root = root->Parent();
      if (root->OfferDialogChar(static_cast<char>(wParam))) return 0;
      break;
    }
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

TControl* TWinControl::ControlAtPos(const TPoint& point) const noexcept {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* control = *it;
    const TRect bounds = control->BoundsRect();
    if (control->Visible() && !dynamic_cast<TWinControl*>(control) && point.X >= bounds.Left &&
        point.X < bounds.Right && point.Y >= bounds.Top && point.Y < bounds.Bottom) {
      return control;
    }
  }
  return nullptr;
}

TControl* TWinControl::HoverAt(const TPoint& point) const noexcept {
  TControl* hit = ControlAtPos(point);
  // While a control holds the press, the others do not light up under the cursor.
  return captureControl_ && hit != captureControl_ ? nullptr : hit;
}

void TWinControl::SetHoverControl(TControl* control) {
  if (control == hoverControl_) return;
  if (TControl* left = std::exchange(hoverControl_, control)) left->MouseLeave();
  // The leave handler may have removed the new control, which clears hoverControl_.
  if (hoverControl_) hoverControl_->MouseEnter();
  UpdateToolTip();
}

void TWinControl::UpdateToolTip() {
  TControl* control = hoverControl_;
  const bool show = control && control->ShowHint() && !control->Hint().empty() && handle_;
  if (!show && !(toolTip_ && toolTip_->hasTool)) return;
  if (!toolTip_) {
    InitCommonControlClasses(ICC_BAR_CLASSES);
    HWND window = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle_, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    if (!window) return;  // a hint is a courtesy; without one the control works the same
    toolTip_ = std::make_unique<ToolTip>(ToolTip{UniqueWindow(window)});
  }
  // One tool: the hovered control's rectangle. The mouse messages reach the tool tip from
  // RouteMouse rather than by letting it subclass this window.
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = handle_;
  tool.uId = 1;
  if (toolTip_->hasTool) ::SendMessageA(toolTip_->window.Get(), TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&tool));
  toolTip_->hasTool = false;
  if (!show) return;
  const TRect bounds = control->BoundsRect();
  tool.rect = {bounds.Left, bounds.Top, bounds.Right, bounds.Bottom};
  std::string text = control->Hint();
  tool.lpszText = text.data();
  toolTip_->hasTool = ::SendMessageA(toolTip_->window.Get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

void TWinControl::RouteMouse(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (toolTip_ && toolTip_->hasTool && message != WM_CAPTURECHANGED) {
    MSG relayed{handle_, message, wParam, lParam, 0, {0, 0}};
    ::SendMessageA(toolTip_->window.Get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  const TPoint point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const auto local = [&](const TControl& control) { return TPoint{point.X - control.Left(), point.Y - control.Top()}; };
  TMouseButton button = mbLeft;
  switch (message) {
    case WM_MOUSEMOVE: {
      if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, handle_, 0};
        trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
      }
      SetHoverControl(HoverAt(point));
      if (TControl* target = captureControl_ ? captureControl_ : hoverControl_) {
        const TPoint at = local(*target);
        target->MouseMove(at.X, at.Y);
      }
      return;
    }
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      // While a child holds the press, the moves still come and decide.
      if (!captureControl_) SetHoverControl(nullptr);
      return;
    case WM_CAPTURECHANGED:
      // Another window took the mouse: the press is lost, no release will come.
      if (reinterpret_cast<HWND>(lParam) != handle_) captureControl_ = nullptr;
      return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
      button = mbRight;
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
      button = mbMiddle;
      break;
    default:
      break;
  }
  if (message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP) {
    if (captureControl_) {
      if (button != captureButton_) return;
      TControl* target = std::exchange(captureControl_, nullptr);
      ::ReleaseCapture();
      const TPoint at = local(*target);
      target->MouseUp(button, at.X, at.Y);
      SetHoverControl(ControlAtPos(point));
    } else if (TControl* target = ControlAtPos(point)) {
      const TPoint at = local(*target);
      target->MouseUp(button, at.X, at.Y);
    }
    return;
  }
  SetHoverControl(HoverAt(point));
  TControl* target = hoverControl_;
  if (!target) return;
  if (!captureControl_) {
    captureControl_ = target;
    captureButton_ = button;
    ::SetCapture(handle_);
  }
  const TPoint at = local(*target);
  target->MouseDown(button, at.X, at.Y);
}

bool TWinControl::OfferDialogChar(char key) {
  // A copy: a control that takes the key may change its parent's children.
  const std::vector<TControl*> controls = controls_;
  for (TControl* control : controls) {
    if (!control->Visible()) continue;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed ? windowed->OfferDialogChar(key) : control->DialogChar(key)) return true;
  }
  return false;
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
