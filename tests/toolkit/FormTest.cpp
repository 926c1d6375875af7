#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ToolkitTestSupport.h"
#include "toolkit/Button.h"
#include "toolkit/Label.h"
#include "toolkit/layout/DpiScale.h"

namespace kavrix {
namespace {

using FormTest = testing::ToolkitTest;

// A dialog with OK (default, mrOk), Cancel (Escape, mrCancel) and a plain button.
struct Dialog {
  explicit Dialog(TComponent* owner) : form(new TForm(owner)) {
    form->SetBorderStyle(bsDialog);
    form->SetCaption("Dialog");
    form->SetClientWidth(300);
    form->SetClientHeight(120);
    ok = AddButton("OK", 10, mrOk);
    ok->SetDefault(true);
    cancel = AddButton("Cancel", 90, mrCancel);
    cancel->SetCancel(true);
    plain = AddButton("&Plain", 170, mrNone);
  }
  TButton* AddButton(const std::string& caption, int left, TModalResult result) {
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetCaption(caption);
    button->SetBounds(left, 80, 75, 25);
    button->SetModalResult(result);
    return button;
  }
  TForm* form;
  TButton* ok;
  TButton* cancel;
  TButton* plain;
};

BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
  ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

int CountChildWindows(HWND parent) {
  int count = 0;
  ::EnumChildWindows(parent, CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST_F(FormTest, AChildAskedForItsWindowFirstGetsExactlyOne) {
  // The child's window request makes the parent's window, which makes the children's.
  Dialog dialog(&app_);
  HWND plain = dialog.plain->Handle();
  EXPECT_EQ(CountChildWindows(dialog.form->Handle()), 3);
  EXPECT_EQ(::GetParent(plain), dialog.form->Handle());
  EXPECT_EQ(TWinControl::FromHandle(plain), dialog.plain);
}

TEST_F(FormTest, ShowModalReturnsTheResultOfTheButtonPressedByMouseEnterOrEscape) {
  Dialog dialog(&app_);
  ::PostMessageA(dialog.ok->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.form->ShowModal(), mrOk);
  EXPECT_FALSE(dialog.form->Visible());

  ::PostMessageA(dialog.form->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(dialog.form->ShowModal(), mrOk) << "Enter presses the default button";

  ::PostMessageA(dialog.plain->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(dialog.form->ShowModal(), mrCancel) << "Escape presses the cancel button from any control";

  ::PostMessageA(dialog.form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.form->ShowModal(), mrCancel) << "closing a modal form answers mrCancel";

  // Enter on a focused button presses that button, not the default one.
  bool plainClicked = false;
  dialog.plain->OnClick = [&](TObject&) {
    plainClicked = true;
    dialog.form->SetModalResult(mrYes);
  };
  dialog.plain->SetModalResult(mrNone);
  ::PostMessageA(dialog.form->Handle(), WM_USER, 0, 0);  // settles activation first
  dialog.form->OnActivate = [&](TObject&) {
    dialog.plain->SetFocus();
    ::PostMessageA(dialog.plain->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  };
  EXPECT_EQ(dialog.form->ShowModal(), mrYes);
  EXPECT_TRUE(plainClicked);
}

TEST_F(FormTest, ModalFormDisablesTheOtherWindowsWhileItRuns) {
  TForm other(nullptr);
  other.Show();
  Dialog dialog(&app_);
  bool otherEnabledDuringModal = true;
  dialog.form->OnShow = [&](TObject&) { ::PostMessageA(dialog.ok->Handle(), BM_CLICK, 0, 0); };
  dialog.ok->OnClick = [&](TObject&) { otherEnabledDuringModal = ::IsWindowEnabled(other.Handle()) != 0; };
  EXPECT_EQ(dialog.form->ShowModal(), mrOk);
  EXPECT_FALSE(otherEnabledDuringModal);
  EXPECT_TRUE(::IsWindowEnabled(other.Handle()));
  dialog.form->OnShow = nullptr;  // its handlers refer to this test's locals
  dialog.form->Show();
  EXPECT_THROW(dialog.form->ShowModal(), EInvalidOperation) << "a visible form cannot become modal";
}

TEST_F(FormTest, EventsComeInTheOrderCreateShowActivateClose) {
  std::vector<std::string> events;
  TForm* form = nullptr;
  // OnCreate must be wired before CreateForm raises it: a derived form does it in its constructor.
  struct Wired : TForm {
    explicit Wired(TComponent* owner) : TForm(owner) {
      OnCreate = [](TObject& sender) { static_cast<Wired&>(sender).created = true; };
    }
    bool created = false;
  };
  Wired* wired = nullptr;
  app_.CreateForm(wired);
  EXPECT_TRUE(wired->created);
  EXPECT_EQ(app_.MainForm(), wired);
  app_.CreateForm(form);
  EXPECT_EQ(app_.MainForm(), wired) << "the first form created stays the main form";

  form->OnShow = [&](TObject&) {
    events.push_back(::IsWindowVisible(form->Handle()) ? "show(visible)" : "show");
  };
  form->OnActivate = [&](TObject&) {
    events.push_back("activate");
    ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
  };
  int closes = 0;
  form->OnClose = [&](TObject&, TCloseAction& action) {
    events.push_back("close");
    // The first close is refused: the modal loop goes on.
    if (++closes == 1) {
      action = caNone;
      ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    }
  };
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "activate", "close", "close"}));
}

TEST_F(FormTest, ExceptionInAClickHandlerIsShownAndTheLoopGoesOn) {
  Dialog dialog(&app_);
  dialog.plain->OnClick = [](TObject&) { throw Exception("Cannot create directory C:\\x"); };
  ::PostMessageA(dialog.plain->Handle(), BM_CLICK, 0, 0);
  ::PostMessageA(dialog.plain->Handle(), BM_CLICK, 0, 0);
  ::PostMessageA(dialog.ok->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.form->ShowModal(), mrOk);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].text, "Cannot create directory C:\\x");
  EXPECT_EQ(boxes_[0].caption, "Toolkit Tests");

  // An exception raised while a message is sent from the program's own code continues
  // there, as if the handler had been called directly.
  dialog.form->OnActivate = [](TObject&) { throw Exception("activation failed"); };
  try {
    dialog.form->Show();
    FAIL() << "Show did not pass the exception on";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "activation failed");
  }
}

TEST_F(FormTest, ClosingTheMainFormEndsRun) {
  TForm* main = nullptr;
  app_.CreateForm(main);
  main->SetBorderStyle(bsNone);
  main->OnActivate = [&](TObject&) { ::PostMessageA(main->Handle(), WM_CLOSE, 0, 0); };
  bool closed = false;
  main->OnClose = [&](TObject&, TCloseAction&) { closed = true; };
  app_.Run();
  EXPECT_TRUE(closed);
  EXPECT_TRUE(app_.Terminated());
}

TEST_F(FormTest, ToolWindowsAndTheHelpButtonGetTheirWindowStyles) {
  const struct {
    TFormBorderStyle style;
    TBorderIcons icons;
    DWORD exStyle;  // of WS_EX_TOOLWINDOW and WS_EX_CONTEXTHELP
    DWORD boxes;    // of WS_MINIMIZEBOX and WS_MAXIMIZEBOX
  } cases[] = {
      {bsToolWindow, biSystemMenu | biMinimize | biMaximize, WS_EX_TOOLWINDOW, 0},
      {bsSizeToolWin, biSystemMenu | biHelp, WS_EX_TOOLWINDOW, 0},
      {bsDialog, biSystemMenu | biHelp | biMinimize, WS_EX_CONTEXTHELP, 0},
      {bsSingle, biSystemMenu | biHelp, WS_EX_CONTEXTHELP, 0},
      {bsSizeable, biSystemMenu | biHelp | biMaximize, 0, WS_MAXIMIZEBOX},
      {bsSingle, biHelp, 0, 0},
  };
  for (const auto& c : cases) {
    TForm form(nullptr);
    form.SetBorderStyle(c.style);
    form.SetBorderIcons(c.icons);
    form.Show();
    const auto exStyle = static_cast<DWORD>(::GetWindowLongA(form.Handle(), GWL_EXSTYLE));
    const auto style = static_cast<DWORD>(::GetWindowLongA(form.Handle(), GWL_STYLE));
    EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_CONTEXTHELP), c.exStyle) << int{c.style} << "/" << int{c.icons};
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), c.boxes) << int{c.style} << "/" << int{c.icons};
  }
}

