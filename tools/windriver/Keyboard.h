#pragma once
// Keys as a user presses them: chords such as "shift+tab" or "alt+n" become real
// keyboard input (SendInput), which the system gives the foreground window and which,
// unlike posted key messages, also moves the keyboard state that Shift+Tab and the
// mnemonics are read from.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kavrix::windriver {

// The key presses of a chord name: modifiers "shift+", "ctrl+", "alt+" before one of
// enter, escape, tab, space, up, down, left, right, home, end, f1..f12, a letter or a
// digit. nullopt for a name that is none of these.
std::optional<std::vector<INPUT>> ChordInput(const std::string& chord);
// Each character of `text` as a key press of its own (Unicode input).
std::vector<INPUT> TextInput(const std::string& text);
// Sends the input; false when the system took less than all of it.
bool SendKeyboardInput(std::vector<INPUT> input);

}  // namespace kavrix::windriver
