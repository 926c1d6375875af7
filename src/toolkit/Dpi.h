#pragma once
// The display density a window is shown at, as the system reports it to a program that
// declares itself aware of display scaling (an unaware one is told 96 and stretched).

struct HWND__;

namespace kavrix {

// WM_DPICHANGED: the window moved to a display of another scale (Windows 8.1 and later).
inline constexpr unsigned kDpiChangedMessage = 0x02E0;

// The density of the display `window` is on, in dots per inch.
int PixelsPerInchOf(HWND__* window);
// The density the system lays out for at start (that of the primary display).
int SystemPixelsPerInch();

}  // namespace kavrix