TEST_F(FormTest, ClientSizeAndScreenCentreHoldForEveryBorderStyle) {
  for (TFormBorderStyle style : {bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin}) {
    TForm form(nullptr);
    form.SetBorderStyle(style);
    form.SetBorderIcons(0);
    form.SetPosition(poScreenCenter);
    form.SetClientWidth(473);
    form.SetClientHeight(329);
    form.Show();
    RECT client{};
    ::GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 473) << "style " << style;
    EXPECT_EQ(client.bottom, 329) << "style " << style;
    RECT window{};
    ::GetWindowRect(form.Handle(), &window);
    EXPECT_EQ(window.left, (::GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2);
    EXPECT_EQ(window.top, (::GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top)) / 2);
    EXPECT_EQ(form.Width(), window.right - window.left);
    EXPECT_EQ((::GetWindowLongA(form.Handle(), GWL_STYLE) & WS_SYSMENU) != 0, false) << "no border icons";
    // The frame changes around the client area.
    form.SetBorderStyle(style == bsNone ? bsSingle : bsNone);
    ::GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 473);
    EXPECT_EQ(client.bottom, 329);
  }
}

TEST_F(FormTest, MovingToADisplayOfAnotherScaleLaysTheFormOutAgainWhereTheSystemSuggests) {
  Dialog dialog(&app_);
  TForm& form = *dialog.form;
  form.Show();
  ASSERT_EQ(form.PixelsPerInch(), 96) << "the test prefix's display is at 100 %";
  const int fontHeight = form.Font().Height();
  RECT suggested{40, 30, 0, 0};
  form.Perform(0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(form.PixelsPerInch(), 144);
  EXPECT_EQ(form.Left(), 40);
  EXPECT_EQ(form.Top(), 30);
  EXPECT_EQ(form.ClientWidth(), 450);
  EXPECT_EQ(form.ClientHeight(), 180);
  EXPECT_EQ(form.Font().Height(), ScaleToDpi(fontHeight, 144));
  // Edges scale, so the row keeps its gaps: OK 10..85, Cancel 90..165 at 100 %.
  EXPECT_EQ(dialog.ok->Left(), 15);
  EXPECT_EQ(dialog.ok->Width(), 113);
  EXPECT_EQ(dialog.cancel->Left(), 135);
  EXPECT_EQ(dialog.cancel->Top(), 120);
  EXPECT_EQ(dialog.cancel->Height(), 38) << "80..105 at 100 %, 120..157.5 rounded";
  RECT window{};
  ::GetWindowRect(dialog.cancel->Handle(), &window);
  EXPECT_EQ(window.right - window.left, dialog.cancel->Width()) << "the window follows";
  form.Perform(0x02E0, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(form.ClientWidth(), 300) << "and back";
  EXPECT_EQ(dialog.ok->Width(), 75);
  EXPECT_EQ(form.Font().Height(), fontHeight);
  form.Hide();
}

TEST_F(FormTest, RepaintDrawsColourAndLabelsAtOnce) {
  TForm form(nullptr);
  form.SetBorderStyle(bsNone);
  form.SetBounds(0, 0, 200, 100);
  form.SetColor(clNavy);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  label->SetLeft(10);
  label->SetTop(10);
  label->SetCaption("Loading");
  form.Show();
  Settle();
  label->SetCaption(std::string(20, '|'));
  label->SetColor(clRed);
  form.Repaint();
  HDC dc = ::GetDC(form.Handle());
  EXPECT_EQ(::GetPixel(dc, 150, 80), ColorToRGB(clNavy));
  EXPECT_EQ(::GetPixel(dc, 11, 11), ColorToRGB(clRed)) << "an opaque label paints its colour";
  label->SetTransparent(true);
  label->Repaint();
  EXPECT_EQ(::GetPixel(dc, label->Left() + label->Width() - 1, 11), ColorToRGB(clNavy))
      << "a transparent label leaves the form's background";
  ::ReleaseDC(form.Handle(), dc);
}

TEST_F(FormTest, LabelAutoSizeFollowsTextFontAndWrapping) {
  TForm form(nullptr);
  form.Font().SetName("Tahoma");
  form.Font().SetHeight(-11);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  EXPECT_EQ(label->Font().Name(), "Tahoma") << "the label takes its parent's font";
  label->SetCaption("Please wait while Kavrix prepares itself");
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, label->Font().Handle());
  SIZE extent{};
  ::GetTextExtentPoint32A(dc, label->Caption().c_str(), static_cast<int>(label->Caption().size()), &extent);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  EXPECT_EQ(label->Width(), extent.cx);
  EXPECT_EQ(label->Height(), extent.cy);

  const int oneLine = label->Height();
  label->Font().SetStyle(fsBold);
  EXPECT_GT(label->Width(), extent.cx) << "a bold font widens the label";
  EXPECT_FALSE(label->ParentFont());

  label->SetWidth(80);
  label->SetWordWrap(true);
  EXPECT_EQ(label->Width(), 80) << "a wrapping label keeps its width";
  EXPECT_GE(label->Height(), 3 * oneLine);

  label->SetAutoSize(false);
  label->SetCaption("x");
  EXPECT_EQ(label->Width(), 80);
}

}  // namespace
}  // namespace kavrix
