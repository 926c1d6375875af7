#include "archive/LzhEncoder.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "archive/LzhFormat.h"
#include "archive/LzhSymbolWriter.h"

namespace kavrix::lzh {
namespace {

// The decoder's ring before the first byte, seen as history in front of the input:
// a match may reach back into it. Ring positions 4036..4095 are still zero and
// 0..4035 hold spaces, so reading back from the write position gives 60 zero bytes
// followed by 4036 spaces.
constexpr size_t kHistory = N;

std::vector<uint8_t> WithHistory(std::span<const uint8_t> input) {
  std::vector<uint8_t> data(kHistory + input.size());
  std::fill_n(data.begin() + (N - kRingStart), kRingStart, kRingFill);
  std::copy(input.begin(), input.end(), data.begin() + kHistory);
  return data;
}

struct Match {
  int length = 0;    // 0 for a literal
  int distance = 0;  // 1..N: the copy starts this many bytes back
};

// Hash chains over a window of N bytes; finds, for each length, the nearest match.
class MatchFinder {
 public:
  explicit MatchFinder(std::span<const uint8_t> data) : data_(data), head_(kHashSize, -1), prev_(N, -1) {}

  void Insert(size_t pos) {
    if (pos + kMinMatch > data_.size()) return;
    const uint32_t h = Hash(pos);
    prev_[pos & (N - 1)] = head_[h];
    head_[h] = static_cast<int32_t>(pos);
  }

  // Candidates with strictly increasing length and the nearest distance for each;
  // returns how many were written to `out` (at most F - kMinMatch + 1).
  int Find(size_t pos, int maxLength, int maxChain, Match* out) const {
    if (maxLength < kMinMatch || pos + kMinMatch > data_.size()) return 0;
    const uint8_t* const here = data_.data() + pos;
    int found = 0;
    int best = kMinMatch - 1;
    for (int32_t cand = head_[Hash(pos)]; cand >= 0 && maxChain-- > 0; cand = prev_[cand & (N - 1)]) {
      const size_t distance = pos - static_cast<size_t>(cand);
      if (distance > N) break;
      const uint8_t* const there = data_.data() + cand;
      if (there[best] != here[best]) continue;
      int length = 0;
      while (length < maxLength && there[length] == here[length]) ++length;
      if (length > best) {
        best = length;
        out[found++] = {length, static_cast<int>(distance)};
        if (length == maxLength) break;
      }
    }
    return found;
  }

 private:
  static constexpr uint32_t kHashBits = 15;
  static constexpr uint32_t kHashSize = 1u << kHashBits;

  uint32_t Hash(size_t pos) const {
    const uint32_t v = data_[pos] | (data_[pos + 1] << 8) | (data_[pos + 2] << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
  }

  std::span<const uint8_t> data_;
  std::vector<int32_t> head_;
  std::vector<int32_t> prev_;  // by position modulo N: the next older position with the same hash
};

struct Token {
  Match match;  // length 0: a literal
  size_t pos;   // where the token starts in the history-prefixed data
};

class Encoder {
 public:
  Encoder(std::span<const uint8_t> input, std::vector<uint8_t>& output, LzhParse parse)
      : data_(WithHistory(input)), finder_(data_), writer_(output), parse_(parse) {
    for (size_t pos = 0; pos < kHistory; ++pos) finder_.Insert(pos);
  }

  void Run() {
    size_t pos = kHistory;
    std::vector<Token> tokens;
    while (pos < data_.size()) {
      size_t end = std::min(pos + kBlockSize, data_.size());
      if (data_.size() - end < kBlockSize / 2) end = data_.size();  // no short last block
      tokens.clear();
      ParseBlock(pos, end, tokens);
      if (end == data_.size()) {
        CodeLastBlock(tokens);
      } else {
        for (const Token& token : tokens) CodeToken(token);
      }
      pos = end;
    }
    if (data_.size() == kHistory) CodeLastBlock(tokens);
    writer_.Finish();
  }

 private:
  // Code lengths are re-read from the tree for each block of this many bytes.
  static constexpr size_t kBlockSize = 1 << 14;
  // A match this long is taken without weighing the alternatives inside it.
  static constexpr int kNiceLength = F;  // a match this long is taken without weighing alternatives

  void CodeToken(const Token& token) {
    if (token.match.length == 0) {
      writer_.Literal(data_[token.pos]);
    } else {
      writer_.Match(token.match.length, token.match.distance - 1);
    }
  }

  int MaxLength(size_t pos, size_t end) const { return static_cast<int>(std::min<size_t>(F, end - pos)); }

  void ParseBlock(size_t begin, size_t end, std::vector<Token>& tokens) {
    switch (parse_) {
      case LzhParse::Greedy: ParseGreedy(begin, end, tokens, false); break;
      case LzhParse::Lazy: ParseGreedy(begin, end, tokens, true); break;
      case LzhParse::Optimal: ParseOptimal(begin, end, tokens); break;
    }
  }

  Match Longest(size_t pos, size_t end, int maxChain) const {
    Match found[F];
    const int n = finder_.Find(pos, MaxLength(pos, end), maxChain, found);
    return n == 0 ? Match{} : found[n - 1];
  }

