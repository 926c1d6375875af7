#include "support/TestData.h"

#include <array>

namespace kavrix::testing {

std::vector<uint8_t> RandomBytes(size_t size, uint64_t seed) {
  Random random(seed);
  std::vector<uint8_t> bytes(size);
  for (auto& b : bytes) b = static_cast<uint8_t>(random.Next());
  return bytes;
}

std::vector<uint8_t> TextLike(size_t size, uint64_t seed) {
  static constexpr std::array<const char*, 16> kWords = {
      "setup", "Quorvel", "the", "install", "directory", "of", "a", "file", "archive",
      "and", "program", "shortcut", "registry", "to", "is", "window"};
  Random random(seed);
  std::vector<uint8_t> bytes;
  bytes.reserve(size + 16);
  while (bytes.size() < size) {
    const std::string word = kWords[random.Below(kWords.size())];
    bytes.insert(bytes.end(), word.begin(), word.end());
    const uint32_t gap = random.Below(20);
    bytes.push_back(gap == 0 ? '\n' : gap == 1 ? ',' : ' ');
    if (random.Below(50) == 0) bytes.push_back(static_cast<uint8_t>(random.Next()));
  }
  bytes.resize(size);
  return bytes;
}

std::vector<uint8_t> Skewed(size_t size, uint64_t seed) {
  Random random(seed);
  std::vector<uint8_t> bytes(size, 0);
  for (auto& b : bytes) {
    if (random.Below(97) == 0) b = static_cast<uint8_t>(random.Next());
  }
  return bytes;
}

}  // namespace kavrix::testing
