#pragma once
// Screen captures as 24-bit BMP files.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace kavrix::windriver {

// Copies `area` (screen coordinates, clipped to the screen) from the screen's device
// context, which shows every program's windows as drawn, into `path`. Throws
// std::runtime_error when the capture or the file fails, or when nothing of `area` is on
// the screen.
void SaveScreenshot(const RECT& area, const std::string& path);

// The whole screen.
RECT ScreenArea();

}  // namespace kavrix::windriver
