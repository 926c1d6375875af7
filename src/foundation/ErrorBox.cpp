#include "foundation/ErrorBox.h"

#include <utility>

namespace kavrix {
namespace {

TErrorBoxHook& CurrentHook() {
  static TErrorBoxHook hook;
  return hook;
}

}  // namespace

TErrorBoxHook SetErrorBoxHook(TErrorBoxHook hook) { return std::exchange(CurrentHook(), std::move(hook)); }

void ShowErrorBox(const std::string& text, const std::string& caption) {
  if (const TErrorBoxHook& hook = CurrentHook()) {
    hook(text, caption);
  } else {
    ShowPlatformErrorBox(text, caption);
  }
}

}  // namespace kavrix
