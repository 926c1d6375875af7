#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>

#include "ToolkitTestSupport.h"
#include "toolkit/BitBtn.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Button.h"
#include "toolkit/CheckBox.h"
#include "toolkit/Edit.h"
#include "toolkit/Font.h"
#include "toolkit/Memo.h"
#include "toolkit/Gauge.h"
#include "toolkit/Image.h"
#include "toolkit/Notebook.h"
#include "toolkit/Panel.h"
#include "toolkit/ProgressBar.h"
#include "toolkit/SpeedButton.h"
#include "toolkit/Timer.h"

namespace kavrix {
namespace {

using ControlsTest = testing::ToolkitTest;

constexpr TColor kGreen = 0x00FF00;

// The pixel at (x, y) of the control's window, painted anew.
COLORREF PaintedPixel(TWinControl& control, int x, int y) {
  control.Repaint();
  HDC dc = ::GetDC(control.Handle());
  const COLORREF color = ::GetPixel(dc, x, y);
  ::ReleaseDC(control.Handle(), dc);
  return color;
}

// A bare form at the top-left corner of the screen, shown and painted.
struct Bare {
  explicit Bare(TColor color = clNavy) : form(nullptr) {
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 300, 200);
    form.SetColor(color);
  }
  void Show() {
    form.Show();
    form.Repaint();
  }
  COLORREF Pixel(int x, int y) {
    HDC dc = ::GetDC(form.Handle());
    const COLORREF color = ::GetPixel(dc, x, y);
    ::ReleaseDC(form.Handle(), dc);
    return color;
  }
  TForm form;
};

template <typename T>
T* Place(TWinControl& parent, int left, int top, int width, int height) {
  auto* control = new T(&parent);
  control->SetParent(&parent);
  control->SetBounds(left, top, width, height);
  return control;
}

TEST_F(ControlsTest, FontPitchAndCanvasPenReachGdi) {
  TFont font;
  for (const auto& [pitch, gdiPitch] : {std::pair{fpDefault, DEFAULT_PITCH}, {fpVariable, VARIABLE_PITCH},
                                        {fpFixed, FIXED_PITCH}}) {
    font.SetPitch(pitch);
    LOGFONTA made{};
    ASSERT_EQ(::GetObjectA(font.Handle(), sizeof made, &made), static_cast<int>(sizeof made));
    EXPECT_EQ(made.lfPitchAndFamily & 0x03, gdiPitch);
  }
  TFont copy;
  copy.Assign(font);
  EXPECT_EQ(copy.Pitch(), fpFixed);

  // A cleared pen draws no outline: the rectangle is the brush alone.
  TBitmap bitmap;
  bitmap.SetSize(10, 10);
  TCanvas& canvas = bitmap.Canvas();
  canvas.SetBrushColor(clWhite);
  canvas.FillRect({0, 0, 10, 10});
  canvas.SetPenColor(clRed);
  canvas.SetPenWidth(0);
  canvas.SetPenStyle(psClear);
  canvas.SetBrushColor(clBlue);
  canvas.Rectangle({2, 2, 8, 8});
  EXPECT_EQ(canvas.Pixel(2, 2), clBlue);
  EXPECT_EQ(canvas.Pixel(8, 8), clWhite);
  canvas.SetPenStyle(psSolid);
  canvas.Rectangle({2, 2, 8, 8});
  EXPECT_EQ(canvas.Pixel(2, 2), clRed);
  EXPECT_EQ(canvas.Pixel(7, 7), clRed);
}

TEST_F(ControlsTest, NotebookShowsOnlyThePageChosenByIndexOrName) {
  Bare bare;
  auto* notebook = Place<TNotebook>(bare.form, 8, 8, 200, 150);
  EXPECT_EQ(notebook->PageIndex(), -1);
  for (int i = 0; i < 3; ++i) notebook->AddPage("Page" + std::to_string(i));
  auto* button = Place<TButton>(*notebook->Pages(2), 10, 10, 75, 25);
  bare.Show();
  const auto visiblePages = [&] {
    std::string shown;
    for (int i = 0; i < notebook->PageCount(); ++i) {
      if (::IsWindowVisible(notebook->Pages(i)->Handle())) shown += std::to_string(i);
    }
    return shown;
  };
  EXPECT_EQ(notebook->PageIndex(), 0) << "the first page added is active";
  EXPECT_EQ(visiblePages(), "0");
  EXPECT_EQ(notebook->Pages(1)->BoundsRect(), (TRect{0, 0, 200, 150})) << "pages fill the notebook";

  notebook->SetActivePage("Page2");
  EXPECT_EQ(notebook->PageIndex(), 2);
  EXPECT_EQ(notebook->ActivePage(), "Page2");
  EXPECT_EQ(visiblePages(), "2");
  EXPECT_TRUE(::IsWindowVisible(button->Handle()));

  notebook->SetPageIndex(1);
  EXPECT_EQ(visiblePages(), "1");
  EXPECT_FALSE(::IsWindowVisible(button->Handle())) << "controls of a hidden page are hidden";

  notebook->SetPageIndex(3);
  notebook->SetPageIndex(-1);
  EXPECT_EQ(notebook->PageIndex(), 1) << "an index outside the pages changes nothing";

  try {
    notebook->SetActivePage("Page6");
    FAIL() << "an unknown page name was accepted";
  } catch (const ENotebookError& e) {
    EXPECT_EQ(e.Message(), "Page Page6 not found");
  }
  EXPECT_EQ(visiblePages(), "1");
}

// A gauge that counts how often it is painted.
struct CountingGauge : TGauge {
  using TGauge::TGauge;
  void Paint(TCanvas& canvas) override {
    ++paints;
    TGauge::Paint(canvas);
  }
  int paints = 0;
};

TEST_F(ControlsTest, GaugeClampsAndRepaintsAtOnceOnlyWhenThePercentageChanges) {
  Bare bare;
  auto* gauge = Place<CountingGauge>(bare.form, 10, 10, 100, 21);
  gauge->SetBorderStyle(bsNone);
  gauge->SetForeColor(clNavy);
  gauge->SetBackColor(clWhite);
  gauge->SetProgress(250);
  EXPECT_EQ(gauge->Progress(), 100);
  gauge->SetProgress(-3);
  EXPECT_EQ(gauge->Progress(), 0);
  bare.Show();
  Settle();

  gauge->SetMaxValue(1000);
  Settle();
  const int before = gauge->paints;
  gauge->SetProgress(9);  // 0 % still
  EXPECT_EQ(gauge->paints, before) << "no immediate repaint while the percentage stays";
  gauge->SetProgress(500);  // 50 %: painted now, without the message loop
  EXPECT_EQ(gauge->paints, before + 1);
  EXPECT_EQ(gauge->PercentDone(), 50);
  EXPECT_EQ(bare.Pixel(12, 10), ColorToRGB(clNavy)) << "the filled part";
  EXPECT_EQ(bare.Pixel(107, 10), ColorToRGB(clWhite)) << "the rest";

  gauge->SetMinValue(2000);
  EXPECT_EQ(gauge->MaxValue(), 2000) << "the range never inverts";
  EXPECT_EQ(gauge->Progress(), 2000);
  EXPECT_EQ(gauge->PercentDone(), 100);
}

TEST_F(ControlsTest, ProgressBarKeepsA32BitRangeAndThePositionInIt) {
  Bare bare;
  auto* bar = Place<TProgressBar>(bare.form, 10, 10, 200, 16);
  // The kibibytes of a 2 GiB product: past the 16 bits of the old range message.
  bar->SetMax(2'000'000);
  bar->SetPosition(1'500'000);
  bar->SetMin(-5);
  EXPECT_EQ(bar->Max(), 2'000'000);
  EXPECT_EQ(bar->Position(), 1'500'000);
  EXPECT_EQ(bar->Min(), 0);
  HWND window = bar->Handle();  // made after the values: it takes them
  EXPECT_EQ(::SendMessageA(window, PBM_GETPOS, 0, 0), 1'500'000);
  EXPECT_EQ(::SendMessageA(window, PBM_GETRANGE, FALSE, 0), 2'000'000);

  bar->SetMax(10);
  EXPECT_EQ(bar->Position(), 10) << "a smaller range pulls the position in";
  EXPECT_EQ(::SendMessageA(window, PBM_GETPOS, 0, 0), 10);

  bar->SetMin(20);  // above the maximum
  EXPECT_EQ(bar->Max(), 10);
  EXPECT_EQ(bar->Position(), 20);
  EXPECT_EQ(::SendMessageA(window, PBM_GETPOS, 0, 0), 20);

  // As the wizard does for a file below 1 KiB: range 0..0.
  bar->SetMin(0);
  bar->SetMax(0);
  bar->SetPosition(0);
  EXPECT_EQ(::SendMessageA(window, PBM_GETPOS, 0, 0), 0);
}

TEST_F(ControlsTest, CheckBoxStateFollowsClicksAndSetCheckedWithoutClickEvents) {
  Bare bare;
  auto* box = Place<TCheckBox>(bare.form, 10, 10, 200, 17);
  int clicks = 0;
  box->OnClick = [&](TObject&) { ++clicks; };
  box->SetChecked(true);
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(::SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED) << "a new window takes the state";
  ::SendMessageA(box->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(clicks, 1);
  box->SetChecked(true);
  EXPECT_EQ(::SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, EditTextIsKeptWithoutAWindowAndReadFromTheWindowWithOne) {
  Bare bare;
  auto* edit = Place<TEdit>(bare.form, 10, 10, 200, 21);
  edit->SetText("\\");
  EXPECT_EQ(edit->Text(), "\\");
  int changes = 0;
  edit->OnChange = [&](TObject&) { ++changes; };
  char buffer[32] = {};
  ::GetWindowTextA(edit->Handle(), buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "\\");
  // What the user types is what Text reads.
  ::SendMessageA(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("\\Tools"));
  EXPECT_EQ(edit->Text(), "\\Tools");
  EXPECT_EQ(changes, 1);
  edit->SetText("\\");
  EXPECT_EQ(edit->Text(), "\\") << "setting the old caption again still replaces the typed text";

  auto* memo = Place<TMemo>(bare.form, 10, 40, 200, 80);
  memo->SetText("first\nsecond");
  memo->SetReadOnly(true);
  memo->SetScrollBars(ssVertical);
  EXPECT_EQ(memo->Text(), "first\r\nsecond");
  const LONG style = ::GetWindowLongA(memo->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_VSCROLL);
  EXPECT_TRUE(style & ES_READONLY);
  memo->SetWantReturns(false);  // remakes the window
  EXPECT_EQ(memo->Text(), "first\r\nsecond") << "the text survives the window being remade";
  EXPECT_FALSE(::GetWindowLongA(memo->Handle(), GWL_STYLE) & ES_WANTRETURN);
}

TEST_F(ControlsTest, EnterInAMemoGoesToTheDefaultButtonOnlyWithoutWantReturns) {
  for (bool wantReturns : {false, true}) {
    TForm form(nullptr);
    auto* memo = Place<TMemo>(form, 10, 10, 200, 80);
    memo->SetWantReturns(wantReturns);
    auto* ok = Place<TButton>(form, 10, 100, 75, 25);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = Place<TButton>(form, 90, 100, 75, 25);
    cancel->SetModalResult(mrCancel);
    form.OnActivate = [&](TObject&) {
      memo->SetFocus();
      ::PostMessageA(memo->Handle(), WM_KEYDOWN, VK_RETURN, 0);
      ::PostMessageA(cancel->Handle(), BM_CLICK, 0, 0);
    };
    EXPECT_EQ(form.ShowModal(), wantReturns ? mrCancel : mrOk) << "WantReturns " << wantReturns;
  }
}

TEST_F(ControlsTest, FormsFocusTheirActiveControlAndMaximise) {
  TForm form(nullptr);
  Place<TButton>(form, 10, 10, 75, 25);
  auto* second = Place<TButton>(form, 90, 10, 75, 25);
  form.SetActiveControl(second);
  TWinControl* focused = nullptr;
  form.OnActivate = [&](TObject&) {
    focused = TWinControl::FromHandle(::GetFocus());
    form.SetModalResult(mrOk);
  };
  form.SetWindowState(wsMaximized);
  EXPECT_EQ(form.ShowModal(), mrOk);
  EXPECT_EQ(focused, second) << "not the first in tab order";
  EXPECT_EQ(form.ActiveControl(), second);
  form.Show();
  EXPECT_TRUE(::IsZoomed(form.Handle()));
  form.SetWindowState(wsNormal);
  EXPECT_FALSE(::IsZoomed(form.Handle()));
}

TEST_F(ControlsTest, TimerTicksThroughTheMessageLoopUntilDisabledOrDestroyed) {
  int ticks = 0;
  auto* timer = new TTimer(nullptr);
  timer->SetInterval(10);
  timer->OnTimer = [&](TObject&) { ++ticks; };
  const auto pumpFor = [&](DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds) {
      Settle();
      ::Sleep(5);
    }
  };
  const DWORD start = ::GetTickCount();
  while (ticks < 3 && ::GetTickCount() - start < 3000) pumpFor(20);
  EXPECT_GE(ticks, 3);

  timer->SetEnabled(false);
  Settle();
  int stopped = ticks;
  pumpFor(100);
  EXPECT_EQ(ticks, stopped) << "a disabled timer is silent";

  timer->SetEnabled(true);
  while (ticks == stopped && ::GetTickCount() - start < 5000) pumpFor(20);
  EXPECT_GT(ticks, stopped) << "enabled again, it ticks again";

  delete timer;
  stopped = ticks;
  pumpFor(100);
  EXPECT_EQ(ticks, stopped) << "a destroyed timer is silent";
}

TEST_F(ControlsTest, TimerExceptionReachesTheApplicationsHandler) {
  TTimer timer(nullptr);
  timer.SetInterval(5);
  timer.OnTimer = [&](TObject& sender) {
    static_cast<TTimer&>(sender).SetEnabled(false);
    throw Exception("tick failed");
  };
  const DWORD start = ::GetTickCount();
  while (boxes_.empty() && ::GetTickCount() - start < 3000) {
    Settle();
    ::Sleep(5);
  }
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "tick failed");
}

TEST_F(ControlsTest, TransparentImageLeavesOutTheBottomLeftColour) {
  Bare bare(clNavy);
  auto* image = Place<TImage>(bare.form, 10, 10, 8, 8);
  TBitmap& picture = image->Picture();
  picture.SetSize(4, 4);
  picture.Canvas().SetBrushColor(clRed);
  picture.Canvas().FillRect({0, 0, 4, 4});
  picture.Canvas().SetBrushColor(kGreen);
  picture.Canvas().FillRect({1, 1, 2, 2});
  image->SetTransparent(true);
  image->SetStretch(true);
  bare.Show();
  EXPECT_EQ(bare.Pixel(10, 10), ColorToRGB(clNavy)) << "the transparent colour shows the form";
  EXPECT_EQ(bare.Pixel(17, 17), ColorToRGB(clNavy));
  EXPECT_EQ(bare.Pixel(12, 12), ColorToRGB(kGreen)) << "stretched to twice the size";
  EXPECT_EQ(bare.Pixel(13, 13), ColorToRGB(kGreen));

  image->SetTransparent(false);
  image->Repaint();
  EXPECT_EQ(bare.Pixel(10, 10), ColorToRGB(clRed));

  image->LoadBitmapResource("NO_SUCH_BITMAP");
  EXPECT_TRUE(image->Picture().Empty()) << "a missing resource leaves the image empty";
  image->LoadIconResource("NO_SUCH_ICON");
  EXPECT_FALSE(image->HasIcon());
}

TEST_F(ControlsTest, PanelAlignsItsChildInsideBorderAndBevel) {
  Bare bare;
  auto* panel = Place<TPanel>(bare.form, 9, 48, 231, 21);
  panel->SetBevelOuter(bvNone);
  panel->SetBorderStyle(bsSingle);
  auto* gauge = new TGauge(panel);
  gauge->SetParent(panel);
  gauge->SetAlign(alClient);
  bare.Show();
  RECT client{};
  ::GetClientRect(panel->Handle(), &client);
  EXPECT_EQ(gauge->BoundsRect(), (TRect{0, 0, client.right, client.bottom}));
  EXPECT_LT(client.right, 231) << "the border takes its edge";

  panel->SetBevelOuter(bvRaised);
  EXPECT_EQ(gauge->BoundsRect(), (TRect{1, 1, client.right - 1, client.bottom - 1}));
}

TEST_F(ControlsTest, BitBtnShowsTheGlyphHalfOfItsState) {
  Bare bare;
  auto* button = Place<TBitBtn>(bare.form, 10, 10, 75, 25);
  button->SetNumGlyphs(2);
  TBitmap& glyph = button->Glyph();
  glyph.SetSize(32, 16);
  constexpr TColor kMagenta = 0xFF00FF;
  glyph.Canvas().SetBrushColor(kMagenta);  // the bottom-left colour: transparent
  glyph.Canvas().FillRect({0, 0, 32, 16});
  glyph.Canvas().SetBrushColor(kGreen);
  glyph.Canvas().FillRect({4, 4, 12, 12});
  glyph.Canvas().SetBrushColor(clBlue);
  glyph.Canvas().FillRect({20, 4, 28, 12});
  bare.Show();
  const auto pixel = [button](int x, int y) { return PaintedPixel(*button, x, y); };
  // Without a caption the 16-pixel glyph is centred: its left edge at 29, top at 4.
  EXPECT_EQ(pixel(29 + 8, 4 + 8), ColorToRGB(kGreen)) << "the first half when enabled";
  EXPECT_EQ(pixel(29 + 1, 4 + 1), ColorToRGB(clBtnFace)) << "the transparent colour shows the face";
  button->SetEnabled(false);
  EXPECT_EQ(pixel(29 + 8, 4 + 8), ColorToRGB(clBlue)) << "the second half when disabled";
}

TEST_F(ControlsTest, BitBtnEnlargesItsGlyphPixelForPixelWithTheDisplay) {
  Bare bare;
  auto* button = Place<TBitBtn>(bare.form, 10, 10, 75, 25);
  TBitmap& glyph = button->Glyph();
  glyph.SetSize(16, 16);
  constexpr TColor kMagenta = 0xFF00FF;  // the bottom-left colour: transparent
  glyph.Canvas().SetBrushColor(kMagenta);
  glyph.Canvas().FillRect({0, 0, 16, 16});
  glyph.Canvas().SetBrushColor(kGreen);
  glyph.Canvas().FillRect({4, 4, 12, 12});
  button->ChangeScale(192, kDesignDpi);
  ASSERT_EQ(button->BoundsRect(), (TRect{20, 20, 170, 70}));
  bare.Show();
  const auto pixel = [button](int x, int y) { return PaintedPixel(*button, x, y); };
  // The 32-pixel glyph is centred in the 150 × 50 button: its left edge at 59, top at 9;
  // the green square covers 8..23 of it, the rest shows the face.
  for (const int at : {8, 15, 23}) EXPECT_EQ(pixel(59 + at, 9 + at), ColorToRGB(kGreen)) << at;
  for (const int at : {7, 24}) EXPECT_EQ(pixel(59 + at, 9 + 16), ColorToRGB(clBtnFace)) << at;
}

TEST_F(ControlsTest, DisabledSpeedButtonIsARaisedFrameAndGroupsKeepOneDown) {
  Bare bare(clWhite);
  auto* frame = Place<TSpeedButton>(bare.form, 1, 1, 248, 76);
  frame->SetAllowAllUp(true);
  frame->SetEnabled(false);
  bare.Show();
  EXPECT_EQ(bare.Pixel(1 + 1, 1 + 1), static_cast<COLORREF>(::GetSysColor(COLOR_BTNHIGHLIGHT)));
  EXPECT_EQ(bare.Pixel(1 + 247, 1 + 75), static_cast<COLORREF>(::GetSysColor(COLOR_3DDKSHADOW)));

  auto* a = Place<TSpeedButton>(bare.form, 10, 100, 20, 20);
  auto* b = Place<TSpeedButton>(bare.form, 40, 100, 20, 20);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  a->SetDown(true);
  b->SetDown(true);
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(b->Down());
  b->SetDown(false);
  EXPECT_TRUE(b->Down()) << "without AllowAllUp one stays down";
}

TEST(BitmapDrawTest, ABitmapDrawnOnThroughItsCanvasCopiesItsOwnPixels) {
  // Drawing on a bitmap keeps it selected into its canvas' context; copies must read there.
  TBitmap source;
  source.SetSize(4, 4);
  source.Canvas().SetBrushColor(clRed);
  source.Canvas().FillRect({0, 0, 4, 4});
  TBitmap target;
  target.SetSize(8, 8);
  target.Canvas().Draw(2, 2, source);
  EXPECT_EQ(target.Canvas().Pixel(3, 3), clRed);
  EXPECT_EQ(target.Canvas().Pixel(1, 1), clWhite);
  target.Canvas().StretchDraw({0, 0, 8, 8}, source);
  EXPECT_EQ(target.Canvas().Pixel(7, 7), clRed);
}

}  // namespace
}  // namespace kavrix
