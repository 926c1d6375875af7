#include "appearance/caption/GradForm.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "appearance/caption/DitherMaskResources.h"
#include "appearance/render/CaptionFill.h"
#include "system/CallbackGuard.h"
#include "system/DllSearch.h"
#include "toolkit/Application.h"
#include "toolkit/Dpi.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

// Set while any form of the class assigns its caption: the window's WM_SETTEXT, and
// whatever painting the assignment causes, must not start another assignment.
bool settingCaption = false;

class CaptionAssignment {
 public:
  CaptionAssignment() noexcept { settingCaption = true; }
  CaptionAssignment(const CaptionAssignment&) = delete;
  CaptionAssignment& operator=(const CaptionAssignment&) = delete;
  ~CaptionAssignment() { settingCaption = false; }
};

constexpr UINT kFrameChanged = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;

// The non-client rendering policy of desktop composition (dwmapi.h values).
constexpr DWORD kDwmNcRenderingPolicy = 2;  // DWMWA_NCRENDERING_POLICY
constexpr DWORD kDwmNcrpUseWindowStyle = 0;
constexpr DWORD kDwmNcrpDisabled = 1;

// A window's whole-window device context, from GetWindowDC to ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND window) noexcept : window_(window), dc_(::GetWindowDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  HDC Get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

struct IconTraits {
  static HICON None() noexcept { return nullptr; }
  static bool IsValid(HICON icon) noexcept { return icon != nullptr; }
  static void Close(HICON icon) noexcept { ::DestroyIcon(icon); }
};

bool QueryOsDrawsGradients() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  static_assert(sizeof version == 148);
  if (!::GetVersionExA(&version)) return false;
  return version.dwMajorVersion >= 5 || (version.dwMajorVersion == 4 && version.dwMinorVersion > 0);
}

RECT ToRECT(const TRect& r) noexcept { return {r.Left, r.Top, r.Right, r.Bottom}; }

// The common part of two rectangles; the empty rectangle at the origin when they have none.
TRect Intersect(const TRect& a, const TRect& b) noexcept {
  const TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                std::min(a.Bottom, b.Bottom)};
  return r.Left < r.Right && r.Top < r.Bottom ? r : TRect{};
}

// Copies `pixels` (0x00BBGGRR, top-down) to `dc` with its top-left corner at (x, y).
void PresentPixels(HDC dc, int x, int y, const PixelBuffer& pixels) {
  std::vector<uint32_t> bits(pixels.Pixels().size());
  // A 32-bit DIB stores blue, green, red, unused: red and blue swap places.
  std::transform(pixels.Pixels().begin(), pixels.Pixels().end(), bits.begin(), [](TColor c) {
    return static_cast<uint32_t>(RedOf(c)) << 16 | static_cast<uint32_t>(GreenOf(c)) << 8 |
           static_cast<uint32_t>(BlueOf(c));
  });
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = pixels.Width();
  info.bmiHeader.biHeight = -pixels.Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ::SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(pixels.Width()), static_cast<DWORD>(pixels.Height()), 0, 0, 0,
                      static_cast<UINT>(pixels.Height()), bits.data(), &info, DIB_RGB_COLORS);
}

void CopyBitmap(TBitmap& to, const TBitmap& from) {
  to.SetSize(from.Width(), from.Height());
  if (from.Empty()) return;
  // A bitmap lives in one device context at a time: once the source has been drawn on,
  // only its own canvas can read it. Asking for that canvas changes nothing visible.
  HDC source = const_cast<TBitmap&>(from).Canvas().Handle();
  ::BitBlt(to.Canvas().Handle(), 0, 0, from.Width(), from.Height(), source, 0, 0, SRCCOPY);
}

bool IsToolWindow(TFormBorderStyle style) noexcept { return style == bsToolWindow || style == bsSizeToolWin; }

// The caption font of the system for a form of `style` at `dpi`: tool windows have the
// small one. Zeroed when the system gives none.
LOGFONTA GetSystemCaptionLogFont(TFormBorderStyle style, int dpi) {
  LOGFONTA font{};
  CaptionLogFontForDpi(IsToolWindow(style), dpi, font);
  return font;
}

