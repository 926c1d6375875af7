#include "appearance/controls/explbtn.h"

#include <cctype>
#include <memory>

#include "appearance/controls/PixelTransfer.h"
#include "system/CallbackGuard.h"
#include "toolkit/Application.h"
#include "toolkit/GlyphDraw.h"
#include "toolkit/Win32Gdi.h"
#include "toolkit/WinControl.h"

namespace kavrix {
namespace {

// Text is laid out from a buffer of this many characters, the terminator included.
constexpr size_t kTextBufferSize = 260;

// Shared by every button of the process: whether text gets an end ellipsis (decided by
// the system version at each construction) and the held-down background pattern.
bool useEllipsis = false;
std::unique_ptr<TBitmap> downPattern;

bool SystemDrawsEllipsis() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!::GetVersionExA(&version)) return false;
  return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ||
         (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 4);
}

TBitmap& DownPattern() {
  if (!downPattern) {
    PixelBuffer pattern(8, 8);
    FillDownPattern(pattern, {0, 0, 8, 8}, ColorToRGB(clBtnFace), ColorToRGB(clBtnHighlight));
    auto bitmap = std::make_unique<TBitmap>();
    WritePixels(*bitmap, pattern);
    downPattern = std::move(bitmap);
  }
  return *downPattern;
}

// Draws `image` at (x, y) leaving out every pixel of the colour of its top-left pixel.
// The layers meet on a copy of the area, which reaches `dc` in one copy: the screen never
// shows them half done.
// The image is drawn `width` × `height`, enlarged pixel for pixel when that is larger,
// so the transparent colour stays exact.
void DrawTransparent(HDC dc, TBitmap& image, int x, int y, int width, int height) {
  if (image.Empty()) return;
  const TRect whole{0, 0, image.Width(), image.Height()};
  const TColor transparent = ::GetPixel(image.Canvas().Handle(), 0, 0);
  const UniqueMemoryDC area(::CreateCompatibleDC(dc));
  const UniqueGdiObject bitmap(::CreateCompatibleBitmap(dc, width, height));
  if (!area || !bitmap) {
    kavrix::DrawTransparent(dc, Bounds(x, y, width, height), image, whole, transparent);
    return;
  }
  const SelectionScope selection(area.Get(), bitmap.Get());
  ::BitBlt(area.Get(), 0, 0, width, height, dc, x, y, SRCCOPY);
  kavrix::DrawTransparent(area.Get(), {0, 0, width, height}, image, whole, transparent);
  ::BitBlt(dc, x, y, width, height, area.Get(), 0, 0, SRCCOPY);
}

void FillWithDownPattern(HDC dc, int width, int height) {
  const UniqueGdiObject brush(::CreatePatternBrush(DownPattern().Handle()));
  // The pattern's origin is the button's corner wherever the button is drawn.
  POINT origin{0, 0};
  ::LPtoDP(dc, &origin, 1);
  POINT previous{};
  ::SetBrushOrgEx(dc, ((origin.x % 8) + 8) % 8, ((origin.y % 8) + 8) % 8, &previous);
  const RECT area{0, 0, width, height};
  ::FillRect(dc, &area, static_cast<HBRUSH>(brush.Get()));
  ::SetBrushOrgEx(dc, previous.x, previous.y, nullptr);
}

TRect Shifted(TRect rect) noexcept { return {rect.Left + 1, rect.Top + 1, rect.Right + 1, rect.Bottom + 1}; }

void ProcessPendingMessages() {
  if (Application) Application->ProcessMessages();
}

}  // namespace

bool StrictlyInside(const TRect& bounds, TPoint point) noexcept {
  return bounds.Left < point.X && point.X < bounds.Right && bounds.Top < point.Y && point.Y < bounds.Bottom;
}

TExplorerButton::TExplorerButton(TComponent* owner) : TGraphicControl(owner) {
  useEllipsis = SystemDrawsEllipsis();
  SetBounds(Left(), Top(), 50, 40);
}

TExplorerButton::~TExplorerButton() { downPattern.reset(); }

void TExplorerButton::SetAlignment(TAlignment value) {
  alignment_ = value;
  Repaint();
}

void TExplorerButton::SetAllowAllUp(bool value) {
  allowAllUp_ = value;
  if (groupIndex_ != 0) ForEachInGroup([value](TExplorerButton& other) { other.allowAllUp_ = value; });
}

void TExplorerButton::SetBevelStyle(TBevelStyle value) {
  bevelStyle_ = value;
  Repaint();
}

void TExplorerButton::SetBitmap(TBitmap& value) {
  CopyBitmap(bitmap_, value);
  ImageChanged();
}

