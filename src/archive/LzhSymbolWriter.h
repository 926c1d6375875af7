#pragma once
// The bit side of the encoding direction: codes literals and matches with the
// adaptive tree and packs the bits MSB first. A value type, so the whole coding state
// can be saved and restored when the end of a stream has to be coded again.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/AdaptiveHuffmanTree.h"
#include "archive/LzhFormat.h"

namespace kavrix::lzh {

class SymbolWriter {
 public:
  // Appends to `output`, which must outlive the writer and its copies.
  explicit SymbolWriter(std::vector<uint8_t>& output);

  void Literal(uint8_t value) { CodeSymbol(value); }
  // `length` 3..60; `position` 0..4095, the copy starting position + 1 bytes back.
  void Match(int length, int position);

  // True when the terminator would be a whole byte while the root's 1-side child is
  // a leaf: the decoder would read that 1 bit as one more symbol.
  bool EndIsAmbiguous() const noexcept;

  // Writes the terminating 1 bit and fills the byte with zeros.
  void Finish();

  // Restores `saved`, a copy taken earlier, truncating the output to its length then.
  void RestoreFrom(const SymbolWriter& saved);

  void CodeLengths(uint8_t (&lengths)[N_CHAR]) const noexcept;

 private:
  AdaptiveHuffmanTree Tree() noexcept { return {freq_.data(), prnt_.data(), son_.data()}; }
  void CodeSymbol(int symbol);
  void PutBits(uint64_t bits, int count);

  std::array<uint16_t, T + 1> freq_{};
  std::array<uint16_t, T + N_CHAR> prnt_{};
  std::array<uint16_t, T> son_{};
  std::vector<uint8_t>* output_;
  size_t outputSize_;
  uint64_t pending_ = 0;  // the low pendingBits_ bits are not yet written
  int pendingBits_ = 0;
};

}  // namespace kavrix::lzh
