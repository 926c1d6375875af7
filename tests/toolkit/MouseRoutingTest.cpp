#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ToolkitTestSupport.h"
#include "toolkit/Form.h"

namespace kavrix {
namespace {

using MouseRoutingTest = testing::ToolkitTest;

// A windowless control that records what reaches it.
struct Recorder : TGraphicControl {
  Recorder(TComponent* owner, std::string name, std::vector<std::string>& log)
      : TGraphicControl(owner), name_(std::move(name)), log_(log) {}
  void Paint(TCanvas&) override {}
  void MouseDown(TMouseButton button, int x, int y) override {
    Add("down" + std::to_string(button) + "@" + std::to_string(x) + "," + std::to_string(y));
    captured = ::GetCapture();
  }
  void MouseUp(TMouseButton button, int x, int y) override {
    Add("up" + std::to_string(button) + "@" + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseEnter() override { Add("enter"); }
  void MouseLeave() override { Add("leave"); }
  bool DialogChar(char key) override {
    if (key != accelerator) return false;
    Add(std::string("char ") + key);
    return true;
  }
  void Add(const std::string& event) { log_.push_back(name_ + " " + event); }

  std::string name_;
  std::vector<std::string>& log_;
  HWND captured = nullptr;
  char accelerator = 0;
};

struct Scene {
  explicit Scene(std::vector<std::string>& log) : form(nullptr) {
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 300, 200);
    a = Add("a", 10, 10, log);
    b = Add("b", 60, 10, log);
    form.Show();
    // The real cursor rests inside the form, so the system reports no leaving of it.
    ::SetCursorPos(250, 150);
  }
  Recorder* Add(const char* name, int left, int top, std::vector<std::string>& log) {
    auto* control = new Recorder(&form, name, log);
    control->SetParent(&form);
    control->SetBounds(left, top, 40, 30);
    return control;
  }
  void Post(UINT message, int x, int y, WPARAM keys = 0) {
    ::PostMessageA(form.Handle(), message, keys, MAKELPARAM(x, y));
  }
  TForm form;
  Recorder* a;
  Recorder* b;
};

TEST_F(MouseRoutingTest, APressStaysWithItsControlUntilTheButtonComesUp) {
  std::vector<std::string> log;
  Scene scene(log);
  Settle();
  log.clear();
  scene.Post(WM_MOUSEMOVE, 20, 20);
  scene.Post(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  scene.Post(WM_MOUSEMOVE, 200, 100, MK_LBUTTON);  // off the control, still pressed
  scene.Post(WM_MOUSEMOVE, 70, 20, MK_LBUTTON);    // over another control: it is not told
  scene.Post(WM_LBUTTONUP, 70, 20);
  Settle();
  EXPECT_EQ(log, (std::vector<std::string>{"a enter", "a down0@10,10", "a leave", "a up0@60,10", "b enter"}));
  EXPECT_EQ(scene.a->captured, scene.form.Handle()) << "the parent holds the mouse for the control";
  EXPECT_NE(::GetCapture(), scene.form.Handle()) << "and lets it go with the release";
}

TEST_F(MouseRoutingTest, EnterAndLeaveComeInPairsAsTheCursorMoves) {
  std::vector<std::string> log;
  Scene scene(log);
  scene.b->SetEnabled(false);  // disabled controls are still told; they decide
  Settle();
  log.clear();
  scene.Post(WM_MOUSEMOVE, 15, 15);
  scene.Post(WM_MOUSEMOVE, 16, 16);
  scene.Post(WM_MOUSEMOVE, 65, 15);
  scene.Post(WM_MOUSEMOVE, 150, 150);
  scene.Post(WM_MOUSEMOVE, 65, 15);
  scene.Post(WM_MOUSELEAVE, 0, 0);
  scene.Post(WM_RBUTTONUP, 20, 20);  // a release without a press goes to the control under it
  Settle();
  EXPECT_EQ(log, (std::vector<std::string>{"a enter", "a leave", "b enter", "b leave", "b enter", "b leave",
                                            "a up1@10,10"}));
}

TEST_F(MouseRoutingTest, HiddenControlsAreNotHitAndARemovedOneIsForgotten) {
  std::vector<std::string> log;
  Scene scene(log);
  Settle();
  scene.a->SetVisible(false);
  log.clear();
  scene.Post(WM_MOUSEMOVE, 20, 20);
  scene.Post(WM_MOUSEMOVE, 70, 20);
  Settle();
  EXPECT_EQ(log, (std::vector<std::string>{"b enter"}));
  delete scene.b;  // while hovered: no leave may reach a destroyed control
  scene.Post(WM_MOUSEMOVE, 200, 100);
  scene.Post(WM_MOUSELEAVE, 0, 0);
  Settle();
  EXPECT_EQ(log, (std::vector<std::string>{"b enter"}));
}

BOOL CALLBACK FindToolTip(HWND window, LPARAM found) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  if (std::string(name) != TOOLTIPS_CLASSA) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

TEST_F(MouseRoutingTest, AHintIsOfferedForTheHoveredControlOnly) {
  std::vector<std::string> log;
  Scene scene(log);
  scene.b->SetHint("Quorvel 2.0");
  scene.b->SetShowHint(true);
  scene.a->SetHint("not shown");
  Settle();
  scene.Post(WM_MOUSEMOVE, 20, 20);
  Settle();
  HWND tip = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), FindToolTip, reinterpret_cast<LPARAM>(&tip));
  EXPECT_EQ(tip, nullptr) << "no tool tip for a control without ShowHint";
  scene.Post(WM_MOUSEMOVE, 70, 20);
  Settle();
  ::EnumThreadWindows(::GetCurrentThreadId(), FindToolTip, reinterpret_cast<LPARAM>(&tip));
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(::SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  char text[64] = {};
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = scene.form.Handle();
  tool.uId = 1;
  tool.lpszText = text;
  ::SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, "Quorvel 2.0");
  scene.Post(WM_MOUSEMOVE, 200, 100);
  Settle();
  EXPECT_EQ(::SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 0) << "off the control, no hint";
}

TEST_F(MouseRoutingTest, AcceleratorsAreOfferedToWindowlessControls) {
  std::vector<std::string> log;
  Scene scene(log);
  scene.b->accelerator = 'n';
  Settle();
  log.clear();
  ::PostMessageA(scene.form.Handle(), WM_SYSCHAR, 'n', 0);
  ::PostMessageA(scene.form.Handle(), WM_CHAR, 'x', 0);
  ::PostMessageA(scene.form.Handle(), WM_CHAR, 'n', 0);
  Settle();
  EXPECT_EQ(log, (std::vector<std::string>{"b char n", "b char n"}));
}

}  // namespace
}  // namespace kavrix
