#include <windows.h>

#include "foundation/ErrorBox.h"

namespace kavrix {

void ShowPlatformErrorBox(const std::string& text, const std::string& caption) {
  ::MessageBoxA(::GetActiveWindow(), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace kavrix
