#include "archive/LzhSymbolWriter.h"

#include <cassert>

namespace kavrix::lzh {

SymbolWriter::SymbolWriter(std::vector<uint8_t>& output) : output_(&output), outputSize_(output.size()) {
  Tree().Initialize();
}

void SymbolWriter::Match(int length, int position) {
  assert(length >= kMinMatch && length <= F && position >= 0 && position < N);
  CodeSymbol(MatchSymbol(length));
  const PositionCode prefix = kPositionCode[position >> 6];
  PutBits(prefix.bits, prefix.length);
  PutBits(static_cast<uint64_t>(position & 0x3F), 6);
}

void SymbolWriter::CodeSymbol(int symbol) {
  uint64_t code = 0;
  const int length = Tree().CodeOf(symbol, code);
  PutBits(code, length);
  Tree().Update(symbol);
}

bool SymbolWriter::EndIsAmbiguous() const noexcept {
  if (pendingBits_ != 0) return false;
  const int oneSide = son_[R] + 1;
  return son_[oneSide] >= T;
}

void SymbolWriter::Finish() {
  PutBits(1, 1);
  if (pendingBits_ != 0) PutBits(0, 8 - pendingBits_);
}

void SymbolWriter::RestoreFrom(const SymbolWriter& saved) {
  assert(saved.output_ == output_);
  *this = saved;
  output_->resize(outputSize_);
}

void SymbolWriter::CodeLengths(uint8_t (&lengths)[N_CHAR]) const noexcept {
  // The tree only reads through these pointers here.
  AdaptiveHuffmanTree(const_cast<uint16_t*>(freq_.data()), const_cast<uint16_t*>(prnt_.data()),
                      const_cast<uint16_t*>(son_.data()))
      .CodeLengths(lengths);
}

void SymbolWriter::PutBits(uint64_t bits, int count) {
  pending_ = (pending_ << count) | bits;
  pendingBits_ += count;
  while (pendingBits_ >= 8) {
    pendingBits_ -= 8;
    output_->push_back(static_cast<uint8_t>(pending_ >> pendingBits_));
    ++outputSize_;
  }
  pending_ &= (uint64_t{1} << pendingBits_) - 1;
}

}  // namespace kavrix::lzh

