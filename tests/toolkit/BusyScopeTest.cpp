#include <windows.h>

#include <thread>

#include "ToolkitTestSupport.h"
#include "toolkit/BusyScope.h"
#include "toolkit/Button.h"

namespace kavrix {
namespace {

using BusyScopeTest = testing::ToolkitTest;

// A shown form with one button that counts its clicks and a close handler that counts
// close requests.
struct CountingForm {
  explicit CountingForm(TComponent* owner) : form(new TForm(owner)), button(new TButton(form)) {
    form->SetBounds(100, 100, 300, 150);
    button->SetParent(form);
    button->SetBounds(10, 10, 75, 25);
    button->SetCaption("&Go");
    button->OnClick = [this](TObject&) { ++clicks; };
    form->OnClose = [this](TObject&, TCloseAction& action) {
      ++closes;
      action = caNone;
    };
    form->Show();
  }
  TForm* form;
  TButton* button;
  int clicks = 0;
  int closes = 0;
};

TEST_F(BusyScopeTest, WhatArrivesWhileBusyActsNeitherThenNorAfterwards) {
  CountingForm counting(&app_);
  Settle();
  {
    TBusyScope busy;
    HWND button = counting.button->Handle();
    ::PostMessageA(button, BM_CLICK, 0, 0);
    ::PostMessageA(button, WM_KEYDOWN, VK_SPACE, 0);
    ::PostMessageA(button, WM_KEYUP, VK_SPACE, 0);
    ::PostMessageA(counting.form->Handle(), WM_CLOSE, 0, 0);
    ::PostMessageA(counting.form->Handle(), WM_SYSKEYDOWN, VK_F4, 1L << 29);
    TBusyScope::Pump();
    EXPECT_EQ(counting.clicks, 0);
    ::PostMessageA(button, BM_CLICK, 0, 0);  // handled when the scope ends, still busy
  }
  EXPECT_FALSE(app_.Busy());
  Settle();
  EXPECT_EQ(counting.clicks, 0) << "no click waited for the operation to end";
  EXPECT_EQ(counting.closes, 0) << "no close request either";

  ::PostMessageA(counting.button->Handle(), BM_CLICK, 0, 0);
  Settle();
  EXPECT_EQ(counting.clicks, 1) << "idle again, the form acts on clicks";
}

TEST_F(BusyScopeTest, ABusyProgramAnswersOtherProgramsAndPaints) {
  CountingForm counting(&app_);
  Settle();
  HWND window = counting.form->Handle();
  TBusyScope busy;
  ::InvalidateRect(window, nullptr, TRUE);
  // Another thread asks as the system does before it marks a window as not responding.
  DWORD_PTR result = 0;
  LRESULT answered = 0;
  std::thread asker([&] { answered = ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result); });
  TBusyScope::Wait(300);
  asker.join();
  EXPECT_NE(answered, 0) << "WM_NULL was answered while waiting";
  RECT invalid{};
  EXPECT_FALSE(::GetUpdateRect(window, &invalid, FALSE)) << "the invalid area was painted";
}

TEST_F(BusyScopeTest, WaitLastsItsTimeAndScopesNest) {
  {
    TBusyScope outer;
    {
      TBusyScope inner;
      const DWORD start = ::GetTickCount();
      TBusyScope::Wait(100);
      EXPECT_GE(::GetTickCount() - start, 90u);  // the tick count's own granularity
    }
    EXPECT_TRUE(app_.Busy()) << "the outer scope is still busy";
  }
  EXPECT_FALSE(app_.Busy());
}

}  // namespace
}  // namespace kavrix
