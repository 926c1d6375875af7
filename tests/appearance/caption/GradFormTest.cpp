#include <cstring>
#include <string>

#include "CaptionTestSupport.h"

namespace kavrix {
namespace {

using GradFormTest = testing::ToolkitTest;
using testing::MakeInstallerForm;
using testing::TestGradientForm;

TEST_F(GradFormTest, GradientColorsOutsideEightTo512AreIgnored) {
  TGradientForm form(&app_);
  EXPECT_EQ(form.GradientColors(), 64);
  EXPECT_EQ(form.BandColors(true).size(), 64u);
  form.SetGradientColors(7);
  EXPECT_EQ(form.GradientColors(), 64);
  form.SetGradientColors(513);
  EXPECT_EQ(form.GradientColors(), 64);
  form.SetGradientColors(8);
  EXPECT_EQ(form.GradientColors(), 8);
  EXPECT_EQ(form.BandColors(false).size(), 8u);
  form.SetGradientColors(512);
  EXPECT_EQ(form.GradientColors(), 512);
  EXPECT_EQ(form.BandColors(true).size(), 512u);
}

TEST_F(GradFormTest, ColourTablesRunFromTheResolvedStartToTheResolvedStopColour) {
  TGradientForm defaults(&app_);
  EXPECT_EQ(defaults.BandColors(true).front(), clBlack);
  EXPECT_EQ(defaults.BandColors(true).back(), ::GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_EQ(defaults.BandColors(false).back(), ::GetSysColor(COLOR_INACTIVECAPTION));

  TestGradientForm* installer = MakeInstallerForm(&app_, 305, 247);
  EXPECT_EQ(installer->BandColors(true).front(), ::GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_EQ(installer->BandColors(true).back(), clBlack);
  EXPECT_EQ(installer->BandColors(false).front(), ::GetSysColor(COLOR_INACTIVECAPTION));
  EXPECT_EQ(installer->BandColors(false).back(), clBlack);
}

TEST_F(GradFormTest, OnlyAStopColourOtherThanTheSystemCaptionColourIsStored) {
  TGradientForm form(&app_);
  EXPECT_FALSE(form.StoresGradientStopColor());
  EXPECT_FALSE(form.StoresGradientInactiveStopColor());
  form.SetGradientStopColor(clBlack);
  form.SetGradientInactiveStopColor(clInactiveCaption);
  EXPECT_TRUE(form.StoresGradientStopColor());
  EXPECT_FALSE(form.StoresGradientInactiveStopColor());
  // The active caption colour is not the inactive state's default.
  form.SetGradientInactiveStopColor(clActiveCaption);
  EXPECT_TRUE(form.StoresGradientInactiveStopColor());
  form.SetGradientStopColor(clActiveCaption);
  EXPECT_FALSE(form.StoresGradientStopColor());
}

TEST_F(GradFormTest, SystemColourChangesRebuildTheTablesFromTheNewColours) {
  TestGradientForm* form = MakeInstallerForm(&app_, 305, 247);
  form->Handle();
  const int element = COLOR_ACTIVECAPTION;
  const COLORREF original = ::GetSysColor(element);
  const COLORREF changed = original ^ 0x204080;
  ::SetSysColors(1, &element, &changed);
  form->Perform(WM_SYSCOLORCHANGE, 0, 0);
  const TColor first = form->BandColors(true).front();
  ::SetSysColors(1, &element, &original);
  form->Perform(WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(first, changed);
  EXPECT_EQ(form->BandColors(true).front(), original);
}

TEST_F(GradFormTest, GetTextCopiesWhatFitsWithItsNulAndCountsIt) {
  TestGradientForm* form = MakeInstallerForm(&app_, 305, 247);
  form->SetCaption("Quorvel 2.0 Setup");
  form->Show();
  HWND window = form->Handle();
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(::SendMessageA(window, WM_GETTEXT, 5, reinterpret_cast<LPARAM>(buffer)), 4);
  EXPECT_STREQ(buffer, "Quor");
  EXPECT_EQ(buffer[5], '#') << "nothing written beyond the buffer";

  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(::SendMessageA(window, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(buffer[0], '#') << "a buffer of no characters gets no NUL either";

  char whole[64];
  EXPECT_EQ(::SendMessageA(window, WM_GETTEXT, sizeof whole, reinterpret_cast<LPARAM>(whole)), 17);
  EXPECT_STREQ(whole, "Quorvel 2.0 Setup");
  EXPECT_EQ(::SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 17);
}

TEST_F(GradFormTest, TextSetOnTheWindowBecomesTheCaption) {
  TestGradientForm* form = MakeInstallerForm(&app_, 305, 247);
  form->Show();
  ::SetWindowTextA(form->Handle(), "From outside");
  EXPECT_EQ(form->Caption(), "From outside");
  form->SetCaption("From the program");
  char text[64] = {};
  ::GetWindowTextA(form->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "From the program");
}

TEST_F(GradFormTest, ACaptionAssignedWhileAnotherIsInProgressIsIgnored) {
  TestGradientForm* first = MakeInstallerForm(&app_, 305, 247);
  TestGradientForm* second = MakeInstallerForm(&app_, 305, 247);
  first->SetCaption("First");
  second->Show();
  int paints = 0;
  // Setting the second form's caption repaints its bar, which calls this handler.
  second->OnCaptionPaint = [&](TObject&, TCanvas&, TRect&) {
    ++paints;
    first->SetCaption("Nested");
    second->SetCaption("Nested");
  };
  second->SetCaption("Second");
  EXPECT_GT(paints, 0);
  EXPECT_EQ(first->Caption(), "First");
  EXPECT_EQ(second->Caption(), "Second");

  second->OnCaptionPaint = nullptr;
  first->SetCaption("First again");
  EXPECT_EQ(first->Caption(), "First again") << "the guard is cleared after the assignment";
}

TEST_F(GradFormTest, UseWin98GradientLeavesTheCaptionToASystemThatDrawsGradients) {
  TestGradientForm* form = MakeInstallerForm(&app_, 305, 247);
  EXPECT_FALSE(form->LeaveCaptionToSystem());
  form->Show();
  form->SetUseWin98Gradient(true);
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(::GetVersionExA(&version));
  const bool drawsGradients = version.dwMajorVersion >= 5 || (version.dwMajorVersion == 4 && version.dwMinorVersion > 0);
  EXPECT_EQ(form->LeaveCaptionToSystem(), drawsGradients);
  form->SetCaption("Plain");
  char text[16] = {};
  ::GetWindowTextA(form->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Plain");
}

// The form keeps its caption font current from the settings change it receives, even
// while the system paints its caption: it is right when the form paints again.
TEST_F(GradFormTest, TheCaptionFontFollowsASettingsChangeEvenWhileTheSystemPaints) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = 340;
  ASSERT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
  TestGradientForm* form = MakeInstallerForm(&app_, 305, 60);
  form->SetUseWin98Gradient(true);
  form->Show();
  if (!form->LeaveCaptionToSystem()) GTEST_SKIP() << "this system draws no gradient captions of its own";
  NONCLIENTMETRICSA changed = metrics;
  changed.lfCaptionFont.lfHeight = metrics.lfCaptionFont.lfHeight - 5;
  ASSERT_TRUE(::SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, 340, &changed, 0));
  form->Perform(WM_WININICHANGE, SPI_SETNONCLIENTMETRICS, 0);
  const int followed = form->CaptionFont().Height();
  ::SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, 340, &metrics, 0);
  form->Perform(WM_WININICHANGE, SPI_SETNONCLIENTMETRICS, 0);
  EXPECT_EQ(followed, changed.lfCaptionFont.lfHeight);
  EXPECT_EQ(form->CaptionFont().Height(), metrics.lfCaptionFont.lfHeight);
}

TEST_F(GradFormTest, SizingBordersGetTheirSizingCursors) {
  TestGradientForm* form = MakeInstallerForm(&app_, 305, 247);
  form->Show();
  const struct {
    int hitTest;
    int cursor;
  } cases[] = {{HTLEFT, 32644}, {HTBOTTOM, 32645}, {HTBOTTOMRIGHT, 32642}, {HTTOPRIGHT, 32643}};
  for (const auto& c : cases) {
    EXPECT_EQ(form->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(form->Handle()), MAKELPARAM(c.hitTest, WM_MOUSEMOVE)), 1);
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, MAKEINTRESOURCEA(c.cursor))) << "hit-test code " << c.hitTest;
  }
}

TEST_F(GradFormTest, CaptionFontFollowsTheSystemCaptionFontOrOnlyItsHeight) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = 340;
  ASSERT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
  TGradientForm form(&app_);
  EXPECT_EQ(form.CaptionFont().Name(), metrics.lfCaptionFont.lfFaceName);
  EXPECT_EQ(form.CaptionFont().Height(), metrics.lfCaptionFont.lfHeight);

