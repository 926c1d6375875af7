#pragma once
// The display density a window is shown at, as the system reports it to a program that
// declares itself aware of display scaling (an unaware one is told 96 and stretched),
// and the system's measures at a density.

struct HWND__;
struct tagLOGFONTA;

namespace kavrix {

// WM_DPICHANGED: the window moved to a display of another scale (Windows 8.1 and later).
inline constexpr unsigned kDpiChangedMessage = 0x02E0;

// The density of the display `window` is on, in dots per inch.
int PixelsPerInchOf(HWND__* window);
// The density the system lays out for at start (that of the primary display).
int SystemPixelsPerInch();

// A system metric (an SM_ index) as the system sizes it for a window at `dpi`. Systems
// without per-density metrics (before Windows 10 1607) give the primary display's.
int SystemMetricForDpi(int index, int dpi);
// The caption font (`small`: that of tool windows) as the system sizes it at `dpi`, with
// the same fall-back; false, leaving `font` as it is, when the system gives none.
bool CaptionLogFontForDpi(bool small, int dpi, tagLOGFONTA& font);

}  // namespace kavrix
