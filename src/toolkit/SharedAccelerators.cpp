#include "toolkit/SharedAccelerators.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "toolkit/Win32Gdi.h"
#include "toolkit/layout/Mnemonics.h"

namespace kavrix {
namespace {

// The accelerator the dialog manager reads from a control: a button's caption's; an
// edit's text is what the user typed, never a shortcut.
char AcceleratorOfWindow(HWND window) {
  constexpr LRESULT kButtonCodes = DLGC_BUTTON | DLGC_RADIOBUTTON | DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON;
  if (!(::SendMessageA(window, WM_GETDLGCODE, 0, 0) & kButtonCodes)) return 0;
  char caption[256];
  const int length = ::GetWindowTextA(window, caption, static_cast<int>(sizeof caption));
  return AcceleratorOf(std::string_view(caption, static_cast<size_t>(std::max(length, 0))));
}

bool TypesCharacters(HWND window) {
  return window && (::SendMessageA(window, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS);
}

}  // namespace

bool FocusNextOfSharedAccelerator(HWND root, uint32_t message, uintptr_t character) {
  HWND focus = ::GetFocus();
  if (message != WM_SYSCHAR && (message != WM_CHAR || TypesCharacters(focus))) return false;
  // The tab order is the dialog manager's own, so this agrees with Tab: enabled, visible
  // tab stops, into nested containers. A window has far fewer than the room kept here.
  constexpr size_t kRoom = 256;
  std::array<HWND, kRoom> order{};
  std::array<char, kRoom> accelerators{};
  size_t count = 0;
  HWND first = ::GetNextDlgTabItem(root, nullptr, FALSE);
  for (HWND item = first; item && count < kRoom && (count == 0 || item != first);
       item = ::GetNextDlgTabItem(root, item, FALSE)) {
    order[count] = item;
    accelerators[count++] = AcceleratorOfWindow(item);
  }
  std::optional<size_t> focused;
  for (size_t i = 0; i < count; ++i) {
    if (order[i] == focus) focused = i;
  }
  const std::optional<size_t> next =
      NextOfSharedAccelerator(std::span(accelerators.data(), count), focused, static_cast<char>(character));
  if (!next) return false;
  ::SetFocus(order[*next]);
  return true;
}

}  // namespace kavrix
