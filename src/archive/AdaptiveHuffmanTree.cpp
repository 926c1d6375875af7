#include "archive/AdaptiveHuffmanTree.h"

#include <cassert>
#include <cstring>

namespace kavrix::lzh {

void AdaptiveHuffmanTree::Initialize() noexcept {
  for (int i = 0; i < N_CHAR; ++i) {
    freq_[i] = 1;
    son_[i] = static_cast<uint16_t>(i + T);
    prnt_[i + T] = static_cast<uint16_t>(i);
  }
  for (int i = 0, j = N_CHAR; j <= R; i += 2, ++j) {
    freq_[j] = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
    son_[j] = static_cast<uint16_t>(i);
    prnt_[i] = prnt_[i + 1] = static_cast<uint16_t>(j);
  }
  freq_[T] = 0xFFFF;
  prnt_[R] = 0;
}

int AdaptiveHuffmanTree::LastIndexBelow(int node, unsigned count) const noexcept {
  // Counts after `node` are sorted and end in the 0xFFFF sentinel, so a short scan
  // followed by a galloping binary search finds the end of the run of counts below
  // `count`; runs of equal counts are long while many symbols share a count (early in
  // a stream, after a rebuild).
  int low = node;  // freq_[low] < count is known
  for (int step = 0; step < 4; ++step) {
    if (freq_[low + 1] >= count) return low;
    ++low;
  }
  int stride = 4;
  int high = low + stride;
  while (high < T && freq_[high] < count) {
    low = high;
    stride *= 2;
    high = low + stride;
  }
  if (high > T) high = T;  // freq_[T] is the sentinel, never below count
  while (high - low > 1) {
    const int mid = (low + high) / 2;
    if (freq_[mid] < count) low = mid; else high = mid;
  }
  return low;
}

int AdaptiveHuffmanTree::Promote(int c, unsigned k) noexcept {
  const int l = freq_[c + 2] >= k ? c + 1 : LastIndexBelow(c + 1, k);
  freq_[c] = freq_[l];
  freq_[l] = static_cast<uint16_t>(k);

  const int i = son_[c];
  prnt_[i] = static_cast<uint16_t>(l);
  if (i < T) prnt_[i + 1] = static_cast<uint16_t>(l);

  const int j = son_[l];
  son_[l] = static_cast<uint16_t>(i);
  prnt_[j] = static_cast<uint16_t>(c);
  if (j < T) prnt_[j + 1] = static_cast<uint16_t>(c);
  son_[c] = static_cast<uint16_t>(j);
  return l;
}

void AdaptiveHuffmanTree::Rebuild() noexcept {
  int j = 0;
  for (int i = 0; i < T; ++i) {
    if (son_[i] >= T) {
      freq_[j] = static_cast<uint16_t>((freq_[i] + 1) / 2);
      son_[j] = son_[i];
      ++j;
    }
  }
  for (int i = 0, node = N_CHAR; node < T; i += 2, ++node) {
    const unsigned f = freq_[i] + freq_[i + 1];
    freq_[node] = static_cast<uint16_t>(f);
    int k = node - 1;
    while (f < freq_[k]) --k;
    ++k;
    std::memmove(&freq_[k + 1], &freq_[k], sizeof(uint16_t) * static_cast<size_t>(node - k));
    std::memmove(&son_[k + 1], &son_[k], sizeof(uint16_t) * static_cast<size_t>(node - k));
    freq_[k] = static_cast<uint16_t>(f);
    son_[k] = static_cast<uint16_t>(i);
  }
  for (int i = 0; i < T; ++i) {
    const int k = son_[i];
    prnt_[k] = static_cast<uint16_t>(i);
    if (k < T) prnt_[k + 1] = static_cast<uint16_t>(i);
  }
}

int AdaptiveHuffmanTree::CodeOf(int symbol, uint64_t& code) const noexcept {
  code = 0;
  int length = 0;
  // Left children sit at even indices, so a node's parity is the bit leading to it.
  for (int node = prnt_[symbol + T]; node != R; node = prnt_[node]) {
    code |= static_cast<uint64_t>(node & 1) << length;
    ++length;
  }
  assert(length < 64);
  return length;
}

void AdaptiveHuffmanTree::CodeLengths(uint8_t (&lengths)[N_CHAR]) const noexcept {
  // Depths from the root down: parents have higher indices than their children.
  uint8_t depth[T];
  depth[R] = 0;
  for (int node = R; node >= 0; --node) {
    const int child = son_[node];
    if (child >= T) {
      lengths[child - T] = depth[node];
    } else {
      depth[child] = depth[child + 1] = static_cast<uint8_t>(depth[node] + 1);
    }
  }
}

}  // namespace kavrix::lzh
