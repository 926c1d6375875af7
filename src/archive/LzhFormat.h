#pragma once
// The LZHUF packed-stream format, defined once for the decoder and the encoder.
//
// A stream is the MSB-first bit sequence of adaptive-Huffman codes of symbols
// (0..255 literal bytes, 256..313 match lengths 3..60), each match symbol followed by
// its position: the upper 6 bits by the fixed prefix code below, the lower 6 bits
// plain. After the last symbol come one 1 bit and 0..7 zero bits to fill the byte.
// Both sides start from the same tree and from a ring of 4036 spaces.

#include <array>
#include <cstdint>

namespace kavrix::lzh {

inline constexpr int N = 4096;                  // ring buffer size; positions are 12 bits
inline constexpr int F = 60;                    // longest match
inline constexpr int THRESHOLD = 2;             // matches are longer than this
inline constexpr int N_CHAR = 256 - THRESHOLD + F;  // 314 symbols
inline constexpr int T = N_CHAR * 2 - 1;        // 627 tree nodes
inline constexpr int R = T - 1;                 // root
inline constexpr uint16_t MAX_FREQ = 0x8000;    // root count that triggers a rebuild
inline constexpr int kRingStart = N - F;        // 4036: first write position; bytes below are spaces
inline constexpr uint8_t kRingFill = 0x20;
inline constexpr int kMinMatch = THRESHOLD + 1;  // 3

inline constexpr int MatchSymbol(int length) { return length + 255 - THRESHOLD; }
inline constexpr int MatchLength(int symbol) { return symbol - 255 + THRESHOLD; }

// Upper six bits of a position, and the length of its prefix code, from the first
// eight bits of the code.
struct PositionPrefix {
  uint8_t upper;
  uint8_t codeLength;
};

constexpr PositionPrefix PositionPrefixOf(int firstByte) {
  if (firstByte < 32) return {0, 3};
  if (firstByte < 80) return {static_cast<uint8_t>(1 + (firstByte - 32) / 16), 4};
  if (firstByte < 144) return {static_cast<uint8_t>(4 + (firstByte - 80) / 8), 5};
  if (firstByte < 192) return {static_cast<uint8_t>(12 + (firstByte - 144) / 4), 6};
  if (firstByte < 240) return {static_cast<uint8_t>(24 + (firstByte - 192) / 2), 7};
  return {static_cast<uint8_t>(48 + (firstByte - 240)), 8};
}

inline constexpr std::array<PositionPrefix, 256> kPositionPrefix = [] {
  std::array<PositionPrefix, 256> table{};
  for (int b = 0; b < 256; ++b) table[b] = PositionPrefixOf(b);
  return table;
}();

// The encoder's code for upper bits u: the first codeLength bits of the smallest
// first byte that decodes to u.
struct PositionCode {
  uint8_t bits;  // right-aligned
  uint8_t length;
};

inline constexpr std::array<PositionCode, 64> kPositionCode = [] {
  std::array<PositionCode, 64> table{};
  for (int b = 255; b >= 0; --b) {
    const PositionPrefix prefix = kPositionPrefix[b];
    table[prefix.upper] = {static_cast<uint8_t>(b >> (8 - prefix.codeLength)), prefix.codeLength};
  }
  return table;
}();

// Bits a match position costs: its prefix code plus the six plain low bits.
constexpr int PositionCostBits(int position) { return kPositionCode[position >> 6].length + 6; }

static_assert(N_CHAR == 314 && T == 627 && R == 626);
static_assert(kPositionCode[0].length == 3 && kPositionCode[63].length == 8);

}  // namespace kavrix::lzh
