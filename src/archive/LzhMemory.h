#pragma once
// Decoding a packed stream held in memory, through the codec component and its
// events, as the tools, tests and benchmarks need it.

#include <cstdint>
#include <span>
#include <vector>

namespace kavrix::lzh {

std::vector<uint8_t> LzhDecodeBuffer(std::span<const uint8_t> packed);

}  // namespace kavrix::lzh
