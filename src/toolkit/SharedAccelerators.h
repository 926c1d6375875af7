#pragma once
// An accelerator key that several controls of one window carry ("< &Back" and
// "&Browse..." on one page): each press moves the focus to the next of them in tab order,
// pressing none, as the system's dialogs do. A key that one control carries is left to
// the dialog manager, which presses that control.

#include <cstdint>

struct HWND__;

namespace kavrix {

// Handles `message` (WM_SYSCHAR, or WM_CHAR where the focused control does not type
// characters) for the top-level window `root` when its key is shared; false otherwise.
bool FocusNextOfSharedAccelerator(HWND__* root, uint32_t message, uintptr_t character);

}  // namespace kavrix
