#pragma once
// The adaptive Huffman code of LZHUF streams, shared by the decoder and the encoder so
// both sides evolve the same tree.
//
// The tree works on three arrays it does not own (the codec component owns them):
// freq[T + 1] with a 0xFFFF sentinel at T, prnt[T + N_CHAR] whose entries from T on
// give each symbol's leaf, son[T] where a value of T or more is a leaf (symbol + T)
// and anything else the index of a left child whose sibling is the next index.
// Counts are kept non-decreasing by index (the sibling property), which the update
// relies on.

#include <cstdint>

#include "archive/LzhFormat.h"

namespace kavrix::lzh {

class AdaptiveHuffmanTree {
 public:
  AdaptiveHuffmanTree(uint16_t* freq, uint16_t* prnt, uint16_t* son) noexcept
      : freq_(freq), prnt_(prnt), son_(son) {}

  // Every symbol with count 1, paired up in index order; the root's parent is 0.
  void Initialize() noexcept;

  // Counts one more occurrence of `symbol`, rebuilding first when the root's count
  // has reached MAX_FREQ, and restores the sibling property by exchanging subtrees.
  // Inline: it runs once per symbol on both sides of the codec.
  void Update(int symbol) noexcept {
    if (freq_[R] == MAX_FREQ) Rebuild();
    int c = prnt_[symbol + T];
    do {
      const unsigned k = ++freq_[c];
      if (k > freq_[c + 1]) c = Promote(c, k);
      c = prnt_[c];
    } while (c != 0);
  }

  // Halves every leaf count (rounding up) and builds the tree anew from the leaves.
  void Rebuild() noexcept;

  int Root() const noexcept { return son_[R]; }
  int Child(int node, int bit) const noexcept { return son_[node + bit]; }
  int LeafOf(int symbol) const noexcept { return prnt_[symbol + T]; }
  int Parent(int node) const noexcept { return prnt_[node]; }
  uint16_t Count(int node) const noexcept { return freq_[node]; }

  // Writes the code of `symbol` right-aligned into `code` and returns its length.
  int CodeOf(int symbol, uint64_t& code) const noexcept;

  // Code length of every symbol, for the encoder's price estimates.
  void CodeLengths(uint8_t (&lengths)[N_CHAR]) const noexcept;

 private:
  // `node`'s count has just become `count`, more than the next node's: moves it past
  // the run of smaller counts by exchanging it with the run's last node, and returns
  // the node's new index.
  int Promote(int node, unsigned count) noexcept;

  // The last index from `node` on whose count is below `count`; freq_[node] is.
  int LastIndexBelow(int node, unsigned count) const noexcept;

  uint16_t* freq_;
  uint16_t* prnt_;
  uint16_t* son_;
};

}  // namespace kavrix::lzh