void TExplorerButton::SetNoFocusBitmap(TBitmap& value) {
  CopyBitmap(noFocusBitmap_, value);
  ImageChanged();
}

void TExplorerButton::SetDisabledBitmap(TBitmap& value) {
  CopyBitmap(disabledBitmap_, value);
  if (!Enabled()) Repaint();
}

void TExplorerButton::ImageChanged() {
  DeriveGreyImage();
  Repaint();
}

void TExplorerButton::DeriveGreyImage() {
  if (bitmap_.Empty() || !noFocusBitmap_.Empty()) return;
  WritePixels(iBitmap_, MakeGreyImage(ReadPixels(bitmap_), shadingType_, ColorToRGB(clBtnHighlight),
                                      ColorToRGB(clBtnShadow)));
}

void TExplorerButton::ReadIBitmap(std::span<const uint8_t> data) { LoadBitmapImage(iBitmap_, data); }

std::vector<uint8_t> TExplorerButton::WriteIBitmap() { return SaveBitmapImage(iBitmap_); }

template <typename Visit>
void TExplorerButton::ForEachInGroup(Visit visit) {
  if (!Parent()) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    auto* other = dynamic_cast<TExplorerButton*>(Parent()->Controls(i));
    if (other && other != this && other->groupIndex_ == groupIndex_) visit(*other);
  }
}

void TExplorerButton::ReleaseGroup() {
  ForEachInGroup([](TExplorerButton& other) { other.SetDown(false); });
}

void TExplorerButton::SetDown(bool value) {
  if (value == down_ || groupIndex_ == 0) return;
  down_ = value;
  if (value) ReleaseGroup();
  Repaint();
}

void TExplorerButton::SetDropDownMenu(HMENU value) {
  dropDownMenu_ = value;
  if (HasOption(boPopupMark)) Repaint();
}

void TExplorerButton::SetGroupIndex(int value) {
  if (value == groupIndex_) return;
  groupIndex_ = value;
  if (value == 0 && down_) {
    down_ = false;
    Repaint();
  }
}

void TExplorerButton::SetLayout(TExplorerButtonLayout value) {
  if (value == layout_) return;
  layout_ = value;
  Repaint();
}

void TExplorerButton::SetOptions(TExplorerButtonOptions value) {
  options_ = value;
  const std::string plain = StripAccelerators(Caption());
  if (HasOption(boIconOnly)) {
    if (Hint().empty()) {
      SetHint(plain);
      SetShowHint(true);
    }
  } else if (Hint() == plain) {
    SetHint("");
    SetShowHint(false);
  }
  Repaint();
}

void TExplorerButton::SetShadingType(TExplorerButtonShadingType value) {
  if (value == shadingType_) return;
  shadingType_ = value;
  DeriveGreyImage();
  Repaint();
}

void TExplorerButton::SetShowDownPattern(bool value) {
  if (value == showDownPattern_) return;
  showDownPattern_ = value;
  Repaint();
}

void TExplorerButton::SetUnselectedFontColor(TColor value) {
  if (value == unselectedFontColor_) return;
  unselectedFontColor_ = value;
  Repaint();
}

void TExplorerButton::SetWordWrap(bool value) {
  if (value == wordWrap_) return;
  wordWrap_ = value;
  Repaint();
}

void TExplorerButton::TextChanged() {
  if (HasOption(boIconOnly)) {
    SetHint(StripAccelerators(Caption()));
  } else {
    Repaint();
  }
}

void TExplorerButton::EnabledChanged() {
  if (groupIndex_ == 0) down_ = false;
  pushed_ = false;
  mouseInside_ = false;
  Repaint();
}

// --- Mouse and keyboard ---

bool TExplorerButton::CursorInside() const {
  POINT cursor{};
  if (!Parent() || !Parent()->HandleAllocated() || !::GetCursorPos(&cursor)) return false;
  ::ScreenToClient(Parent()->Handle(), &cursor);
  return StrictlyInside(BoundsRect(), {cursor.x, cursor.y});
}

void TExplorerButton::MouseDown(TMouseButton button, int, int) {
  if (button == mbLeft) LeftButtonDown();
}

void TExplorerButton::MouseUp(TMouseButton button, int, int) {
  if (button == mbLeft) LeftButtonUp();
}

