#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "ControlsTestSupport.h"
#include "appearance/controls/PixelTransfer.h"
#include "appearance/controls/explbtn.h"
#include "system/CallbackGuard.h"
#include "system/Win32Handles.h"

namespace kavrix {
namespace {

using ExplorerButtonTest = testing::ControlsTest;

constexpr TColor kLogoRed = 0x0000C0;
constexpr TColor kLogoWhite = 0xFFFFFF;

// The banner logo's stand-in: pure blue around a red block with a white frame line.
std::vector<uint8_t> LogoBmp() {
  return testing::MakeBmp8(338, 46, {clBlue, kLogoRed, kLogoWhite}, [](int x, int y) {
    if (x < 20 || x >= 300 || y < 6 || y >= 40) return 0;
    return (x == 20 || y == 6) ? 2 : 1;
  });
}

TExplorerButton* AddButton(TForm* form, int left, int top) {
  auto* button = new TExplorerButton(form);
  button->SetParent(form);
  button->SetBounds(left, top, button->Width(), button->Height());
  return button;
}

struct MenuTraits {
  static HMENU None() noexcept { return nullptr; }
  static bool IsValid(HMENU menu) noexcept { return menu != nullptr; }
  static void Close(HMENU menu) noexcept { ::DestroyMenu(menu); }
};

// Closes the menu the button opened, and records that a menu loop ran.
bool menuLoopRan = false;
VOID CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
  GuardCallback<int>(0, [] {
    menuLoopRan = true;
    ::EndMenu();
    return 0;
  });
}

// Closes the menu and leaves a click and a wheel turn behind it in the queue.
HWND leftBehindFor = nullptr;
VOID CALLBACK CloseMenuLeavingMouseInput(HWND, UINT, UINT_PTR, DWORD) {
  GuardCallback<int>(0, [] {
    ::EndMenu();
    ::PostMessageA(leftBehindFor, WM_MBUTTONDBLCLK, 0, 0);
    ::PostMessageA(leftBehindFor, 0x020A, 0, 0);  // WM_MOUSEWHEEL
    return 0;
  });
}

struct Clicks {
  explicit Clicks(TExplorerButton& button) {
    button.OnClick = [this](TObject&) { ++count; };
  }
  int count = 0;
};

TEST_F(ExplorerButtonTest, TheInstallersBannerShowsItsDisabledLogoCentredWithBlueLeftOut) {
  TBitmap logo;
  LoadBitmapImage(logo, LogoBmp());
  auto* banner = AddButton(form_, 8, 8);
  EXPECT_EQ(banner->Width(), 50);
  EXPECT_EQ(banner->Height(), 40);
  banner->SetBounds(8, 8, 353, 57);
  banner->SetEnabled(false);
  banner->SetOptions(boIconOnly);
  banner->SetColor(clBlack);
  banner->SetShowHint(true);
  banner->SetBitmap(logo);
  banner->SetDisabledBitmap(logo);

  const PixelBuffer shot = Capture();
  const TColor parent = ColorToRGB(form_->Color());
  const PixelBuffer image = ReadPixels(logo);
  int mismatches = 0;
  for (int y = 0; y < 57; ++y) {
    for (int x = 0; x < 353; ++x) {
      const int ix = x - 7;
      const int iy = y - 5;
      const bool onImage = image.Contains(ix, iy) && image.At(ix, iy) != clBlue;
      const TColor expected = onImage ? image.At(ix, iy) : parent;
      if (shot.At(8 + x, 8 + y) != expected) ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(shot.At(8 + 7 + 20, 8 + 5 + 6), kLogoWhite) << "the image's first non-blue pixel";
  EXPECT_EQ(shot.At(8 + 7 + 19, 8 + 5 + 6), parent);

  // Disabled: neither the mouse nor the press changes anything.
  Clicks clicks(*banner);
  banner->MouseEnter();
  banner->MouseDown(mbLeft, 10, 10);
  banner->MouseUp(mbLeft, 10, 10);
  EXPECT_FALSE(banner->Pushed());
  EXPECT_EQ(clicks.count, 0);
}

// The records of an enhanced metafile that put pixels on its surface, in order.
struct Drawing {
  std::vector<uint8_t> bits;
  std::vector<const ENHMETARECORD*> drawn;
};

Drawing DrawingOf(HENHMETAFILE metafile) {
  Drawing drawing;
  drawing.bits.resize(::GetEnhMetaFileBits(metafile, 0, nullptr));
  ::GetEnhMetaFileBits(metafile, static_cast<UINT>(drawing.bits.size()), drawing.bits.data());
  constexpr DWORD kDrawingRecords[] = {
      // lines and curves
      EMR_POLYBEZIER, EMR_POLYLINE, EMR_POLYBEZIERTO, EMR_POLYLINETO, EMR_POLYPOLYLINE, EMR_ANGLEARC, EMR_ARC,
      EMR_LINETO, EMR_ARCTO, EMR_POLYDRAW, EMR_STROKEPATH, EMR_POLYBEZIER16, EMR_POLYLINE16, EMR_POLYBEZIERTO16,
      EMR_POLYLINETO16, EMR_POLYPOLYLINE16, EMR_POLYDRAW16,
      // shapes, paths and regions
      EMR_POLYGON, EMR_POLYPOLYGON, EMR_ELLIPSE, EMR_RECTANGLE, EMR_ROUNDRECT, EMR_CHORD, EMR_PIE,
      EMR_EXTFLOODFILL, EMR_FILLPATH, EMR_STROKEANDFILLPATH, EMR_FILLRGN, EMR_FRAMERGN, EMR_INVERTRGN,
      EMR_PAINTRGN, EMR_POLYGON16, EMR_POLYPOLYGON16, EMR_GRADIENTFILL, EMR_SETPIXELV,
      // pixel copies
      EMR_BITBLT, EMR_STRETCHBLT, EMR_MASKBLT, EMR_PLGBLT, EMR_SETDIBITSTODEVICE, EMR_STRETCHDIBITS,
      EMR_ALPHABLEND, EMR_TRANSPARENTBLT,
      // text
      EMR_EXTTEXTOUTA, EMR_EXTTEXTOUTW, EMR_POLYTEXTOUTA, EMR_POLYTEXTOUTW};
  for (size_t at = 0; at + sizeof(EMR) <= drawing.bits.size();) {
    const auto* record = reinterpret_cast<const ENHMETARECORD*>(drawing.bits.data() + at);
    if (record->nSize < sizeof(EMR)) break;
    if (std::find(std::begin(kDrawingRecords), std::end(kDrawingRecords), record->iType) !=
        std::end(kDrawingRecords))
      drawing.drawn.push_back(record);
    at += record->nSize;
  }
  return drawing;
}

// The colour of pixel (x, y) of the bitmap a 24- or 32-bit EMR_BITBLT record carries.
TColor CopiedPixel(const EMRBITBLT& copy, int x, int y) {
  const auto* base = reinterpret_cast<const uint8_t*>(&copy);
  const auto& info = *reinterpret_cast<const BITMAPINFOHEADER*>(base + copy.offBmiSrc);
  const int bytes = info.biBitCount / 8;
  const int stride = (info.biWidth * bytes + 3) / 4 * 4;
  const int row = info.biHeight > 0 ? info.biHeight - 1 - y : y;
  const uint8_t* pixel = base + copy.offBitsSrc + row * stride + x * bytes;
  return MakeColor(pixel[2], pixel[1], pixel[0]);
}

// What is under the image and the image's own pixels meet off screen: the surface the
// button paints on receives one opaque copy holding the finished picture, never the
// steps that leave the transparent colour out.
TEST_F(ExplorerButtonTest, TheTransparentImageReachesTheSurfaceInOneFinishedCopy) {
  TBitmap logo;
  LoadBitmapImage(logo, LogoBmp());
  auto* banner = AddButton(form_, 8, 8);
  banner->SetBounds(8, 8, 353, 57);
  banner->SetEnabled(false);
  banner->SetOptions(boIconOnly);
  banner->SetBitmap(logo);
  banner->SetDisabledBitmap(logo);

  // A metafile records every operation on its surface, in order, as the screen would
  // receive them.
  HDC screen = ::GetDC(nullptr);
  HDC recorder = ::CreateEnhMetaFileA(screen, nullptr, nullptr, nullptr);
  ::ReleaseDC(nullptr, screen);
  ASSERT_NE(recorder, nullptr);
  {
    TCanvas canvas(recorder);
    banner->Paint(canvas);
  }
  const struct Metafile {
    HENHMETAFILE handle;
    ~Metafile() { ::DeleteEnhMetaFile(handle); }
  } metafile{::CloseEnhMetaFile(recorder)};
  ASSERT_NE(metafile.handle, nullptr);

  const Drawing drawing = DrawingOf(metafile.handle);
  std::string types;
  for (const ENHMETARECORD* record : drawing.drawn) types += " " + std::to_string(record->iType);
  ASSERT_EQ(drawing.drawn.size(), 1u) << "record types:" << types;
  ASSERT_EQ(drawing.drawn[0]->iType, static_cast<DWORD>(EMR_BITBLT));
  const auto& copy = *reinterpret_cast<const EMRBITBLT*>(drawing.drawn[0]);
  EXPECT_EQ(copy.dwRop, static_cast<DWORD>(SRCCOPY));
  EXPECT_EQ(copy.xDest, 7);
  EXPECT_EQ(copy.yDest, 5);
  EXPECT_EQ(copy.cxDest, 338);
  EXPECT_EQ(copy.cyDest, 46);
  ASSERT_GT(copy.cbBitsSrc, 0u);
  const auto& info = *reinterpret_cast<const BITMAPINFOHEADER*>(reinterpret_cast<const uint8_t*>(&copy) +
                                                                 copy.offBmiSrc);
  ASSERT_TRUE(info.biBitCount == 24 || info.biBitCount == 32) << info.biBitCount;
  // Where the image is transparent the copy holds what was read back from the surface,
  // which a recording surface does not define: only the image's own pixels are checked.
  EXPECT_EQ(CopiedPixel(copy, 20, 6), kLogoWhite) << "the copy holds the image";
  EXPECT_EQ(CopiedPixel(copy, 150, 25), kLogoRed);
}

TEST_F(ExplorerButtonTest, ADisabledButtonWithoutDisabledImageEmbossesTheBlackPixels) {
  TBitmap image;
  image.SetSize(8, 8);  // white, with one black pixel at (3, 4)
  image.Canvas().SetBrushColor(clBlack);
  image.Canvas().FillRect({3, 4, 4, 5});
  auto* button = AddButton(form_, 100, 100);
  button->SetOptions(boIconOnly);
  button->SetBitmap(image);
  button->SetEnabled(false);
  const PixelBuffer shot = Capture();
  // 50 × 40 with an 8 × 8 image: the image's corner at (21, 16).
  const int x = 100 + 21 + 3;
  const int y = 100 + 16 + 4;
  EXPECT_EQ(shot.At(x, y), ColorToRGB(clBtnShadow));
  EXPECT_EQ(shot.At(x + 1, y + 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(shot.At(x + 1, y), ColorToRGB(form_->Color())) << "white pixels leave the parent";
}

TEST_F(ExplorerButtonTest, HotAndPressedStatesDrawTheBevelAndMoveTheImage) {
  TBitmap image;
  image.SetSize(4, 4);
  image.Canvas().SetBrushColor(clRed);
  image.Canvas().FillRect({1, 1, 3, 3});  // white corners are transparent
  auto* button = AddButton(form_, 200, 100);
  button->SetOptions(boShowBevel | boIconOnly);
  button->SetColor(0x606060);
  button->SetBitmap(image);
  const TColor light = 0x888888;
  const TColor dark = 0x383838;
  const TColor parent = ColorToRGB(form_->Color());

  PixelBuffer shot = Capture();
  EXPECT_EQ(shot.At(200, 110), parent) << "no bevel at rest";
  EXPECT_EQ(shot.At(200 + 23 + 1, 100 + 18 + 1), clRed);

  button->MouseEnter();
  shot = Capture();
  EXPECT_EQ(shot.At(200, 110), light);
  EXPECT_EQ(shot.At(249, 110), dark);

  button->MouseDown(mbLeft, 5, 5);
  shot = Capture();
  EXPECT_EQ(shot.At(200, 110), dark);
  EXPECT_EQ(shot.At(249, 110), light);
  EXPECT_EQ(shot.At(200 + 23 + 1, 100 + 18 + 1), parent) << "the image moved one pixel right and down";
  EXPECT_EQ(shot.At(200 + 23 + 3, 100 + 18 + 3), clRed);
  button->MouseUp(mbLeft, 5, 5);
}

TEST_F(ExplorerButtonTest, OnlyAReleaseOverTheButtonClicks) {
  auto* button = AddButton(form_, 10, 10);
  Clicks clicks(*button);

  button->MouseEnter();
  button->MouseDown(mbLeft, 5, 5);
  button->MouseLeave();
  button->MouseUp(mbLeft, 60, 5);
  EXPECT_EQ(clicks.count, 0) << "press, move off, release";
  EXPECT_FALSE(button->Pushed());

  button->MouseEnter();
  button->MouseDown(mbLeft, 5, 5);
  button->MouseLeave();
  button->MouseEnter();
  button->MouseUp(mbLeft, 5, 5);
  EXPECT_EQ(clicks.count, 1) << "press, move off and back, release";
  EXPECT_FALSE(button->MouseInside()) << "the cursor itself is far away";
}

TEST_F(ExplorerButtonTest, PostedMouseMessagesReachTheButtonThroughItsParent) {
  auto* button = AddButton(form_, 10, 10);
  Clicks clicks(*button);
  HWND window = form_->Handle();
  auto post = [&](UINT message, int x, int y) {
    ::PostMessageA(window, message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    Settle();
  };
  post(WM_MOUSEMOVE, 20, 20);
  post(WM_LBUTTONDOWN, 20, 20);
  EXPECT_TRUE(button->Pushed());
  post(WM_MOUSEMOVE, 300, 300);
  post(WM_LBUTTONUP, 300, 300);
  EXPECT_EQ(clicks.count, 0);

  post(WM_MOUSEMOVE, 20, 20);
  post(WM_LBUTTONDOWN, 20, 20);
  post(WM_LBUTTONUP, 20, 20);
  EXPECT_EQ(clicks.count, 1);
}

TEST_F(ExplorerButtonTest, ADropDownMenuOpensOnThePressAndNeverClicks) {
  auto* button = AddButton(form_, 10, 10);
  const UniqueResource<HMENU, MenuTraits> menu(::CreatePopupMenu());
  ::AppendMenuA(menu.Get(), MF_STRING, 1, "Entry");
  button->SetDropDownMenu(menu.Get());
  Clicks clicks(*button);
  menuLoopRan = false;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CloseMenu);
  button->MouseEnter();
  button->MouseDown(mbLeft, 5, 5);  // returns once the menu has closed
  ::KillTimer(nullptr, timer);
  EXPECT_TRUE(menuLoopRan);
  EXPECT_FALSE(button->Pushed());
  button->MouseUp(mbLeft, 5, 5);
  EXPECT_EQ(clicks.count, 0);
}

// The purge after the menu reached past the clicks (to the wheel and the extra buttons).
TEST_F(ExplorerButtonTest, RegressionAfterTheMenuOnlyClicksArePurged) {
  auto* button = AddButton(form_, 10, 10);
  const UniqueResource<HMENU, MenuTraits> menu(::CreatePopupMenu());
  ::AppendMenuA(menu.Get(), MF_STRING, 1, "Entry");
  button->SetDropDownMenu(menu.Get());
  leftBehindFor = form_->Handle();
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CloseMenuLeavingMouseInput);
  button->MouseEnter();
  button->MouseDown(mbLeft, 5, 5);
  ::KillTimer(nullptr, timer);
  MSG message;
  EXPECT_FALSE(::PeekMessageA(&message, nullptr, WM_MBUTTONDBLCLK, WM_MBUTTONDBLCLK, PM_REMOVE));
  EXPECT_TRUE(::PeekMessageA(&message, nullptr, 0x020A, 0x020A, PM_REMOVE));
}

TEST_F(ExplorerButtonTest, TheCursorTestIsStrictOnAllFourSides) {
  const TRect bounds = Bounds(10, 20, 50, 40);
  EXPECT_FALSE(StrictlyInside(bounds, {10, 30}));
  EXPECT_FALSE(StrictlyInside(bounds, {30, 20}));
  EXPECT_FALSE(StrictlyInside(bounds, {60, 30}));
  EXPECT_FALSE(StrictlyInside(bounds, {30, 60}));
  EXPECT_TRUE(StrictlyInside(bounds, {11, 21}));
  EXPECT_TRUE(StrictlyInside(bounds, {59, 59}));

  // The release asks the real cursor: on the top-left pixel it counts as outside.
  auto* button = AddButton(form_, 10, 20);
  POINT corner{10, 20};
  ::ClientToScreen(form_->Handle(), &corner);
  for (auto [dx, inside] : {std::pair{0, false}, {1, true}}) {
    ::SetCursorPos(corner.x + dx, corner.y + dx);
    button->MouseEnter();
    button->MouseDown(mbLeft, 1, 1);
    button->MouseUp(mbLeft, 1, 1);
    EXPECT_EQ(button->MouseInside(), inside) << dx;
  }
  ::SetCursorPos(1000, 750);
}

TEST_F(ExplorerButtonTest, GroupedButtonsActAsRadioButtons) {
  auto* first = AddButton(form_, 10, 10);
  auto* second = AddButton(form_, 70, 10);
  auto* other = AddButton(form_, 130, 10);
  first->SetDown(true);
  EXPECT_FALSE(first->Down()) << "an ungrouped button is never down";

  first->SetGroupIndex(1);
  second->SetGroupIndex(1);
  other->SetGroupIndex(2);
  other->SetDown(true);
  first->SetDown(true);
  EXPECT_TRUE(first->Down());
  auto click = [](TExplorerButton* button) {
    button->MouseEnter();
    button->MouseDown(mbLeft, 5, 5);
    button->MouseUp(mbLeft, 5, 5);
    button->MouseLeave();
  };
  click(second);
  EXPECT_FALSE(first->Down());
  EXPECT_TRUE(second->Down());
  EXPECT_TRUE(other->Down()) << "another group is left alone";

  click(second);
  EXPECT_TRUE(second->Down()) << "without AllowAllUp a down button stays down";
  first->SetAllowAllUp(true);
  EXPECT_TRUE(second->AllowAllUp()) << "AllowAllUp is the group's";
  EXPECT_FALSE(other->AllowAllUp());
  click(second);
  EXPECT_FALSE(second->Down());

  other->SetGroupIndex(0);
  EXPECT_FALSE(other->Down()) << "leaving the group releases";

  first->SetDown(true);
  first->SetEnabled(false);
  EXPECT_TRUE(first->Down()) << "disabling keeps a grouped button down";
  other->SetEnabled(false);
  EXPECT_FALSE(other->Pushed());
}

TEST_F(ExplorerButtonTest, HintsFollowCaptionAndIconOnly) {
  EXPECT_EQ(StripAccelerators("&Open"), "Open");
  EXPECT_EQ(StripAccelerators("Save && &Quit"), "Save & Quit");
  EXPECT_EQ(StripAccelerators("Tom&"), "Tom&");
  EXPECT_EQ(StripAccelerators("&&&"), "&&");
  EXPECT_EQ(AcceleratorOf("Save && &Quit"), 'Q');
  EXPECT_EQ(AcceleratorOf("A&&B"), 0);

  auto* button = AddButton(form_, 10, 10);
  button->SetCaption("&Back");
  button->SetOptions(boIconOnly);
  EXPECT_EQ(button->Hint(), "Back");
  EXPECT_TRUE(button->ShowHint());
  button->SetCaption("&Next");
  EXPECT_EQ(button->Hint(), "Next") << "an icon-only caption is the hint";
  button->SetOptions(boShowBevel);
  EXPECT_EQ(button->Hint(), "");
  EXPECT_FALSE(button->ShowHint());

  button->SetHint("Own hint");
  button->SetOptions(boIconOnly);
  EXPECT_EQ(button->Hint(), "Own hint") << "a hint of its own is kept";
}

TEST_F(ExplorerButtonTest, TheAcceleratorClicksAnEnabledButton) {
  auto* button = AddButton(form_, 10, 10);
  button->SetCaption("&Go");
  Clicks clicks(*button);
  EXPECT_FALSE(button->DialogChar('x'));
  EXPECT_TRUE(button->DialogChar('g'));
  EXPECT_EQ(clicks.count, 1);
  EXPECT_FALSE(button->MouseInside());

  ::PostMessageA(form_->Handle(), WM_SYSCHAR, 'G', 0);
  Settle();
  EXPECT_EQ(clicks.count, 2) << "offered by the form";

  button->SetEnabled(false);
  EXPECT_FALSE(button->DialogChar('g'));
  EXPECT_EQ(clicks.count, 2);
}

TEST_F(ExplorerButtonTest, TheGreyImageIsDerivedAndStoredAsABmpFileImage) {
  TBitmap image;
  image.SetSize(3, 1);  // white key, then a dark and a light pixel
  image.Canvas().SetBrushColor(0x101010);
  image.Canvas().FillRect({1, 0, 2, 1});
  image.Canvas().SetBrushColor(0x606060);
  image.Canvas().FillRect({2, 0, 3, 1});
  auto* button = AddButton(form_, 10, 10);
  button->SetBitmap(image);
  const PixelBuffer grey = ReadPixels(button->IBitmap());
  ASSERT_EQ(grey.Width(), 3);
  EXPECT_EQ(grey.At(0, 0), clWhite);
  EXPECT_EQ(grey.At(1, 0), clBlack) << "channel sum 48";
  EXPECT_EQ(grey.At(2, 0), ColorToRGB(clBtnHighlight)) << "channel sum 288";

  const std::vector<uint8_t> stored = button->WriteIBitmap();
  ASSERT_GE(stored.size(), 54u);
  EXPECT_EQ(stored[0], 'B');
  EXPECT_EQ(stored[1], 'M');
  auto* restored = AddButton(form_, 70, 10);
  restored->ReadIBitmap(stored);
  const PixelBuffer back = ReadPixels(restored->IBitmap());
  EXPECT_EQ(back.Pixels(), grey.Pixels());

  std::vector<uint8_t> cut(stored.begin(), stored.end() - 1);
  EXPECT_THROW(restored->ReadIBitmap(cut), EInvalidGraphic);
  EXPECT_EQ(ReadPixels(restored->IBitmap()).Pixels(), grey.Pixels()) << "a refused image changes nothing";
  restored->ReadIBitmap({});
  EXPECT_TRUE(restored->IBitmap().Empty());
  EXPECT_TRUE(button->WriteIBitmap().size() > 0);
}

}  // namespace
}  // namespace kavrix
