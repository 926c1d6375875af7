#include "archive/AdaptiveHuffmanTree.h"

#include <gtest/gtest.h>

#include <array>

#include "support/TestData.h"

namespace kavrix::lzh {
namespace {

struct TreeArrays {
  std::array<uint16_t, T + 1> freq{};
  std::array<uint16_t, T + N_CHAR> prnt{};
  std::array<uint16_t, T> son{};
  AdaptiveHuffmanTree tree{freq.data(), prnt.data(), son.data()};

  TreeArrays() { tree.Initialize(); }

  // The sibling property and the links the decoder walks: counts sorted by index,
  // each inner count the sum of its children, parents above children, every leaf
  // reachable from its symbol entry.
  void ExpectConsistent() const {
    for (int i = 0; i < R; ++i) ASSERT_LE(freq[i], freq[i + 1]) << "at " << i;
    ASSERT_EQ(freq[T], 0xFFFF);
    std::array<int, N_CHAR> leafSeen{};
    for (int node = 0; node <= R; ++node) {
      const int child = son[node];
      if (child >= T) {
        ++leafSeen[child - T];
        ASSERT_EQ(prnt[child], node);
      } else {
        ASSERT_EQ(freq[node], freq[child] + freq[child + 1]) << "at " << node;
        ASSERT_EQ(child % 2, 0);
        ASSERT_LT(child + 1, node);
        ASSERT_EQ(prnt[child], node);
        ASSERT_EQ(prnt[child + 1], node);
      }
    }
    for (int symbol = 0; symbol < N_CHAR; ++symbol) ASSERT_EQ(leafSeen[symbol], 1) << "symbol " << symbol;
  }
};

TEST(AdaptiveHuffmanTree, InitialTreePairsSymbolsInOrder) {
  TreeArrays t;
  t.ExpectConsistent();
  EXPECT_EQ(t.freq[R], N_CHAR);
  EXPECT_EQ(t.son[R], 624);
  EXPECT_EQ(t.prnt[R], 0);
  EXPECT_EQ(t.son[N_CHAR], 0);
  EXPECT_EQ(t.prnt[0 + T], 0);
  uint64_t code = 0;
  // 'A' is eight or nine bits deep in the initial tree; its code starts E6 C0's bits.
  const int length = t.tree.CodeOf('A', code);
  EXPECT_EQ(length, 9);
  EXPECT_EQ(code, 0x1CDu);
}

TEST(AdaptiveHuffmanTree, UpdatesKeepTheSiblingPropertyThroughRebuilds) {
  TreeArrays t;
  testing::Random random(7);
  int rebuilds = 0;
  for (int step = 0; step < 200000; ++step) {
    // Mostly a few symbols, so counts diverge, runs of equal counts form and break up.
    const int symbol = random.Below(4) == 0 ? static_cast<int>(random.Below(N_CHAR))
                                            : static_cast<int>(random.Below(5)) * 60;
    if (t.freq[R] == MAX_FREQ) ++rebuilds;
    t.tree.Update(symbol);
    if (step % 997 == 0 || t.freq[R] < 0x100) {
      ASSERT_NO_FATAL_FAILURE(t.ExpectConsistent()) << "after step " << step;
    }
    ASSERT_LE(t.freq[R], MAX_FREQ);
  }
  EXPECT_GE(rebuilds, 5);
  t.ExpectConsistent();
}

TEST(AdaptiveHuffmanTree, RebuildHalvesLeafCountsRoundingUp) {
  TreeArrays t;
  for (int i = 0; i < MAX_FREQ - N_CHAR; ++i) t.tree.Update(i % 3 == 0 ? 'x' : 'y');
  ASSERT_EQ(t.freq[R], MAX_FREQ);
  const uint16_t x = t.freq[t.tree.LeafOf('x')];
  const uint16_t y = t.freq[t.tree.LeafOf('y')];
  const uint16_t z = t.freq[t.tree.LeafOf('z')];
  t.tree.Update('z');  // rebuilds before counting
  t.ExpectConsistent();
  EXPECT_EQ(t.freq[t.tree.LeafOf('x')], (x + 1) / 2);
  EXPECT_EQ(t.freq[t.tree.LeafOf('y')], (y + 1) / 2);
  EXPECT_EQ(t.freq[t.tree.LeafOf('z')], (z + 1) / 2 + 1);
  EXPECT_LT(t.freq[R], MAX_FREQ / 2 + N_CHAR);
}

TEST(AdaptiveHuffmanTree, CodeLengthsMatchCodes) {
  TreeArrays t;
  testing::Random random(3);
  for (int i = 0; i < 5000; ++i) t.tree.Update(static_cast<int>(random.Below(40)));
  uint8_t lengths[N_CHAR];
  t.tree.CodeLengths(lengths);
  for (int symbol = 0; symbol < N_CHAR; ++symbol) {
    uint64_t code = 0;
    EXPECT_EQ(lengths[symbol], t.tree.CodeOf(symbol, code)) << "symbol " << symbol;
    // Walking the code from the root ends at the symbol's leaf.
    int node = t.tree.Root();
    for (int bit = lengths[symbol] - 1; bit >= 0 && node < T; --bit) {
      node = t.tree.Child(node, static_cast<int>((code >> bit) & 1));
    }
    EXPECT_EQ(node, symbol + T);
  }
}

}  // namespace
}  // namespace kavrix::lzh