  TFont chosen;
  chosen.SetName("Courier New");
  chosen.SetHeight(-30);
  chosen.SetStyle(fsItalic);
  form.SetCaptionFont(chosen);
  EXPECT_FALSE(form.UseSystemCaptionFont());
  EXPECT_EQ(form.CaptionFont().Name(), "Courier New");
  EXPECT_EQ(form.CaptionFont().Style(), fsItalic);
  EXPECT_EQ(form.CaptionFont().Height(), metrics.lfCaptionFont.lfHeight);

  form.SetUseSystemCaptionFont(true);
  EXPECT_EQ(form.CaptionFont().Name(), metrics.lfCaptionFont.lfFaceName);
}

TEST_F(GradFormTest, ToolWindowsTakeTheSmallCaptionFontWithItsPitch) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = 340;
  ASSERT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
  const auto expectFont = [](const TFont& font, const LOGFONTA& system, const char* what) {
    EXPECT_EQ(font.Name(), system.lfFaceName) << what;
    EXPECT_EQ(font.Height(), system.lfHeight) << what;
    EXPECT_EQ((font.Style() & fsBold) != 0, system.lfWeight >= FW_BOLD) << what;
    const int pitch = system.lfPitchAndFamily & 0x0F;
    EXPECT_EQ(font.Pitch(), pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault) << what;
  };
  TestGradientForm* form = MakeInstallerForm(&app_, 305, 60);
  form->SetUseSystemCaptionFont(true);
  form->SetBorderStyle(bsToolWindow);
  form->Show();
  expectFont(form->CaptionFont(), metrics.lfSmCaptionFont, "a tool window");
  form->SetBorderStyle(bsSingle);
  expectFont(form->CaptionFont(), metrics.lfCaptionFont, "no longer a tool window");
}