TFontPitch PitchOf(const LOGFONTA& font) noexcept {
  switch (font.lfPitchAndFamily & 0x0F) {
    case FIXED_PITCH:
      return fpFixed;
    case VARIABLE_PITCH:
      return fpVariable;
    default:
      return fpDefault;
  }
}

// Sets the cursor of a sizing border; false for any other hit-test code.
bool SetSizingCursor(int hitTest) {
  LPCSTR cursor = nullptr;
  switch (hitTest) {
    case HTLEFT:
    case HTRIGHT:
      cursor = MAKEINTRESOURCEA(32644);  // IDC_SIZEWE
      break;
    case HTTOP:
    case HTBOTTOM:
      cursor = MAKEINTRESOURCEA(32645);  // IDC_SIZENS
      break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
      cursor = MAKEINTRESOURCEA(32642);  // IDC_SIZENWSE
      break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
      cursor = MAKEINTRESOURCEA(32643);  // IDC_SIZENESW
      break;
    default:
      return false;
  }
  ::SetCursor(::LoadCursorA(nullptr, cursor));
  return true;
}

}  // namespace

TGradientForm::TGradientForm(TComponent* owner)
    : TForm(owner), osDrawsGradients_(QueryOsDrawsGradients()), lowColorDisplay_(ScreenColorDepth() == 4) {
  RefreshCaptionFont();
  BuildColorTables();
}

// --- properties -------------------------------------------------------------------

void TGradientForm::SetCaption(const std::string& caption) {
  if (settingCaption) return;
  const CaptionAssignment assignment;
  TForm::SetCaption(caption);
  if (!LeaveCaptionToSystem() && HandleAllocated() && ::IsWindowVisible(Handle())) {
    RepaintCaption(CaptionIsActive());
  }
}

void TGradientForm::SetCaptionFont(const TFont& font) {
  captionFont_.Assign(font);
  useSystemCaptionFont_ = false;
  RefreshCaptionFont();
}

void TGradientForm::SetUseSystemCaptionFont(bool use) {
  if (use == useSystemCaptionFont_) return;
  useSystemCaptionFont_ = use;
  RefreshCaptionFont();
}

void TGradientForm::SetGradientColors(int colors) {
  if (colors < 8 || colors > 512 || colors == gradientColors_) return;
  gradientColors_ = colors;
  BuildColorTables();
  RefreshFrame();
}

void TGradientForm::SetCaptionTextColor(TColor color) {
  if (color == captionTextColor_) return;
  captionTextColor_ = color;
  RefreshFrame();
}

void TGradientForm::SetInactiveCaptionTextColor(TColor color) {
  if (color == inactiveCaptionTextColor_) return;
  inactiveCaptionTextColor_ = color;
  RefreshFrame();
}

// The gradient colours rebuild the tables even when unchanged: the same system colour
// may stand for a new RGB value.
void TGradientForm::SetGradientStartColor(TColor color) {
  startColor_ = color;
  BuildColorTables();
  RefreshFrame();
}

void TGradientForm::SetGradientStopColor(TColor color) {
  stopColor_ = color;
  stopColorIsSystem_ = color == clActiveCaption;
  BuildColorTables();
  RefreshFrame();
}

void TGradientForm::SetGradientInactiveStartColor(TColor color) {
  inactiveStartColor_ = color;
  BuildColorTables();
  RefreshFrame();
}

void TGradientForm::SetGradientInactiveStopColor(TColor color) {
  inactiveStopColor_ = color;
  inactiveStopColorIsSystem_ = color == clInactiveCaption;
  BuildColorTables();
  RefreshFrame();
}

void TGradientForm::SetPaintGradient(TGFPaintWhen when) {
  if (when == paintGradient_) return;
  paintGradient_ = when;
  RefreshFrame();
}

void TGradientForm::SetUseWin98Gradient(bool use) {
  if (use == useWin98Gradient_) return;
  useWin98Gradient_ = use;
  // Who paints the caption changes: a new window is painted by its new painter from the start.
  RecreateHandle();
  // A form's window is shown by the form, not by its creation.
  if (HandleAllocated() && Visible()) {
    ::ShowWindow(Handle(), SW_SHOW);
    RethrowCallbackException();
  }
}

