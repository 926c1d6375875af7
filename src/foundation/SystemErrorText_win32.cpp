#include "foundation/SystemErrorText.h"

#include <windows.h>

namespace kavrix {

std::optional<std::string> SystemErrorText(uint32_t code) {
  char* text = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<char*>(&text), 0, nullptr);
  if (length == 0) return std::nullopt;
  std::string result(text, length);
  ::LocalFree(text);
  result.erase(result.find_last_not_of("\r\n ") + 1);
  return result;
}

}  // namespace kavrix
