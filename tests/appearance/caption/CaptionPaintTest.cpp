#include <cstdio>
#include <cstdlib>
#include <string>

#include "CaptionTestSupport.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

using CaptionPaintTest = testing::ToolkitTest;
using testing::ExpectedCaptionFill;
using testing::ExpectedCaptionGradient;
using testing::MakeInstallerForm;
using testing::ReadWindowPixels;
using testing::SamePixels;
using testing::ShowActive;
using testing::TestGradientForm;

PixelBuffer ReadBar(TestGradientForm& form) { return ReadWindowPixels(form.Handle(), form.CaptionBarRect()); }

// Pixels of `area` (bar coordinates) of `pixels`.
PixelBuffer Crop(const PixelBuffer& pixels, const Rect& area) {
  PixelBuffer part(area.Width(), area.Height());
  part.Blit(pixels, area, 0, 0);
  return part;
}

int CountColor(const PixelBuffer& pixels, const Rect& area, TColor color) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) count += pixels.At(x, y) == color ? 1 : 0;
  }
  return count;
}

TEST_F(CaptionPaintTest, TheWizardsCaptionBarIsTheDitheredGradientInBothStates) {
  TestGradientForm* wizard = MakeInstallerForm(&app_, 473, 329);
  wizard->SetBounds(10, 10, wizard->Width(), wizard->Height());
  ShowActive(app_, *wizard);
  ASSERT_TRUE(wizard->CaptionIsActive());
  const TRect bar = wizard->CaptionBarRect();
  ASSERT_GT(bar.Height(), 10);
  EXPECT_EQ(ExpectedCaptionFill(*wizard, bar, true).method, CaptionFillMethod::kDithered);
  // No caption text: the whole bar, icon- and button-less, is the gradient.
  EXPECT_TRUE(SamePixels(ReadBar(*wizard), ExpectedCaptionGradient(*wizard, bar, true)));

  TestGradientForm* other = MakeInstallerForm(&app_, 305, 247);
  other->SetBounds(500, 10, other->Width(), other->Height());
  ShowActive(app_, *other);
  ASSERT_FALSE(wizard->CaptionIsActive());
  EXPECT_TRUE(SamePixels(ReadBar(*wizard), ExpectedCaptionGradient(*wizard, bar, false)));
}

TEST_F(CaptionPaintTest, GentleGradientsAreDitheredThroughTheWideMaskSteepOnesThroughTheFineOne) {
  struct Case {
    TColor start;
    const DitherMask* mask;
  };
  for (const Case& c : {Case{clNavy, &DitherMask1()}, Case{clWhite, &DitherMask2()}}) {
    TestGradientForm* form = MakeInstallerForm(&app_, 305, 100);
    form->SetGradientStartColor(c.start);
    ShowActive(app_, *form);
    const TRect bar = form->CaptionBarRect();
    EXPECT_EQ(ExpectedCaptionFill(*form, bar, true), (CaptionFillChoice{CaptionFillMethod::kDithered, c.mask}));
    EXPECT_TRUE(SamePixels(ReadBar(*form), ExpectedCaptionGradient(*form, bar, true)));
  }
}

TEST_F(CaptionPaintTest, ANarrowCaptionIsPaintedInBandsAndAnUnditheredOneAsAStretchedRow) {
  TestGradientForm* narrow = MakeInstallerForm(&app_, 120, 60);
  narrow->SetGradientStartColor(0x300000);  // gentle: the wide mask, which does not fit
  ShowActive(app_, *narrow);
  TRect bar = narrow->CaptionBarRect();
  ASSERT_LT(bar.Width(), 2 * DitherMask1().width);
  EXPECT_EQ(ExpectedCaptionFill(*narrow, bar, true).method, CaptionFillMethod::kBands);
  EXPECT_TRUE(SamePixels(ReadBar(*narrow), ExpectedCaptionGradient(*narrow, bar, true)));

  TestGradientForm* plain = MakeInstallerForm(&app_, 305, 60);
  plain->SetUseDithering(false);
  plain->SetGradientColors(100);
  ShowActive(app_, *plain);
  bar = plain->CaptionBarRect();
  EXPECT_EQ(ExpectedCaptionFill(*plain, bar, true).method, CaptionFillMethod::kStretchedRow);
  EXPECT_TRUE(SamePixels(ReadBar(*plain), ExpectedCaptionGradient(*plain, bar, true)));
}

