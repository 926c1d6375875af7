#include "toolkit/layout/Mnemonics.h"

#include <cctype>

namespace kavrix {
namespace {

bool SameLetter(char a, char b) noexcept {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

std::string StripAccelerators(const std::string& caption) {
  std::string result;
  result.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;  // "&&" keeps one, "&x" keeps x
    result += caption[i];
  }
  return result;
}

char AcceleratorOf(std::string_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return caption[i + 1];
    ++i;
  }
  return 0;
}

std::optional<size_t> NextOfSharedAccelerator(std::span<const char> acceleratorsInTabOrder,
                                              std::optional<size_t> focused, char key) {
  if (key == 0) return std::nullopt;
  std::optional<size_t> first;
  std::optional<size_t> afterFocus;
  size_t carriers = 0;
  for (size_t i = 0; i < acceleratorsInTabOrder.size(); ++i) {
    if (!SameLetter(acceleratorsInTabOrder[i], key)) continue;
    ++carriers;
    if (!first) first = i;
    if (!afterFocus && focused && i > *focused) afterFocus = i;
  }
  if (carriers < 2) return std::nullopt;
  return afterFocus ? afterFocus : first;
}

}  // namespace kavrix