void TGradientForm::SetUseDithering(bool use) {
  if (use == useDithering_) return;
  useDithering_ = use;
  RefreshFrame();
}

void TGradientForm::SetLogo(const TBitmap& logo) {
  CopyBitmap(logo_, logo);
  RefreshFrame();
}

void TGradientForm::SetInactiveLogo(const TBitmap& logo) {
  CopyBitmap(inactiveLogo_, logo);
  RefreshFrame();
}

void TGradientForm::SetLogoAlign(TGFLogoAlign align) {
  if (align == logoAlign_) return;
  logoAlign_ = align;
  RefreshFrame();
}

void TGradientForm::SetLogoLayered(bool layered) {
  if (layered == logoLayered_) return;
  logoLayered_ = layered;
  RefreshFrame();
}

// --- state ------------------------------------------------------------------------

bool TGradientForm::CaptionIsActive() { return HandleAllocated() && ::GetActiveWindow() == Handle(); }

int TGradientForm::ScreenColorDepth() {
  const ScreenDC screen;
  return ::GetDeviceCaps(screen.Get(), PLANES) * ::GetDeviceCaps(screen.Get(), BITSPIXEL);
}

bool TGradientForm::LeaveCaptionToSystem() const { return SystemGradientActive() || lowColorDisplay_; }

bool TGradientForm::SystemGradientActive() const { return useWin98Gradient_ && osDrawsGradients_; }

void TGradientForm::RefreshFrame() {
  if (!HandleAllocated() || LeaveCaptionToSystem()) return;
  ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, kFrameChanged);
  RethrowCallbackException();
}

void TGradientForm::RefreshCaptionFont() {
  const LOGFONTA system = GetSystemCaptionLogFont(BorderStyle(), PixelsPerInch());
  if (useSystemCaptionFont_) {
    captionFont_.SetName(std::string(system.lfFaceName, strnlen(system.lfFaceName, LF_FACESIZE)));
    captionFont_.SetPitch(PitchOf(system));
    TFontStyles style = 0;
    if (system.lfWeight >= FW_BOLD) style |= fsBold;
    if (system.lfItalic == 1) style |= fsItalic;
    if (system.lfUnderline == 1) style |= fsUnderline;
    if (system.lfStrikeOut == 1) style |= fsStrikeOut;
    captionFont_.SetStyle(style);
  }
  captionFont_.SetHeight(system.lfHeight);
  RefreshFrame();
}

void TGradientForm::BuildColorTables() {
  bandColors_ = kavrix::BuildColorTables({ColorToRGB(inactiveStartColor_), ColorToRGB(inactiveStopColor_)},
                                         {ColorToRGB(startColor_), ColorToRGB(stopColor_)}, gradientColors_);
}

int TGradientForm::SystemMetric(int index) const { return SystemMetricForDpi(index, PixelsPerInch()); }

void TGradientForm::ChangeScale(int toDpi, int fromDpi) {
  TForm::ChangeScale(toDpi, fromDpi);
  RefreshCaptionFont();
}

void TGradientForm::HandleCreated() {
  TForm::HandleCreated();
  ApplyNonClientRendering();
  // The border style, which chooses the system's caption font, is set by now.
  RefreshCaptionFont();
}

// With desktop composition (Windows Vista and later) the system draws the non-client
// area itself and what WM_NCPAINT paints is not seen, unless the window turns the
// system's rendering off. dwmapi.dll exists only on those systems (Wine has no
// composition; its stub accepts the call), so it is looked up at run time, in the
// system folder only.
void TGradientForm::ApplyNonClientRendering() {
  const UniqueLibrary dwm = LoadSystemLibrary("dwmapi.dll");
  using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  const auto set = SystemFunction<SetAttribute>(dwm, "DwmSetWindowAttribute");
  if (!set) return;
  const DWORD policy = LeaveCaptionToSystem() ? kDwmNcrpUseWindowStyle : kDwmNcrpDisabled;
  set(Handle(), kDwmNcRenderingPolicy, &policy, sizeof policy);
}

