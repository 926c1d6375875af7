#pragma once
// Reading the windows of other processes. Nothing here may block the driver on a busy
// program: calls that need the window's thread to answer (WM_GETTEXT, BM_GETCHECK, ...)
// go through SendMessageTimeout and report "no answer" instead of waiting, because the
// installer runs long steps inside its message handlers without pumping messages.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kavrix::windriver {

// How long a reading call waits for the window's thread before giving up.
constexpr UINT kAnswerMilliseconds = 500;

std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

// Top-level windows in z-order, topmost first.
std::vector<HWND> TopLevelWindows();
// Every descendant of `parent`, depth first, siblings in z-order.
std::vector<HWND> Descendants(HWND parent);

std::string ClassOf(HWND window);
bool HasClass(HWND window, std::string_view className);  // ignores case, as window classes do
// The window's caption as the system keeps it, read without a message: works for any
// window, but an EDIT of another process reads empty.
std::string CaptionOf(HWND window);

// SendMessageTimeout; nullopt when the window's thread did not answer within `milliseconds`.
std::optional<LRESULT> Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                           UINT milliseconds = kAnswerMilliseconds);
// The control's own text (WM_GETTEXT), as an EDIT reports it.
std::optional<std::string> ControlText(HWND window);
// The entries of a LISTBOX or COMBOBOX; the W messages are used because Wine 8 answers the
// A ones across processes in UTF-16.
std::optional<std::vector<std::string>> ListItems(HWND window);

// A check box's state as BM_GETCHECK gives it; nullopt for a button that is no check box
// or did not answer.
std::optional<bool> CheckState(HWND window);

// One line describing the window: handle, class, text, flags and, with `askState`, the
// state of known controls (check, progress, list entries) or that the window's thread
// does not answer.
std::string Describe(HWND window, bool askState = true);
// The visible top-level windows, each followed by its descendants, indented by depth.
void DumpWindows(std::ostream& out);

}  // namespace kavrix::windriver
