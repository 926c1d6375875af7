#include "toolkit/Timer.h"

#include "foundation/Exceptions.h"
#include "system/CallbackGuard.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

constexpr char kTimerWindowClass[] = "KavrixTimer";
constexpr UINT_PTR kTimerId = 1;

LRESULT CALLBACK TimerWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_TIMER) return ::DefWindowProcA(window, message, wParam, lParam);
  auto* timer = reinterpret_cast<TTimer*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  GuardCallback<int>(0, [&] {
    if (timer && timer->Enabled() && timer->OnTimer) timer->OnTimer(*timer);
    return 0;
  });
  return 0;
}

// A message-only window: it receives WM_TIMER and nothing else shows it.
HWND CreateTimerWindow(TTimer* timer) {
  static const ATOM atom = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TimerWindowProcedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kTimerWindowClass;
    return ::RegisterClassA(&windowClass);
  }();
  if (!atom) throw Exception("Cannot register the timer window class");
  HWND window = ::CreateWindowExA(0, kTimerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
  if (!window) throw Exception("Not enough timers available");
  ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(timer));
  return window;
}

}  // namespace

struct TTimer::Window {
  UniqueWindow handle;
};

TTimer::TTimer(TComponent* owner) : TComponent(owner) { UpdateTimer(); }

TTimer::~TTimer() {
  if (window_) ::KillTimer(window_->handle.Get(), kTimerId);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TTimer::SetInterval(uint32_t interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (window_) ::KillTimer(window_->handle.Get(), kTimerId);
  if (!enabled_ || interval_ == 0) return;
  if (!window_) window_ = std::make_unique<Window>(Window{UniqueWindow(CreateTimerWindow(this))});
  if (!::SetTimer(window_->handle.Get(), kTimerId, interval_, nullptr)) throw Exception("Not enough timers available");
}

}  // namespace kavrix