// --- painting ---------------------------------------------------------------------

TRect TGradientForm::CaptionBarRect() {
  if (BorderStyle() == bsNone) return {};
  RECT window{};
  ::GetWindowRect(Handle(), &window);
  TRect r{0, 0, window.right - window.left, window.bottom - window.top};
  const bool fixedFrame = ::IsIconic(Handle()) || BorderStyle() == bsSingle || BorderStyle() == bsDialog ||
                          BorderStyle() == bsToolWindow;
  const int dx = SystemMetric(fixedFrame ? SM_CXDLGFRAME : SM_CXFRAME);
  const int dy = SystemMetric(fixedFrame ? SM_CYDLGFRAME : SM_CYFRAME);
  r = {r.Left + dx, r.Top + dy, r.Right - dx, r.Bottom - dy};
  r.Bottom = r.Top + SystemMetric(IsToolWindow(BorderStyle()) ? SM_CYSMCAPTION : SM_CYCAPTION) - 1;
  return r;
}

void TGradientForm::RepaintCaption(bool active) {
  if (!HandleAllocated()) return;
  const WindowDC dc(Handle());
  if (dc.Get()) RenderCaption(dc.Get(), active);
}

TRect TGradientForm::RenderCaption(HDC dc, bool active) {
  const TRect bar = CaptionBarRect();
  const int width = bar.Width();
  const int height = bar.Height();
  if (width <= 0 || height <= 0) return bar;
  const UniqueMemoryDC memory(::CreateCompatibleDC(dc));
  const UniqueGdiObject bitmap(::CreateCompatibleBitmap(dc, width, height));
  if (!memory || !bitmap) return bar;
  const SelectionScope selection(memory.Get(), bitmap.Get());
  ComposeCaption(memory.Get(), {0, 0, width, height}, active);
  ::BitBlt(dc, bar.Left, bar.Top, width, height, memory.Get(), 0, 0, SRCCOPY);
  return bar;
}

void TGradientForm::ComposeCaption(HDC dc, TRect r, bool active) {
  const bool gradient = paintGradient_ == gfpAlways || (paintGradient_ == gfpActive && active);
  const bool logoMode = gradient && !logo_.Empty();
  if (!gradient) {
    FillCaptionSolid(dc, r, active, clActiveCaption, clInactiveCaption);
  } else if (logoMode) {
    FillCaptionSolid(dc, r, active, startColor_, inactiveStartColor_);
  } else {
    FillCaptionGradient(dc, r, useDithering_, active);
  }
  r.Left += 1;
  if (logoMode) {
    DrawLogoArea(dc, r, active);
  } else {
    if (ShowsIcon()) DrawFormIcon(dc, r, active);
    DrawTitleButtons(dc, r);
  }
  if (OnCaptionPaint) {
    TCanvas canvas(dc);
    canvas.Font().Assign(captionFont_);
    OnCaptionPaint(*this, canvas, r);
  }
  DrawCaptionTitle(dc, r, active);
}

void TGradientForm::DrawLogoArea(HDC dc, TRect& r, bool active) {
  const bool left = logoAlign_ == laLeft;
  if (left) {
    if (ShowsIcon()) DrawFormIcon(dc, r, active);
  } else {
    FillCaptionSolid(dc, r, active, stopColor_, inactiveStopColor_);
    DrawTitleButtons(dc, r);
  }
  TBitmap& logo = active || inactiveLogo_.Empty() ? logo_ : inactiveLogo_;
  const int logoWidth = logo.Width();
  const int logoHeight = logo.Height();
  const TRect logoArea = Intersect(
      left ? TRect{r.Left, r.Top, r.Left + logoWidth, r.Bottom} : TRect{r.Right - logoWidth, r.Top, r.Right, r.Bottom},
      r);
  const TRect gradientArea =
      left ? TRect{logoArea.Right, r.Top, r.Right, r.Bottom} : TRect{r.Left, r.Top, logoArea.Left, r.Bottom};
  if (gradientArea.Right > gradientArea.Left) FillCaptionGradient(dc, gradientArea, useDithering_, active);
  ::BitBlt(dc, logoArea.Left, logoArea.Top + (logoArea.Height() - logoHeight) / 2, logoArea.Width(), logoHeight,
           logo.Canvas().Handle(), 0, 0, SRCCOPY);
  if (left) {
    DrawTitleButtons(dc, r);
  } else if (ShowsIcon()) {
    DrawFormIcon(dc, r, active);
  }
  if (!logoLayered_) r = Intersect(r, gradientArea);
}