TEST_F(CaptionPaintTest, PaintGradientActiveAndNeverFallBackToTheSystemCaptionColours) {
  TestGradientForm* form = MakeInstallerForm(&app_, 305, 60);
  ShowActive(app_, *form);
  const TRect bar = form->CaptionBarRect();
  const Rect whole{0, 0, bar.Width(), bar.Height()};
  form->SetPaintGradient(gfpActive);
  form->RepaintCaption(false);
  EXPECT_EQ(CountColor(ReadBar(*form), whole, ::GetSysColor(COLOR_INACTIVECAPTION)), bar.Width() * bar.Height());
  form->RepaintCaption(true);
  EXPECT_TRUE(SamePixels(ReadBar(*form), ExpectedCaptionGradient(*form, bar, true)));
  form->SetPaintGradient(gfpNever);
  form->RepaintCaption(true);
  EXPECT_EQ(CountColor(ReadBar(*form), whole, ::GetSysColor(COLOR_ACTIVECAPTION)), bar.Width() * bar.Height());
}

// A form of the installer's caption configuration with `style` and `icons`, shown
// active: its caption bar as the screen shows it and as the gradient alone paints it.
struct ShownCaption {
  TestGradientForm* form;
  TRect bar;
  PixelBuffer actual;
  PixelBuffer expected;
};

ShownCaption ShowCaption(TApplication& app, TFormBorderStyle style, TBorderIcons icons) {
  TestGradientForm* form = MakeInstallerForm(&app, 305, 60);
  form->SetBorderStyle(style);
  form->SetBorderIcons(icons);
  ShowActive(app, *form);
  const TRect bar = form->CaptionBarRect();
  return {form, bar, ReadBar(*form), ExpectedCaptionGradient(*form, bar, true)};
}

// The width of a full-size caption button in a bar `height` pixels high.
int ButtonWidth(int height) {
  const int icon = ::GetSystemMetrics(SM_CXSMICON);
  return icon - 2 + ((height % 2 != (icon - 2) % 2) ? 1 : 0);
}

// The pixels of the button face colour in the button whose right edge is `right`,
// `width` wide, inside the bar's 2-pixel margin.
int ButtonFacePixels(const PixelBuffer& bar, int right, int width) {
  return CountColor(bar, {right - width, 2, right, bar.Height() - 2}, ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(CaptionPaintTest, ASystemMenuBringsTheIconAndTheCloseButton) {
  const ShownCaption shown = ShowCaption(app_, bsSingle, biSystemMenu);
  const int icon = ::GetSystemMetrics(SM_CXSMICON);
  const int h = shown.bar.Height();
  // Icon at x 2 (one past the bar's first column, one more inside), close button at the right.
  const Rect iconArea{2, 1, 2 + icon, 1 + icon};
  EXPECT_FALSE(SamePixels(Crop(shown.actual, iconArea), Crop(shown.expected, iconArea))) << "no icon drawn";
  const int buttonWidth = ButtonWidth(h);
  const int closeRight = shown.bar.Width() - 2;
  EXPECT_GT(ButtonFacePixels(shown.actual, closeRight, buttonWidth + 2), (buttonWidth + 2) * (h - 4) / 3)
      << "no close button face";
  const Rect between{iconArea.right + 1, 0, closeRight - buttonWidth - 2 - 1, h};
  EXPECT_TRUE(SamePixels(Crop(shown.actual, between), Crop(shown.expected, between)));
}

// `icon` at the small icon size over `background` (its size), drawn as a caption bar of
// `window` is composed: on a bitmap compatible with the window's screen.
PixelBuffer IconOver(HWND window, const PixelBuffer& background, HICON icon) {
  const int size = background.Width();
  HDC windowDC = ::GetWindowDC(window);
  const UniqueMemoryDC memory(::CreateCompatibleDC(windowDC));
  const UniqueGdiObject bitmap(::CreateCompatibleBitmap(windowDC, size, size));
  ::ReleaseDC(window, windowDC);
  const SelectionScope selection(memory.Get(), bitmap.Get());
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) ::SetPixel(memory.Get(), x, y, background.At(x, y));
  }
  const auto copy = static_cast<HICON>(::CopyImage(icon, IMAGE_ICON, size, size, LR_COPYFROMRESOURCE));
  ::DrawIconEx(memory.Get(), 0, 0, copy, 0, 0, 0, nullptr, DI_NORMAL);
  ::DestroyIcon(copy);
  PixelBuffer pixels(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) pixels.SetPixel(x, y, ::GetPixel(memory.Get(), x, y));
  }
  return pixels;
}