TEST_F(GradFormTest, TheCaptionTakesTheMeasuresAndTheFontOfItsFormsDensity) {
  // Asked of the system as the form must ask it; systems before Windows 10 1607 have
  // one set of measures for every display.
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  const auto metricForDpi = reinterpret_cast<int(WINAPI*)(int, UINT)>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "GetSystemMetricsForDpi")));
  const auto parametersForDpi = reinterpret_cast<BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT)>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "SystemParametersInfoForDpi")));
  if (!metricForDpi || !parametersForDpi) GTEST_SKIP() << "no measures per display density";
  TestGradientForm* form = MakeInstallerForm(&app_, 305, 60);
  form->SetUseSystemCaptionFont(true);
  const int designedHeight = form->CaptionBarRect().Height();
  for (int dpi : {192, 144, kDesignDpi}) {
    form->SetPixelsPerInch(dpi);
    const TRect bar = form->CaptionBarRect();
    EXPECT_EQ(bar.Left, metricForDpi(SM_CXDLGFRAME, dpi)) << dpi;
    EXPECT_EQ(bar.Top, metricForDpi(SM_CYDLGFRAME, dpi)) << dpi;
    EXPECT_EQ(bar.Height(), metricForDpi(SM_CYCAPTION, dpi) - 1) << dpi;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(parametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi));
    EXPECT_EQ(form->CaptionFont().Height(), metrics.lfCaptionFont.lfHeight) << dpi;
  }
  EXPECT_EQ(form->CaptionBarRect().Height(), designedHeight) << "back at 96 DPI, as before";
  form->SetPixelsPerInch(192);
  EXPECT_GT(form->CaptionBarRect().Height(), designedHeight * 3 / 2);
}

TEST_F(GradFormTest, UseWin98GradientMakesTheWindowAnew) {
  TestGradientForm* form = MakeInstallerForm(&app_, 305, 60);
  form->SetCaption("Made anew");
  form->Show();
  HWND before = form->Handle();
  form->SetUseWin98Gradient(true);
  EXPECT_FALSE(::IsWindow(before));
  EXPECT_TRUE(::IsWindowVisible(form->Handle()));
  char text[16] = {};
  ::GetWindowTextA(form->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Made anew");
  before = form->Handle();
  form->SetUseWin98Gradient(true);
  EXPECT_EQ(form->Handle(), before) << "no change, no new window";
}

}  // namespace
}  // namespace kavrix