bool TGradientForm::ShowsIcon() const noexcept {
  return (BorderIcons() & biSystemMenu) && (BorderStyle() == bsSingle || BorderStyle() == bsSizeable);
}

void TGradientForm::FillCaptionSolid(HDC dc, const TRect& r, bool active, TColor activeColor, TColor inactiveColor) {
  const UniqueGdiObject brush(::CreateSolidBrush(ColorToRGB(active ? activeColor : inactiveColor)));
  const SelectionScope selection(dc, brush.Get());
  ::PatBlt(dc, r.Left, r.Top, r.Width(), r.Height(), PATCOPY);
}

void TGradientForm::FillCaptionGradient(HDC dc, const TRect& r, bool dither, bool active) {
  const int width = r.Width();
  const int height = r.Height();
  if (width < 1 || height < 1) return;
  CaptionFill fill;
  fill.colors = active ? CaptionGradientColors{ColorToRGB(startColor_), ColorToRGB(stopColor_)}
                       : CaptionGradientColors{ColorToRGB(inactiveStartColor_), ColorToRGB(inactiveStopColor_)};
  fill.bandColors = BandColors(active);
  fill.dither = dither;
  fill.devicePalette = ::GetDeviceCaps(dc, SIZEPALETTE) > 0;
  PixelBuffer pixels(width, height);
  const Rect area{0, 0, width, height};
  const CaptionFillChoice choice = ChooseCaptionFill(width, fill);
  const DitherMask* mask = choice.method == CaptionFillMethod::kDithered ? ResourceDitherMask(*choice.mask) : nullptr;
  if (mask) {
    FillCaptionDithered(pixels, area, fill.colors, *mask);
  } else {
    // A program built without the mask resources paints the plain gradient instead.
    fill.dither = false;
    kavrix::FillCaptionGradient(pixels, area, fill);
  }
  PresentPixels(dc, r.Left, r.Top, pixels);
}

