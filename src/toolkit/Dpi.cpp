#include "toolkit/Dpi.h"

#include <cstddef>
#include <cstring>

#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

// The size of NONCLIENTMETRICS before Windows Vista added a field: every version accepts
// it, while older ones reject the larger structure.
constexpr UINT kNonClientMetricsSize = 340;
static_assert(offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA) == kNonClientMetricsSize);

// A function of user32 that newer systems have, looked up at run time; null where absent.
template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), name)));
}

// The wide and the ANSI font description agree up to the face name.
static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(LOGFONTW, lfFaceName));

LOGFONTA ToAnsi(const LOGFONTW& wide) {
  LOGFONTA font{};
  std::memcpy(&font, &wide, offsetof(LOGFONTA, lfFaceName));
  ::WideCharToMultiByte(CP_ACP, 0, wide.lfFaceName, -1, font.lfFaceName, LF_FACESIZE - 1, nullptr, nullptr);
  return font;
}

}  // namespace

int PixelsPerInchOf(HWND window) {
  // Per display since Windows 10 (1607).
  static const auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  return SystemPixelsPerInch();
}

int SystemPixelsPerInch() {
  const ScreenDC screen;
  return ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

int SystemMetricForDpi(int index, int dpi) {
  static const auto getSystemMetricsForDpi = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  if (getSystemMetricsForDpi && dpi > 0) return getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
  return ::GetSystemMetrics(index);
}

bool CaptionLogFontForDpi(bool small, int dpi, LOGFONTA& font) {
  // The per-density query exists in its wide form only.
  static const auto systemParametersInfoForDpi =
      User32Function<BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT)>("SystemParametersInfoForDpi");
  if (systemParametersInfoForDpi && dpi > 0) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
      font = ToAnsi(small ? metrics.lfSmCaptionFont : metrics.lfCaptionFont);
      return true;
    }
  }
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = kNonClientMetricsSize;
  if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) return false;
  font = small ? metrics.lfSmCaptionFont : metrics.lfCaptionFont;
  return true;
}

}  // namespace kavrix