void TExplorerButton::LeftButtonDown() {
  if (TForm* form = GetParentForm(*this); form && form->HandleAllocated() && ::GetActiveWindow() != form->Handle()) {
    ::SetForegroundWindow(form->Handle());
  }
  if (!Enabled() || !Visible()) return;
  pushed_ = true;
  mouseInside_ = true;
  Repaint();
  if (!Parent() || !Parent()->HandleAllocated()) return;
  HWND parent = Parent()->Handle();
  if (!dropDownMenu_) {
    ::SetCapture(parent);
    return;
  }
  POINT corner{Left(), Top() + Height()};
  ::ClientToScreen(parent, &corner);
  ::TrackPopupMenu(dropDownMenu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, corner.x, corner.y, 0, parent,
                   nullptr);
  RethrowCallbackException();
  AfterMenu();
}

void TExplorerButton::AfterMenu() {
  // The clicks that closed the menu must not reach the button or its neighbours; the
  // wheel and the extra buttons (past WM_MBUTTONDBLCLK) are not clicks on it.
  constexpr UINT kLastClickMessage = 0x0209;  // WM_MBUTTONDBLCLK
  MSG message;
  while (::PeekMessageA(&message, nullptr, WM_MOUSEFIRST, kLastClickMessage, PM_REMOVE)) {
  }
  if (HWND capture = ::GetCapture()) ::SendMessageA(capture, WM_CANCELMODE, 0, 0);
  RethrowCallbackException();
  mouseInside_ = CursorInside();
  pushed_ = false;
  Repaint();
}

void TExplorerButton::LeftButtonUp() {
  if (!Enabled() || !Visible() || !pushed_) return;
  pushed_ = false;
  if (mouseInside_ && groupIndex_ != 0) {
    if (!down_) {
      ReleaseGroup();
      down_ = true;
    } else if (allowAllUp_) {
      down_ = false;
    }
  }
  if (Parent() && Parent()->HandleAllocated() && ::GetCapture() == Parent()->Handle()) ::ReleaseCapture();
  if (!mouseInside_) return;
  mouseInside_ = CursorInside();
  Invalidate();
  if (!dropDownMenu_) Click();
}

void TExplorerButton::MouseEnter() {
  mouseInside_ = true;
  if (!down_ && Enabled()) Repaint();
  if (OnEnter) OnEnter(*this);
}

void TExplorerButton::MouseLeave() {
  mouseInside_ = false;
  if (!down_ && Enabled()) Repaint();
  if (OnExit) OnExit(*this);
}

bool TExplorerButton::DialogChar(char key) {
  const char accelerator = AcceleratorOf(Caption());
  if (accelerator == 0 || !Enabled() || !Visible() ||
      std::tolower(static_cast<unsigned char>(accelerator)) != std::tolower(static_cast<unsigned char>(key))) {
    return false;
  }
  mouseInside_ = true;
  pushed_ = false;
  Repaint();
  ProcessPendingMessages();
  LeftButtonDown();
  ProcessPendingMessages();
  LeftButtonUp();
  ProcessPendingMessages();
  if (!CursorInside()) {
    mouseInside_ = false;
    Repaint();
  }
  return true;
}

void TExplorerButton::ChangeScale(int toDpi, int fromDpi) {
  TGraphicControl::ChangeScale(toDpi, fromDpi);
  pixelsPerInch_ = toDpi;
  Invalidate();
}

// --- Painting ---

ButtonLayoutInput TExplorerButton::LayoutInput(TCanvas& canvas, std::string& text) const {
  ButtonLayoutInput in;
  in.width = Width();
  in.height = Height();
  in.bitmapWidth = ScaleToDpi(bitmap_.Width(), pixelsPerInch_);
  in.bitmapHeight = ScaleToDpi(bitmap_.Height(), pixelsPerInch_);
  in.popupMark = ShowsPopupMark();
  in.layout = layout_;
  in.alignment = alignment_;
  in.wordWrap = wordWrap_;
  in.showText = ShowsText();
  if (!in.showText) return in;
  // The terminator and, with WordWrap, the appended space share the buffer.
  text = Caption().substr(0, kTextBufferSize - (wordWrap_ ? 2 : 1));
  if (wordWrap_) text += ' ';
  TRect measured{0, 0, Width() - 4, 0};
  canvas.DrawText(measured, text, TextFormat() | tfCalcRect);
  in.textWidth = measured.Right;
  in.textHeight = measured.Bottom;
  return in;
}

uint32_t TExplorerButton::TextFormat() const noexcept {
  const uint32_t align = alignment_ == TAlignment::taLeftJustify    ? tfLeft
                         : alignment_ == TAlignment::taRightJustify ? tfRight
                                                                    : tfCenter;
  return align | (wordWrap_ ? tfWordBreak : 0u);
}

