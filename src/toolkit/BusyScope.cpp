#include "toolkit/BusyScope.h"

#include <cassert>

#include "toolkit/Application.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {

TBusyScope::TBusyScope() : wasBusy_(Application->Busy()) { Application->SetBusy(true); }

TBusyScope::~TBusyScope() {
  Pump();
  Application->SetBusy(wasBusy_);
}

void TBusyScope::Pump() {
  assert(Application->Busy());
  Application->ProcessMessages();
}

void TBusyScope::Wait(uint32_t milliseconds) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    Pump();
    // Unsigned differences stay right when the tick count wraps.
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= milliseconds) return;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
  }
}

bool IsUserInput(uint32_t message) noexcept {
  // WM_POINTER*: touch and pen on Windows 8 and later, which the default handler would
  // turn into mouse input.
  constexpr uint32_t kPointerFirst = 0x0245;
  constexpr uint32_t kPointerLast = 0x0257;
  // WM_MOUSEHWHEEL; the headers' WM_MOUSELAST depends on the targeted Windows version.
  constexpr uint32_t kMouseLast = 0x020E;
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= kMouseLast) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
         (message >= kPointerFirst && message <= kPointerLast);
}

}  // namespace kavrix