TEST_F(CaptionPaintTest, TheIconIsTheFormsOwnElseTheApplicationsElseTheSystemDefault) {
  const HICON application = app_.Icon();
  ASSERT_NE(application, nullptr) << "the test program carries no icon";
  const HICON fallback = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  const HICON own = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32515));       // IDI_WARNING
  const int size = ::GetSystemMetrics(SM_CXSMICON);
  const Rect iconArea{2, 1, 2 + size, 1 + size};

  ShownCaption shown = ShowCaption(app_, bsSingle, biSystemMenu);
  HWND window = shown.form->Handle();
  const PixelBuffer background = Crop(shown.expected, iconArea);
  const PixelBuffer asApplication = IconOver(window, background, application);
  const PixelBuffer asFallback = IconOver(window, background, fallback);
  ASSERT_FALSE(SamePixels(asApplication, asFallback)) << "the two icons must look different";
  EXPECT_TRUE(SamePixels(Crop(shown.actual, iconArea), asApplication)) << "a form without an icon of its own";

  ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(own));
  shown.form->RepaintCaption(true);
  EXPECT_TRUE(SamePixels(Crop(ReadBar(*shown.form), iconArea), IconOver(window, background, own)))
      << "a form with an icon of its own";
  ::SendMessageA(window, WM_SETICON, ICON_SMALL, 0);
}

TEST_F(CaptionPaintTest, ToolWindowsHaveTheSmallCaptionAndItsCloseButtonOnly) {
  for (TFormBorderStyle style : {bsToolWindow, bsSizeToolWin}) {
    const ShownCaption shown = ShowCaption(app_, style, biSystemMenu | biMinimize | biMaximize);
    const TRect& bar = shown.bar;
    const bool fixed = style == bsToolWindow;
    EXPECT_EQ(bar.Left, ::GetSystemMetrics(fixed ? SM_CXDLGFRAME : SM_CXFRAME)) << int{style};
    EXPECT_EQ(bar.Top, ::GetSystemMetrics(fixed ? SM_CYDLGFRAME : SM_CYFRAME)) << int{style};
    EXPECT_EQ(bar.Height(), ::GetSystemMetrics(SM_CYSMCAPTION) - 1) << int{style};
    // The close button from B.Left = B.Right - SM_CXSMSIZE + 2 to 2 pixels from the right.
    const int closeLeft = bar.Width() - 2 - ::GetSystemMetrics(SM_CXSMSIZE) + 2;
    const int closeWidth = bar.Width() - 2 - closeLeft;
    // The small button is mostly frame and glyph: a sixth of it shows the face.
    EXPECT_GT(ButtonFacePixels(shown.actual, bar.Width() - 2, closeWidth), closeWidth * (bar.Height() - 4) / 6)
        << int{style} << ": no close button face";
    const Rect rest{0, 0, closeLeft - 1, bar.Height()};
    EXPECT_TRUE(SamePixels(Crop(shown.actual, rest), Crop(shown.expected, rest)))
        << int{style} << ": no icon, no other button";
  }
}

TEST_F(CaptionPaintTest, TheHelpButtonStandsLeftOfTheCloseButtonWhereTheSystemShowsIt) {
  const struct {
    TFormBorderStyle style;
    TBorderIcons icons;
    bool help;
  } cases[] = {{bsDialog, biSystemMenu | biHelp, true},
               {bsSingle, biSystemMenu | biHelp, true},
               {bsSizeable, biSystemMenu | biHelp | biMinimize, false}};
  for (const auto& c : cases) {
    const ShownCaption shown = ShowCaption(app_, c.style, c.icons);
    const int h = shown.bar.Height();
    const int buttonWidth = ButtonWidth(h);
    const int nextRight = shown.bar.Width() - 2 - (buttonWidth + 4);  // the button left of the close button
    if (c.help) {
      EXPECT_GT(ButtonFacePixels(shown.actual, nextRight, buttonWidth + 2), (buttonWidth + 2) * (h - 4) / 3)
          << int{c.style} << ": no help button face";
      const int iconRight = c.style == bsDialog ? 1 : 2 + ::GetSystemMetrics(SM_CXSMICON) + 1;
      const Rect between{iconRight, 0, nextRight - buttonWidth - 2 - 1, h};
      EXPECT_TRUE(SamePixels(Crop(shown.actual, between), Crop(shown.expected, between))) << int{c.style};
    } else {
      // Left of the maximise and minimise boxes, where it would follow them, stays gradient:
      // the system shows no help button beside them.
      const Rect helpPlace{nextRight - 3 * (buttonWidth + 2), 0, nextRight - 2 * (buttonWidth + 2) - 1, h};
      EXPECT_TRUE(SamePixels(Crop(shown.actual, helpPlace), Crop(shown.expected, helpPlace))) << "no help button";
    }
  }
}

