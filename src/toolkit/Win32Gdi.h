#pragma once
// Toolkit-internal owners of windows, GDI objects and device contexts, and the scoped
// selection of a GDI object into a device context. Each is move-only or pinned, so a
// handle is released exactly once and every selection is undone before its object dies.

#include "system/Win32Handles.h"

// The canvas methods of these names must not become TextOutA/DrawTextA.
#undef TextOut
#undef DrawText

namespace kavrix {

struct WindowTraits {
  static HWND None() noexcept { return nullptr; }
  static bool IsValid(HWND window) noexcept { return window != nullptr; }
  static void Close(HWND window) noexcept { ::DestroyWindow(window); }
};

struct GdiObjectTraits {
  static HGDIOBJ None() noexcept { return nullptr; }
  static bool IsValid(HGDIOBJ object) noexcept { return object != nullptr; }
  static void Close(HGDIOBJ object) noexcept { ::DeleteObject(object); }
};

// Device contexts made by CreateCompatibleDC; those lent by GetDC go back through ScreenDC.
struct MemoryDCTraits {
  static HDC None() noexcept { return nullptr; }
  static bool IsValid(HDC dc) noexcept { return dc != nullptr; }
  static void Close(HDC dc) noexcept { ::DeleteDC(dc); }
};

using UniqueWindow = UniqueResource<HWND, WindowTraits>;
using UniqueGdiObject = UniqueResource<HGDIOBJ, GdiObjectTraits>;
using UniqueMemoryDC = UniqueResource<HDC, MemoryDCTraits>;

// The screen's device context, for measuring text outside painting.
class ScreenDC {
 public:
  ScreenDC() noexcept : dc_(::GetDC(nullptr)) {}
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  ~ScreenDC() {
    if (dc_) ::ReleaseDC(nullptr, dc_);
  }
  HDC Get() const noexcept { return dc_; }

 private:
  HDC dc_;
};

// One BeginPaint/EndPaint pair of a WM_PAINT message.
class PaintScope {
 public:
  explicit PaintScope(HWND window) noexcept : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  HDC Get() const noexcept { return dc_; }
  const RECT& Area() const noexcept { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects `object` into `dc` for the scope's lifetime; the object that was selected before
// is selected again at the end, so the caller's object can be deleted safely afterwards.
class SelectionScope {
 public:
  SelectionScope(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
  SelectionScope(const SelectionScope&) = delete;
  SelectionScope& operator=(const SelectionScope&) = delete;
  ~SelectionScope() {
    if (previous_) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Block copies from a monochrome source take a 0 bit as the text colour and a 1 bit as
// the background colour: black and white for the scope's life.
class MonochromeColorsScope {
 public:
  explicit MonochromeColorsScope(HDC dc) noexcept
      : dc_(dc), text_(::SetTextColor(dc, RGB(0, 0, 0))), background_(::SetBkColor(dc, RGB(255, 255, 255))) {}
  MonochromeColorsScope(const MonochromeColorsScope&) = delete;
  MonochromeColorsScope& operator=(const MonochromeColorsScope&) = delete;
  ~MonochromeColorsScope() {
    ::SetBkColor(dc_, background_);
    ::SetTextColor(dc_, text_);
  }

 private:
  HDC dc_;
  COLORREF text_;
  COLORREF background_;
};

}  // namespace kavrix