void TGradientForm::DrawFormIcon(HDC dc, TRect& r, bool /*active*/) {
  HWND window = Handle();
  auto icon = reinterpret_cast<HICON>(::SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(::SendMessageA(window, WM_GETICON, ICON_BIG, 0));
  if (!icon && Application) icon = Application->Icon();
  if (!icon) icon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  const int size = SystemMetric(SM_CXSMICON);
  const UniqueResource<HICON, IconTraits> copy(
      static_cast<HICON>(::CopyImage(icon, IMAGE_ICON, size, size, LR_COPYFROMRESOURCE)));
  if (copy) ::DrawIconEx(dc, r.Left + 1, r.Top + 1, copy.Get(), 0, 0, 0, nullptr, DI_NORMAL);
  r.Left += size + 1;
}

void TGradientForm::DrawTitleButtons(HDC dc, TRect& r) {
  RECT button{r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
  const bool noClose = (::GetClassLongA(Handle(), GCL_STYLE) & CS_NOCLOSE) != 0;
  const UINT closeState = DFCS_CAPTIONCLOSE | (noClose ? DFCS_INACTIVE : 0);
  if (IsToolWindow(BorderStyle())) {
    // A tool window has its close button only, the small caption's size.
    button.left = button.right - SystemMetric(SM_CXSMSIZE) + 2;
    ::DrawFrameControl(dc, &button, DFC_CAPTION, closeState);
    r.Right = button.left - 5;
    return;
  }
  int buttonWidth = SystemMetric(SM_CXSMICON) - 2;
  if (r.Height() % 2 != buttonWidth % 2) buttonWidth += 1;
  button.left = button.right - buttonWidth - 2;
  const auto next = [&](int step) {
    ::OffsetRect(&button, -step, 0);
    r.Right -= step;
  };
  const TBorderIcons icons = BorderIcons();
  if (icons & biSystemMenu) {
    ::DrawFrameControl(dc, &button, DFC_CAPTION, closeState);
    next(buttonWidth + 4);
  }
  const bool framesBoxes = BorderStyle() == bsSingle || BorderStyle() == bsSizeable;
  if (framesBoxes && (icons & (biMinimize | biMaximize))) {
    UINT state = ::IsZoomed(Handle()) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX;
    ::DrawFrameControl(dc, &button, DFC_CAPTION, state | ((icons & biMaximize) ? 0 : DFCS_INACTIVE));
    next(buttonWidth + 2);
    state = ::IsIconic(Handle()) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN;
    ::DrawFrameControl(dc, &button, DFC_CAPTION, state | ((icons & biMinimize) ? 0 : DFCS_INACTIVE));
    next(buttonWidth + 2);
  }
  if ((icons & biHelp) && (BorderStyle() == bsDialog || (framesBoxes && !(icons & (biMinimize | biMaximize))))) {
    ::DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONHELP);
    r.Right -= buttonWidth + 2;
  }
  r.Right -= 3;
}

void TGradientForm::DrawCaptionTitle(HDC dc, TRect r, bool active) {
  RECT text = ToRECT(r);
  text.left += 2;
  struct Restore {
    HDC dc;
    COLORREF color;
    int mode;
    ~Restore() {
      ::SetBkMode(dc, mode);
      ::SetTextColor(dc, color);
    }
  } const restore{dc, ::SetTextColor(dc, ColorToRGB(active ? captionTextColor_ : inactiveCaptionTextColor_)),
                  ::SetBkMode(dc, TRANSPARENT)};
  const SelectionScope font(dc, captionFont_.Handle());
  ::DrawTextA(dc, Caption().c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}

// --- messages ---------------------------------------------------------------------

intptr_t TGradientForm::WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == WM_SYSCOLORCHANGE) return SysColorChange(wParam, lParam);
  if ((message == WM_WININICHANGE && wParam == SPI_SETNONCLIENTMETRICS) ||
      (message == WM_STYLECHANGED && wParam == static_cast<uintptr_t>(GWL_EXSTYLE))) {
    // Kept current even while the system paints, for when the form paints again; a form
    // becoming a tool window or ceasing to be one changes caption fonts.
    RefreshCaptionFont();
  }
  if (LeaveCaptionToSystem()) return TForm::WndProc(message, wParam, lParam);
  switch (message) {
    case WM_NCPAINT:
      return NonClientPaint(wParam, lParam);
    case WM_NCACTIVATE:
      // The system's handling would draw its own caption over this one.
      RepaintCaption(wParam != 0);
      return 1;
    case WM_SIZE: {
      const intptr_t result = TForm::WndProc(message, wParam, lParam);
      if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) RepaintCaption(CaptionIsActive());
      return result;
    }
    case WM_SETTEXT:
      return SetTextMessage(wParam, lParam);
    case WM_GETTEXT:
      return GetTextMessage(wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<intptr_t>(Caption().size());
    case WM_SETCURSOR:
      if (SetSizingCursor(LOWORD(lParam))) return 1;
      break;
    case WM_NCLBUTTONDOWN: {
      // The system's handling of clicks, menus and commands draws its own caption.
      const intptr_t result = TForm::WndProc(message, wParam, lParam);
      RepaintCaption(CaptionIsActive());
      return result;
    }
    case WM_SYSCOMMAND: {
      if (wParam == SC_CONTEXTHELP) break;
      RepaintCaption(CaptionIsActive());
      const intptr_t result = TForm::WndProc(message, wParam, lParam);
      RepaintCaption(CaptionIsActive());
      return result;
    }
    case WM_ENTERIDLE:
      RepaintCaption(CaptionIsActive());
      break;
    default:
      break;
  }
  return TForm::WndProc(message, wParam, lParam);
}

