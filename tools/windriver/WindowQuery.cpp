#include "WindowQuery.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "system/CallbackGuard.h"

namespace kavrix::windriver {

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  return GuardCallback(FALSE, [&] {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
  });
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted.append(text);
  return quoted += '"';
}

std::string Hex(HWND window) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%08lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
  return buffer;
}

bool IsCheckBoxStyle(LONG style) {
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return true;
    default:
      return false;
  }
}

// The state of the controls whose state is not their caption.
std::string ControlState(HWND window) {
  if (HasClass(window, "Edit")) {
    const auto text = ControlText(window);
    return text ? " text " + Quoted(*text) : " (no answer)";
  }
  if (HasClass(window, "Button")) {
    const auto checked = CheckState(window);
    return checked ? (*checked ? " checked" : " unchecked") : "";
  }
  if (HasClass(window, PROGRESS_CLASSA)) {
    const auto position = Ask(window, PBM_GETPOS, 0, 0);
    const auto low = Ask(window, PBM_GETRANGE, TRUE, 0);
    const auto high = Ask(window, PBM_GETRANGE, FALSE, 0);
    if (!position || !low || !high) return " (no answer)";
    return " position " + std::to_string(*position) + " of " + std::to_string(*low) + ".." + std::to_string(*high);
  }
  const bool isList = HasClass(window, "ListBox");
  if (isList || HasClass(window, "ComboBox")) {
    const auto items = ListItems(window);
    const auto selected = Ask(window, isList ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
    if (!items || !selected) return " (no answer)";
    std::string state = " selected ";
    state += std::to_string(static_cast<int>(*selected));
    state += ", items:";
    for (const auto& item : *items) state.append(" ").append(Quoted(item));
    return state;
  }
  return "";
}

}  // namespace

std::wstring Widen(std::string_view text) {
  if (text.empty()) return {};
  const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string narrow(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr,
                        nullptr);
  return narrow;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  RethrowCallbackException();
  return windows;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> windows;
  ::EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  RethrowCallbackException();
  return windows;
}

std::string ClassOf(HWND window) {
  char name[256] = "";
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

bool HasClass(HWND window, std::string_view className) {
  const std::string actual = ClassOf(window);
  return std::equal(actual.begin(), actual.end(), className.begin(), className.end(), [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
  });
}

std::string CaptionOf(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

std::optional<LRESULT> Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT milliseconds) {
  DWORD_PTR result = 0;
  // A thread that has not pumped messages for seconds gets no time at all, so a dump of a
  // busy program does not wait once per control.
  if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, milliseconds, &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

std::optional<std::string> ControlText(HWND window) {
  const auto length = Ask(window, WM_GETTEXTLENGTH, 0, 0);
  if (!length) return std::nullopt;
  std::wstring text(static_cast<size_t>(*length) + 1, L'\0');
  const auto copied = Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  if (!copied) return std::nullopt;
  text.resize(std::min(static_cast<size_t>(*copied), text.size() - 1));
  return Narrow(text);
}

std::optional<std::vector<std::string>> ListItems(HWND window) {
  const bool isList = HasClass(window, "ListBox");
  const auto count = Ask(window, isList ? LB_GETCOUNT : CB_GETCOUNT, 0, 0);
  if (!count || *count < 0) return std::nullopt;
  std::vector<std::string> items;
  for (WPARAM index = 0; index < static_cast<WPARAM>(*count); ++index) {
    const auto length = Ask(window, isList ? LB_GETTEXTLEN : CB_GETLBTEXTLEN, index, 0);
    if (!length || *length < 0) return std::nullopt;
    std::wstring text(static_cast<size_t>(*length) + 1, L'\0');
    const auto copied = Ask(window, isList ? LB_GETTEXT : CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    if (!copied || *copied < 0) return std::nullopt;
    text.resize(std::min(static_cast<size_t>(*copied), text.size() - 1));
    items.push_back(Narrow(text));
  }
  return items;
}

std::optional<bool> CheckState(HWND window) {
  if (!IsCheckBoxStyle(::GetWindowLongA(window, GWL_STYLE))) return std::nullopt;
  const auto state = Ask(window, BM_GETCHECK, 0, 0);
  if (!state) return std::nullopt;
  return *state == BST_CHECKED;
}

std::string Describe(HWND window, bool askState) {
  std::string line = Hex(window) + " " + ClassOf(window) + " " + Quoted(CaptionOf(window));
  if (!::IsWindowVisible(window)) line += " hidden";
  if (!::IsWindowEnabled(window)) line += " disabled";
  RECT area{};
  ::GetWindowRect(window, &area);
  line += " at " + std::to_string(area.left) + "," + std::to_string(area.top) + " size " +
          std::to_string(area.right - area.left) + "x" + std::to_string(area.bottom - area.top);
  if (!askState) return line;
  // One wait for a busy program, not one per state message.
  if (!Ask(window, WM_NULL, 0, 0)) return line + " (not answering)";
  return line + ControlState(window);
}

void DumpWindows(std::ostream& out) {
  out << "visible top-level windows (topmost first):\n";
  for (HWND top : TopLevelWindows()) {
    if (!::IsWindowVisible(top)) continue;
    DWORD process = 0;
    ::GetWindowThreadProcessId(top, &process);
    const bool answers = Ask(top, WM_NULL, 0, 0).has_value();
    out << "  " << Describe(top, false) << " process " << process << (answers ? "" : " (not answering)") << "\n";
    for (HWND child : Descendants(top)) {
      std::string indent = "    ";
      for (HWND up = ::GetParent(child); up && up != top; up = ::GetParent(up)) indent += "  ";
      out << indent << Describe(child, answers) << "\n";
    }
  }
  out.flush();
}

}  // namespace kavrix::windriver
