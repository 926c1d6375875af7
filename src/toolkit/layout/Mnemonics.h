#pragma once
// The keyboard's shortcuts written into captions: "&Next >" is reached by Alt+N and shows
// "Next >" with the N underlined; "&&" stands for a plain "&". Portable: the caller reads
// the captions and moves the focus.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kavrix {

// `caption` without its accelerator marks: "&&" becomes "&", an "&" before any other
// character is dropped, a trailing "&" is kept.
std::string StripAccelerators(const std::string& caption);

// The accelerator character of `caption` (the one after a single "&"), or 0.
char AcceleratorOf(std::string_view caption);

// Where `key` leads among controls that share it as their accelerator, given their
// accelerators in tab order (0 for none) and the position of the focused one (or none).
// Each press moves to the next of them after the focus, round to the first, and nothing
// is pressed, so the user can reach every one of them. Empty when fewer than two carry
// `key`: a key of one control presses that control.
std::optional<size_t> NextOfSharedAccelerator(std::span<const char> acceleratorsInTabOrder,
                                              std::optional<size_t> focused, char key);

}  // namespace kavrix