TEST_F(CaptionPaintTest, ALongCaptionEndsBeforeTheLogoUnlessTheLogoIsLayered) {
  TestGradientForm* form = MakeInstallerForm(&app_, 305, 60);
  form->SetCaptionTextColor(clWhite);
  form->SetCaption("Quorvel 2.0 Setup - a caption far too long to fit into this narrow caption bar at all");
  ShowActive(app_, *form);
  const TRect bar = form->CaptionBarRect();
  TBitmap logo;
  logo.SetSize(60, bar.Height());
  logo.Canvas().SetBrushColor(clRed);
  logo.Canvas().FillRect({0, 0, 60, bar.Height()});
  form->SetLogo(logo);
  form->RepaintCaption(true);
  // Right-aligned logo: its right edge is 3 pixels inside the bar, as after the buttons.
  const Rect logoArea{bar.Width() - 3 - 60, 0, bar.Width() - 3, bar.Height()};
  const int logoPixels = logoArea.Width() * logoArea.Height();
  EXPECT_EQ(CountColor(ReadBar(*form), logoArea, clRed), logoPixels);

  form->SetLogoLayered(true);
  form->RepaintCaption(true);
  EXPECT_LT(CountColor(ReadBar(*form), logoArea, clRed), logoPixels) << "layered text runs over the logo";
}

// Writes the screen's top 1000 × 540 pixels as a BMP to the file named by
// KAVRIX_CAPTION_SCREENSHOT: an active and an inactive installer caption side by side,
// and below them a form with the defaults, icon, buttons and a logo, a tool window and
// a dialog frame with the help button.
TEST_F(CaptionPaintTest, Screenshot) {
  const char* path = std::getenv("KAVRIX_CAPTION_SCREENSHOT");
  if (!path || !*path) GTEST_SKIP() << "KAVRIX_CAPTION_SCREENSHOT names no file";
  TestGradientForm* inactive = MakeInstallerForm(&app_, 473, 329);
  inactive->SetCaption("Quorvel 2.0 Setup");
  inactive->SetBounds(10, 10, inactive->Width(), inactive->Height());
  TestGradientForm* active = MakeInstallerForm(&app_, 473, 329);
  active->SetCaption("Select Destination Directory");
  active->SetBounds(510, 10, active->Width(), active->Height());
  // A plain sizeable form with the class' default colours, icon, buttons and a logo.
  auto* framed = new TestGradientForm(&app_);
  framed->SetCaption("TGradientForm defaults with icon, buttons and logo");
  framed->SetBounds(10, 385, 600, 140);
  TBitmap logo;
  logo.SetSize(80, 18);
  logo.Canvas().SetBrushColor(clSilver);
  logo.Canvas().FillRect({0, 0, 80, 18});
  logo.Canvas().SetBrushColor(clNavy);
  logo.Canvas().FillRect({4, 4, 76, 14});
  framed->SetLogo(logo);
  framed->SetLogoAlign(laLeft);
  framed->Show();
  // A tool window (small caption, close button) and a dialog frame with the help button.
  auto* tool = new TestGradientForm(&app_);
  tool->SetBorderStyle(bsToolWindow);
  tool->SetCaption("Tool window");
  tool->SetBounds(630, 385, 170, 140);
  tool->Show();
  auto* help = new TestGradientForm(&app_);
  help->SetBorderStyle(bsDialog);
  help->SetBorderIcons(biSystemMenu | biHelp);
  help->SetCaption("Help button");
  help->SetBounds(820, 385, 170, 140);
  help->Show();
  ShowActive(app_, *inactive);
  ShowActive(app_, *active);
  const int width = 1000;
  const int height = 540;
  const PixelBuffer shot = ReadWindowPixels(nullptr, {0, 0, width, height});  // the screen
  FILE* file = std::fopen(path, "wb");
  ASSERT_NE(file, nullptr);
  const uint32_t imageSize = width * height * 3;
  uint8_t header[54] = {'B', 'M'};
  const auto put = [&](int offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) header[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  put(2, 54 + imageSize);
  put(10, 54);
  put(14, 40);
  put(18, width);
  put(22, static_cast<uint32_t>(-height));  // top-down
  header[26] = 1;
  header[28] = 24;
  put(34, imageSize);
  std::fwrite(header, 1, sizeof header, file);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const TColor c = shot.At(x, y);
      const uint8_t bgr[3] = {static_cast<uint8_t>(BlueOf(c)), static_cast<uint8_t>(GreenOf(c)),
                              static_cast<uint8_t>(RedOf(c))};
      std::fwrite(bgr, 1, 3, file);
    }
  }
  EXPECT_EQ(std::fclose(file), 0);
}

}  // namespace
}  // namespace kavrix