// The caption bar is painted here; the system paints the rest of the update region,
// given to it without the caption rectangle.
intptr_t TGradientForm::NonClientPaint(uintptr_t wParam, intptr_t lParam) {
  HWND window = Handle();
  const WindowDC dc(window);
  if (!dc.Get()) return TForm::WndProc(WM_NCPAINT, wParam, lParam);
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  // The update region is in screen coordinates; 1 (or nothing) stands for the whole window.
  auto update = reinterpret_cast<HRGN>(wParam);
  UniqueGdiObject wholeWindow;
  if (!update || ::SelectClipRgn(dc.Get(), update) == ERROR) {
    wholeWindow.Reset(::CreateRectRgnIndirect(&bounds));
    ::SelectClipRgn(dc.Get(), static_cast<HRGN>(wholeWindow.Get()));
  }
  ::OffsetClipRgn(dc.Get(), -bounds.left, -bounds.top);
  const TRect bar = RenderCaption(dc.Get(), CaptionIsActive());
  ::ExcludeClipRect(dc.Get(), bar.Left, bar.Top, bar.Right, bar.Bottom);
  ::OffsetClipRgn(dc.Get(), bounds.left, bounds.top);
  // A region of our own: the one the system passed in is not ours to change.
  const UniqueGdiObject rest(::CreateRectRgn(0, 0, 0, 0));
  if (!rest || ::GetClipRgn(dc.Get(), static_cast<HRGN>(rest.Get())) != 1) {
    return TForm::WndProc(WM_NCPAINT, wParam, lParam);
  }
  return TForm::WndProc(WM_NCPAINT, reinterpret_cast<uintptr_t>(rest.Get()), lParam);
}

intptr_t TGradientForm::SetTextMessage(uintptr_t wParam, intptr_t lParam) {
  intptr_t result = 0;
  {
    // The system's handling redraws its own caption at once; an empty window region
    // keeps that drawing off the screen until the region is taken away again.
    struct HiddenWindow {
      HWND window = nullptr;
      ~HiddenWindow() {
        if (window) ::SetWindowRgn(window, nullptr, FALSE);
      }
    } hidden;
    HWND window = Handle();
    if (::IsWindowVisible(window)) {
      UniqueGdiObject empty(::CreateRectRgn(0, 0, 0, 0));
      // The system owns a region it accepted.
      if (empty && ::SetWindowRgn(window, static_cast<HRGN>(empty.Get()), FALSE)) {
        empty.Release();
        hidden.window = window;
      }
    }
    result = TForm::WndProc(WM_SETTEXT, wParam, lParam);
  }
  if (!settingCaption && lParam) SetCaption(reinterpret_cast<const char*>(lParam));
  return result;
}

// At most wParam − 1 characters and a NUL; nothing for a buffer of no characters.
intptr_t TGradientForm::GetTextMessage(uintptr_t wParam, intptr_t lParam) const {
  if (wParam == 0 || lParam == 0) return 0;
  const std::string& caption = Caption();
  const size_t count = std::min<size_t>(caption.size(), wParam - 1);
  auto* buffer = reinterpret_cast<char*>(lParam);
  std::memcpy(buffer, caption.data(), count);
  buffer[count] = '\0';
  return static_cast<intptr_t>(count);
}

intptr_t TGradientForm::SysColorChange(uintptr_t wParam, intptr_t lParam) {
  const bool wasLeft = LeaveCaptionToSystem();
  lowColorDisplay_ = ScreenColorDepth() == 4;
  if (wasLeft != LeaveCaptionToSystem() && HandleAllocated()) ApplyNonClientRendering();
  if (!LeaveCaptionToSystem()) {
    if (stopColorIsSystem_) SetGradientStopColor(clActiveCaption);
    if (inactiveStopColorIsSystem_) SetGradientInactiveStopColor(clInactiveCaption);
    BuildColorTables();
  }
  return TForm::WndProc(WM_SYSCOLORCHANGE, wParam, lParam);
}

}  // namespace kavrix
