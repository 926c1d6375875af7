#include "toolkit/SharedAccelerators.h"

#include <optional>
#include <string>
#include <vector>

#include "toolkit/Win32Gdi.h"
#include "toolkit/layout/Mnemonics.h"

namespace kavrix {
namespace {

// What the dialog manager reads an accelerator from: the buttons' captions; an edit's
// text is what the user typed, never a shortcut.
std::string CaptionOf(HWND window) {
  constexpr LRESULT kButtonCodes = DLGC_BUTTON | DLGC_RADIOBUTTON | DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON;
  if (!(::SendMessageA(window, WM_GETDLGCODE, 0, 0) & kButtonCodes)) return {};
  std::string text(static_cast<size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool TypesCharacters(HWND window) {
  return window && (::SendMessageA(window, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS);
}

}  // namespace

bool FocusNextOfSharedAccelerator(HWND root, uint32_t message, uintptr_t character) {
  HWND focus = ::GetFocus();
  if (message != WM_SYSCHAR && (message != WM_CHAR || TypesCharacters(focus))) return false;
  // The tab order is the dialog manager's own, so this agrees with Tab: enabled, visible
  // tab stops, into nested containers.
  std::vector<HWND> order;
  std::vector<std::string> captions;
  HWND first = ::GetNextDlgTabItem(root, nullptr, FALSE);
  for (HWND item = first; item && (order.empty() || item != first); item = ::GetNextDlgTabItem(root, item, FALSE)) {
    if (order.size() > 4096) break;  // the walk ends where it began; this only bounds a cycle that never does
    order.push_back(item);
    captions.push_back(CaptionOf(item));
  }
  std::optional<size_t> focused;
  for (size_t i = 0; i < order.size(); ++i) {
    if (order[i] == focus) focused = i;
  }
  const std::optional<size_t> next = NextOfSharedAccelerator(captions, focused, static_cast<char>(character));
  if (!next) return false;
  ::SetFocus(order[*next]);
  return true;
}

}  // namespace kavrix
