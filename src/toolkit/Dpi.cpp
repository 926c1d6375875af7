#include "toolkit/Dpi.h"

#include "toolkit/Win32Gdi.h"

namespace kavrix {

int PixelsPerInchOf(HWND window) {
  // Per display since Windows 10 (1607); looked up at run time, as older systems lack it.
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  return SystemPixelsPerInch();
}

int SystemPixelsPerInch() {
  const ScreenDC screen;
  return ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

}  // namespace kavrix
