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

char AcceleratorOf(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return caption[i + 1];
    ++i;
  }
  return 0;
}

std::optional<size_t> NextOfSharedAccelerator(const std::vector<std::string>& captionsInTabOrder,
                                              std::optional<size_t> focused, char key) {
  if (key == 0) return std::nullopt;
  std::vector<size_t> sharing;
  for (size_t i = 0; i < captionsInTabOrder.size(); ++i) {
    if (SameLetter(AcceleratorOf(captionsInTabOrder[i]), key)) sharing.push_back(i);
  }
  if (sharing.size() < 2) return std::nullopt;
  if (focused) {
    for (size_t index : sharing) {
      if (index > *focused) return index;
    }
  }
  return sharing.front();
}

}  // namespace kavrix
