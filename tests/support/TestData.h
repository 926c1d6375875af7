#pragma once
// Deterministic inputs shared by the tests: text-like, binary-like and skewed data
// whose trees become lopsided.

#include <cstdint>
#include <string>
#include <vector>

namespace kavrix::testing {

// A small xorshift generator: the same sequence on every platform and compiler.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 32);
  }
  uint32_t Below(uint32_t bound) { return Next() % bound; }

 private:
  uint64_t state_;
};

std::vector<uint8_t> RandomBytes(size_t size, uint64_t seed);
// Words from a small vocabulary with punctuation and line breaks: matches of all lengths.
std::vector<uint8_t> TextLike(size_t size, uint64_t seed);
// Mostly one byte value with rare others: one symbol comes to dominate the tree.
std::vector<uint8_t> Skewed(size_t size, uint64_t seed);

inline std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace kavrix::testing
