#include "foundation/MessageHooks.h"

#include <cstdio>

namespace kavrix {

TErrorBoxHook& ErrorBoxHook() {
  static TErrorBoxHook hook = [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); };
  return hook;
}

void ShowErrorBox(const std::string& text) {
  if (ErrorBoxHook()) ErrorBoxHook()(text);
}

}  // namespace kavrix
