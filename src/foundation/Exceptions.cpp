#include "foundation/Exceptions.h"

#include <cstring>

namespace kavrix {

std::string Format(const char* pattern, const std::string& argument) {
  std::string result = pattern;
  const auto at = result.find("%s");
  if (at != std::string::npos) result.replace(at, 2, argument);
  return result;
}

}  // namespace kavrix