void TExplorerButton::DrawBevel(TCanvas& canvas, BevelLook look) const {
  if (!HasOption(boShowBevel)) return;
  const BevelColors colors = BevelColorsFor(ColorToRGB(Color()), look, bevelStyle_);
  canvas.SetPenColor(colors.topLeft);
  canvas.MoveTo(0, Height());
  canvas.LineTo(0, 0);
  canvas.LineTo(Width() - 1, 0);
  canvas.SetPenColor(colors.bottomRight);
  canvas.LineTo(Width() - 1, Height() - 1);
  canvas.LineTo(0, Height() - 1);
}

void TExplorerButton::DrawText(TCanvas& canvas, const std::string& text, TRect rect) const {
  canvas.DrawText(rect, text, TextFormat() | (useEllipsis ? tfEndEllipsis : 0u));
}

void TExplorerButton::DrawPopupMark(TCanvas& canvas, Point origin) const {
  // The mark's shape comes from the renderer: drawn on a keyed scratch image, then
  // every pixel it set is put on the canvas.
  constexpr TColor kKey = 0x01000000;
  const TColor color = ColorToRGB(canvas.Font().Color());
  PixelBuffer mark(7, 4, kKey);
  ::kavrix::DrawPopupMark(mark, {0, 1}, color);
  for (int y = 0; y < mark.Height(); ++y) {
    for (int x = 0; x < mark.Width(); ++x) {
      if (mark.At(x, y) != kKey) ::SetPixelV(canvas.Handle(), origin.x + x, origin.y - 1 + y, color);
    }
  }
}

void TExplorerButton::PaintDisabled(TCanvas& canvas, const ButtonLayout& layout, const std::string& text) {
  if (down_) DrawBevel(canvas, BevelLook::kPressed);
  if (!disabledBitmap_.Empty()) {
    DrawTransparent(canvas.Handle(), disabledBitmap_, layout.bitmap.x, layout.bitmap.y,
                    ScaleToDpi(disabledBitmap_.Width(), pixelsPerInch_), ScaleToDpi(disabledBitmap_.Height(), pixelsPerInch_));
  } else {
    // The disabled look of an image: its pure black pixels embossed.
    DrawEmbossedColor(canvas.Handle(), layout.bitmap.x, layout.bitmap.y, bitmap_, clBlack);
  }
  if (!ShowsText()) return;
  const TRect rect{layout.textRect.left, layout.textRect.top, layout.textRect.right, layout.textRect.bottom};
  canvas.SetBrushStyle(bsClear);
  canvas.Font().SetColor(clBtnHighlight);
  DrawText(canvas, text, Shifted(rect));
  canvas.Font().SetColor(clBtnShadow);
  DrawText(canvas, text, rect);
}

void TExplorerButton::Paint(TCanvas& canvas) {
  if (!Visible()) return;
  if (down_ && showDownPattern_) FillWithDownPattern(canvas.Handle(), Width(), Height());
  canvas.SetBrushStyle(bsClear);
  canvas.Font().Assign(Font());
  std::string text;
  const ButtonLayoutInput in = LayoutInput(canvas, text);
  const ButtonLayout layout = LayoutButton(in);
  if (!Enabled()) {
    PaintDisabled(canvas, layout, text);
    return;
  }
  TRect rect{layout.textRect.left, layout.textRect.top, layout.textRect.right, layout.textRect.bottom};
  const bool pressed = (pushed_ && mouseInside_) || down_;
  if (pressed) {
    DrawBevel(canvas, BevelLook::kPressed);
    if (bevelStyle_ == TBevelStyle::bsRaised) rect = Shifted(rect);
  } else if (mouseInside_) {
    DrawBevel(canvas, BevelLook::kRaised);
  } else {
    canvas.Font().SetColor(unselectedFontColor_);
  }
  if (!pressed && bevelStyle_ == TBevelStyle::bsLowered) rect = Shifted(rect);
  if (ShowsText()) DrawText(canvas, text, rect);
  const int shift = pressed ? 1 : 0;
  if (!bitmap_.Empty()) {
    TBitmap& image = pressed || mouseInside_ || !HasOption(boMonoDisplay) ? bitmap_
                     : !noFocusBitmap_.Empty()                             ? noFocusBitmap_
                                                                           : iBitmap_;
    DrawTransparent(canvas.Handle(), image, layout.bitmap.x + shift, layout.bitmap.y + shift,
                    ScaleToDpi(image.Width(), pixelsPerInch_), ScaleToDpi(image.Height(), pixelsPerInch_));
  }
  if (ShowsPopupMark()) DrawPopupMark(canvas, PopupMarkOrigin(in, layout, pressed));
}

}  // namespace kavrix
