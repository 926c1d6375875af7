#pragma once
// Colours as the components store them. Shared by the portable renderers and the
// toolkit, so both name the same colours the same way.

#include <cstdint>

namespace kavrix {

// 0x00BBGGRR; with the high bit set, the low byte is a system colour index instead.
using TColor = uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clWhite = 0xFFFFFF;

inline constexpr TColor kSystemColor = 0x80000000;
inline constexpr TColor clScrollBar = kSystemColor | 0;
inline constexpr TColor clBackground = kSystemColor | 1;
inline constexpr TColor clActiveCaption = kSystemColor | 2;
inline constexpr TColor clInactiveCaption = kSystemColor | 3;
inline constexpr TColor clWindow = kSystemColor | 5;
inline constexpr TColor clWindowText = kSystemColor | 8;
inline constexpr TColor clCaptionText = kSystemColor | 9;
inline constexpr TColor clBtnFace = kSystemColor | 15;
inline constexpr TColor clBtnShadow = kSystemColor | 16;
inline constexpr TColor clGrayText = kSystemColor | 17;
inline constexpr TColor clBtnText = kSystemColor | 18;
inline constexpr TColor clInactiveCaptionText = kSystemColor | 19;
inline constexpr TColor clBtnHighlight = kSystemColor | 20;

}  // namespace kavrix
