#include <cstdio>

#include "foundation/ErrorBox.h"

namespace kavrix {

// The tools have no windows: the box becomes a line on the standard error stream.
void ShowPlatformErrorBox(const std::string& text, const std::string& caption) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace kavrix
