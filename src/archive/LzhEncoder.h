#pragma once
// The encoding direction of LZHUF: writes packed streams that TCustomLZHCompressor
// decodes back exactly, from the same initial tree and ring contents.

#include <cstdint>
#include <span>
#include <vector>

namespace kavrix::lzh {

// How the encoder chooses between literals and matches.
enum class LzhParse {
  Greedy,   // the longest match at each position, as the classic encoder does
  Lazy,     // defers a match by one byte when the next position has a longer one
  Optimal,  // cheapest path by the current code lengths, block by block
};

// Encodes `input` as one packed stream and appends it to `output`. The stream never
// ends in a way that makes the decoder emit an extra symbol: when it would, the tail
// is parsed again.
void LzhEncode(std::span<const uint8_t> input, std::vector<uint8_t>& output,
               LzhParse parse = LzhParse::Optimal);

std::vector<uint8_t> LzhEncode(std::span<const uint8_t> input, LzhParse parse = LzhParse::Optimal);

}  // namespace kavrix::lzh
