#pragma once
// The modal error box that components show instead of raising (a payload that could
// not be read, a registry key whose parent is missing). It goes through one
// replaceable hook so that unattended runs and tests take the text instead of
// blocking on a window.

#include <functional>
#include <string>

namespace kavrix {

using TErrorBoxHook = std::function<void(const std::string& text, const std::string& caption)>;

// Installs `hook` for the whole process and returns the one it replaces. An empty hook
// restores the platform's box: on Windows the system message box (error icon, single
// OK button, modal to the active window), elsewhere a line on the standard error stream.
TErrorBoxHook SetErrorBoxHook(TErrorBoxHook hook);

// Shows the box and returns when it has been closed.
void ShowErrorBox(const std::string& text, const std::string& caption);

// The platform's box, used when no hook is installed.
void ShowPlatformErrorBox(const std::string& text, const std::string& caption);

}  // namespace kavrix
