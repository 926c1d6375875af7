#pragma once
// Modal message boxes raised by non-visual components (a failed payload load, a
// registry key that could not be made). The windowing toolkit installs the real box;
// tests install a recorder so nothing blocks.

#include <functional>
#include <string>

namespace kavrix {

// Shows `text` in a modal error box with a single OK button.
using TErrorBoxHook = std::function<void(const std::string& text)>;

// The hook in force; by default the text goes to the standard error stream.
TErrorBoxHook& ErrorBoxHook();

void ShowErrorBox(const std::string& text);

}  // namespace kavrix
