// windriver_fixture: the program the driver's own test works. It shows what the driver
// meets in the installer: two visible windows of one caption (a borderless one without
// controls and a form), controls on a panel of the toolkit's window class that appear
// a moment after their window, a check box that enables a button, a hidden button, edits,
// a list, a combo box, a progress bar, a button whose handler keeps the program
// busy, and a modal question. Every effect shows in a
// control the driver can read; the exit code lists the answers to the question in
// order, one decimal digit each (Yes 6, No 7, Cancel 2).

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "system/CallbackGuard.h"
#include "toolkit/Win32Gdi.h"

namespace {

using kavrix::GuardCallback;

constexpr char kWindowClass[] = "KavrixWindow";
constexpr char kCaption[] = "Fixture";
constexpr UINT_PTR kControlsTimer = 1;
constexpr UINT_PTR kGiveUpTimer = 2;
// A fixture left behind by a killed driver ends by itself.
constexpr UINT kGiveUpMilliseconds = 60000;
constexpr int kGaveUp = 98;
constexpr DWORD kBusyMilliseconds = 1500;

enum ControlId : int { kStep = 101, kDisabled, kModal, kFinish, kEnable, kHidden, kBusy, kEdit, kResult, kList, kCombo };

struct State {
  HWND form = nullptr;
  HWND disabled = nullptr;
  HWND edit = nullptr;
  HWND result = nullptr;
  HWND progress = nullptr;
  int answers = 0;
};
State state;

HWND AddControl(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int width,
                int height, int id) {
  return ::CreateWindowExA(0, className, text, WS_CHILD | style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
}

void CreateControls(HWND form) {
  RECT client{};
  ::GetClientRect(form, &client);
  // The panel passes Tab on to its children, as the toolkit's panels do.
  HWND panel = ::CreateWindowExA(WS_EX_CONTROLPARENT, kWindowClass, "", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                                 client.bottom, form, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  const DWORD button = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
  HWND step = AddControl(panel, "BUTTON", "&Step", button, 10, 10, 90, 25, kStep);
  state.disabled = AddControl(panel, "BUTTON", "&Disabled", button | WS_DISABLED, 110, 10, 90, 25, kDisabled);
  AddControl(panel, "BUTTON", "&Modal...", button, 210, 10, 90, 25, kModal);
  AddControl(panel, "BUTTON", "&Finish", button, 310, 10, 90, 25, kFinish);
  AddControl(panel, "BUTTON", "&Enable", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 10, 45, 120, 20, kEnable);
  AddControl(panel, "BUTTON", "&Hidden", BS_PUSHBUTTON, 140, 45, 90, 25, kHidden);
  AddControl(panel, "BUTTON", "&Busy", button, 240, 45, 90, 25, kBusy);
  state.edit = AddControl(panel, "EDIT", "\\", WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 10, 80, 180,
                          22, kEdit);
  state.result = AddControl(panel, "EDIT", "", WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 200, 80, 200, 22, kResult);
  HWND list = AddControl(panel, "LISTBOX", "", WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 10, 110, 180, 80,
                         kList);
  for (const char* item : {"alpha", "beta", "gamma"}) {
    ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  HWND combo = AddControl(panel, "COMBOBOX", "", WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 200, 110, 200, 100,
                          kCombo);
  for (const char* item : {"one", "two words", "three"}) {
    ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  state.progress = AddControl(panel, PROGRESS_CLASSA, "", WS_VISIBLE, 10, 200, 390, 16, 0);
  ::SendMessageA(state.progress, PBM_SETRANGE32, 0, 100);
  ::SetFocus(step);
}

std::string ItemText(HWND control, bool isList) {
  const auto index = ::SendMessageA(control, isList ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
  const auto length = ::SendMessageA(control, isList ? LB_GETTEXTLEN : CB_GETLBTEXTLEN, index, 0);
  if (index < 0 || length < 0) return "";
  std::string text(static_cast<size_t>(length) + 1, '\0');
  ::SendMessageA(control, isList ? LB_GETTEXT : CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

void Command(int id, int code, HWND control) {
  switch (id) {
    case kStep:
      ::SendMessageA(state.progress, PBM_DELTAPOS, 10, 0);
      break;
    case kEnable:
      ::EnableWindow(state.disabled, ::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
      break;
    case kDisabled:
      ::SetWindowTextA(state.result, "pressed");
      break;
    case kBusy:
      // Work inside the handler without pumping messages, as the installation does.
      ::Sleep(kBusyMilliseconds);
      ::SetWindowTextA(state.result, "rested");
      break;
    case kModal: {
      const int answer = ::MessageBoxA(state.form, "Proceed?", "Question", MB_YESNOCANCEL);
      state.answers = state.answers * 10 + answer;
      ::SetWindowTextA(state.result, ("answer " + std::to_string(answer)).c_str());
      break;
    }
    case kFinish:
      ::DestroyWindow(state.form);
      break;
    case kList:
      if (code == LBN_SELCHANGE) ::SetWindowTextA(state.result, ("selected " + ItemText(control, true)).c_str());
      if (code == LBN_DBLCLK) ::SetWindowTextA(state.edit, ItemText(control, true).c_str());
      break;
    case kCombo:
      if (code == CBN_SELCHANGE) ::SetWindowTextA(state.result, ("combo " + ItemText(control, false)).c_str());
      break;
    default:
      break;
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return GuardCallback<LRESULT>(0, [&]() -> LRESULT {
    switch (message) {
      case WM_COMMAND:
        // The panel hands its children's notifications to the form.
        if (window != state.form) return ::SendMessageA(::GetParent(window), message, wParam, lParam);
        Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
      case WM_TIMER:
        if (wParam == kControlsTimer) {
          ::KillTimer(window, kControlsTimer);
          CreateControls(window);
        } else if (wParam == kGiveUpTimer) {
          ::PostQuitMessage(kGaveUp);
        }
        return 0;
      case WM_DESTROY:
        if (window == state.form) ::PostQuitMessage(state.answers);
        return 0;
      default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
  });
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  // Magenta, so a screenshot shows plainly where the form is.
  kavrix::UniqueGdiObject background(::CreateSolidBrush(RGB(255, 0, 255)));
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = static_cast<HBRUSH>(background.Get());
  windowClass.lpszClassName = kWindowClass;
  if (!::RegisterClassA(&windowClass)) return 1;

  state.form = ::CreateWindowExA(0, kWindowClass, kCaption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 20,
                                 20, 420, 260, nullptr, nullptr, instance, nullptr);
  // The same caption on a borderless window without controls, as the installer's
  // backdrop; always on top, so a search by caption alone finds it first.
  kavrix::UniqueWindow backdrop(::CreateWindowExA(WS_EX_TOPMOST, kWindowClass, kCaption, WS_POPUP | WS_VISIBLE, 600,
                                                  450, 200, 100, nullptr, nullptr, instance, nullptr));
  if (!backdrop || !state.form) return 1;
  // The controls come later than the window, as they do in the installer's forms.
  ::SetTimer(state.form, kControlsTimer, 300, nullptr);
  ::SetTimer(state.form, kGiveUpTimer, kGiveUpMilliseconds, nullptr);

  MSG message{};
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    // Tab, Enter and Escape as in a dialog.
    if (!::IsWindow(state.form) || !::IsDialogMessageA(state.form, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    kavrix::RethrowCallbackException();
  }
  return static_cast<int>(message.wParam);
}