  void ParseGreedy(size_t begin, size_t end, std::vector<Token>& tokens, bool lazy) {
    constexpr int kChain = 256;
    size_t pos = begin;
    Match match = Longest(pos, end, kChain);
    while (pos < end) {
      finder_.Insert(pos);
      Match next{};
      if (lazy && match.length != 0 && match.length < kNiceLength && pos + 1 < end) {
        next = Longest(pos + 1, end, kChain);
        if (next.length > match.length) {
          tokens.push_back({{}, pos});
          ++pos;
          match = next;
          continue;
        }
      }
      if (match.length == 0) {
        tokens.push_back({{}, pos});
        ++pos;
      } else {
        tokens.push_back({match, pos});
        for (size_t p = pos + 1; p < pos + static_cast<size_t>(match.length); ++p) finder_.Insert(p);
        pos += static_cast<size_t>(match.length);
      }
      match = pos < end ? Longest(pos, end, kChain) : Match{};
    }
  }

  // Shortest path through the block, pricing each token by the code lengths of the
  // tree as it stands at the block's start.
  void ParseOptimal(size_t begin, size_t end, std::vector<Token>& tokens) {
    constexpr int kChain = 96;
    uint8_t lengths[N_CHAR];
    writer_.CodeLengths(lengths);

    const size_t count = end - begin;
    price_.assign(count + 1, std::numeric_limits<uint32_t>::max());
    from_.assign(count + 1, Match{});
    price_[0] = 0;

    Match found[F];
    size_t skipUntil = 0;
    for (size_t i = 0; i < count; ++i) {
      const size_t pos = begin + i;
      const uint32_t here = price_[i];
      Relax(i + 1, here + lengths[data_[pos]], Match{});
      if (pos >= skipUntil) {
        const int n = finder_.Find(pos, MaxLength(pos, end), kChain, found);
        int length = kMinMatch;
        for (int m = 0; m < n; ++m) {
          const uint32_t positionBits = static_cast<uint32_t>(PositionCostBits(found[m].distance - 1));
          for (; length <= found[m].length; ++length) {
            Relax(i + static_cast<size_t>(length), here + lengths[MatchSymbol(length)] + positionBits,
                  {length, found[m].distance});
          }
        }
        if (n > 0 && found[n - 1].length >= kNiceLength) skipUntil = pos + static_cast<size_t>(found[n - 1].length);
      }
      finder_.Insert(pos);
    }

    const size_t first = tokens.size();
    for (size_t i = count; i > 0;) {
      const Match& step = from_[i];
      const size_t length = step.length == 0 ? 1 : static_cast<size_t>(step.length);
      i -= length;
      tokens.push_back({step, begin + i});
    }
    std::reverse(tokens.begin() + static_cast<std::ptrdiff_t>(first), tokens.end());
  }

  void Relax(size_t target, uint32_t price, Match step) {
    if (price < price_[target]) {
      price_[target] = price;
      from_[target] = step;
    }
  }

  // Codes the final tokens; when the stream would end ambiguously, codes them again
  // with one token near the end split differently, which moves the end to another
  // bit and leaves the tree in another state.
  void CodeLastBlock(const std::vector<Token>& tokens) {
    const SymbolWriter saved = writer_;
    for (const Token& token : tokens) CodeToken(token);
    if (!writer_.EndIsAmbiguous()) return;

    constexpr size_t kTokensToTry = 256;
    const size_t stop = tokens.size() > kTokensToTry ? tokens.size() - kTokensToTry : 0;
    for (size_t t = tokens.size(); t-- > stop;) {
      for (int variant = 0; variant < 3; ++variant) {
        std::vector<Token> alternative;
        if (!SplitToken(tokens[t], variant, alternative)) continue;
        writer_.RestoreFrom(saved);
        for (size_t k = 0; k < t; ++k) CodeToken(tokens[k]);
        for (const Token& token : alternative) CodeToken(token);
        for (size_t k = t + 1; k < tokens.size(); ++k) CodeToken(tokens[k]);
        if (!writer_.EndIsAmbiguous()) return;
      }
    }
    throw std::runtime_error("LZH encoder: no unambiguous end found for this input");
  }

  // Ways to code the same bytes as `token` with other tokens: a shorter match and a
  // literal after it, a literal and a shorter match after it, or literals only.
  static bool SplitToken(const Token& token, int variant, std::vector<Token>& out) {
    const int length = token.match.length;
    if (length == 0) return false;
    const int distance = token.match.distance;
    switch (variant) {
      case 0:
        if (length <= kMinMatch) return false;
        out = {{{length - 1, distance}, token.pos}, {{}, token.pos + static_cast<size_t>(length - 1)}};
        return true;
      case 1:
        if (length <= kMinMatch) return false;
        out = {{{}, token.pos}, {{length - 1, distance}, token.pos + 1}};
        return true;
      default:
        for (int k = 0; k < length; ++k) out.push_back({{}, token.pos + static_cast<size_t>(k)});
        return true;
    }
  }

  std::vector<uint8_t> data_;
  MatchFinder finder_;
  SymbolWriter writer_;
  LzhParse parse_;
  std::vector<uint32_t> price_;
  std::vector<Match> from_;
};

}  // namespace

void LzhEncode(std::span<const uint8_t> input, std::vector<uint8_t>& output, LzhParse parse) {
  Encoder(input, output, parse).Run();
}

std::vector<uint8_t> LzhEncode(std::span<const uint8_t> input, LzhParse parse) {
  std::vector<uint8_t> output;
  LzhEncode(input, output, parse);
  return output;
}

}  // namespace kavrix::lzh
