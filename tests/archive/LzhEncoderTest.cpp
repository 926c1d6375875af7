#include "archive/LzhEncoder.h"

#include <gtest/gtest.h>

#include <bit>
#include <set>

#include "support/LzhTestCodec.h"
#include "support/TestData.h"

namespace kavrix::lzh {
namespace {

using V = std::vector<uint8_t>;

constexpr LzhParse kAllParses[] = {LzhParse::Greedy, LzhParse::Lazy, LzhParse::Optimal};

void ExpectRoundTrip(const V& input, LzhParse parse) {
  const V packed = LzhEncode(input, parse);
  const V decoded = testing::Decode(packed).output;
  ASSERT_EQ(decoded.size(), input.size()) << "parse " << static_cast<int>(parse);
  ASSERT_TRUE(decoded == input) << "parse " << static_cast<int>(parse);
}

TEST(LzhEncoder, EmptyInputIsTheSingleTerminatorByte) {
  for (LzhParse parse : kAllParses) EXPECT_EQ(LzhEncode(V{}, parse), V{0x80});
}

TEST(LzhEncoder, RoundTripsEndingOnEveryBitOffset) {
  std::set<int> fillBits;
  for (size_t length = 1; length <= 400; ++length) {
    for (const V& input : {testing::TextLike(length, length), testing::RandomBytes(length, length),
                           testing::Skewed(length, length)}) {
      for (LzhParse parse : kAllParses) {
        const V packed = LzhEncode(input, parse);
        ASSERT_EQ(testing::Decode(packed).output, input) << "length " << length;
        const uint8_t last = packed.back();
        ASSERT_NE(last, 0) << "the terminator bit is in the last byte";
        fillBits.insert(std::countr_zero(last));
      }
    }
  }
  EXPECT_EQ(fillBits.size(), 8u) << "the terminator landed on every bit of the last byte";
}

TEST(LzhEncoder, RoundTripsLargeAndLopsidedInputs) {
  // Long enough for several tree rebuilds; zero runs make one match symbol dominate,
  // which is when an ambiguous end can arise.
  for (LzhParse parse : kAllParses) {
    ExpectRoundTrip(testing::TextLike(300000, 11), parse);
    ExpectRoundTrip(testing::RandomBytes(70000, 12), parse);
    ExpectRoundTrip(testing::Skewed(200000, 13), parse);
    ExpectRoundTrip(V(100000, 0), parse);
    ExpectRoundTrip(V(5000, ' '), parse);
  }
}

TEST(LzhEncoder, NeverEndsAmbiguouslyOnLopsidedTails) {
  // Long runs make the length-60 symbol hold half of all counts; of these lengths,
  // every other one would end on a whole terminator byte if coded plainly.
  for (size_t length = 22320; length < 22340; ++length) {
    V input(length, 'x');
    input[length / 2] = 'y';
    for (LzhParse parse : kAllParses) {
      ASSERT_EQ(testing::Decode(LzhEncode(input, parse)).output, input) << "length " << length;
    }
  }
}

TEST(LzhEncoder, RegressionLongRunWouldEndOnAnAmbiguousTerminator) {
  // Coded plainly, this run ends on a byte boundary with the root's 1-side child a
  // leaf; the tail must be coded another way.
  const V input(18945, 'x');
  for (LzhParse parse : kAllParses) ExpectRoundTrip(input, parse);
}

TEST(LzhEncoder, IsDeterministic) {
  const V input = testing::TextLike(50000, 21);
  for (LzhParse parse : kAllParses) EXPECT_EQ(LzhEncode(input, parse), LzhEncode(input, parse));
}

TEST(LzhEncoder, BetterParsesCompressBetter) {
  const V input = testing::TextLike(200000, 31);
  const size_t greedy = LzhEncode(input, LzhParse::Greedy).size();
  const size_t lazy = LzhEncode(input, LzhParse::Lazy).size();
  const size_t optimal = LzhEncode(input, LzhParse::Optimal).size();
  EXPECT_LT(lazy, greedy);
  EXPECT_LT(optimal, lazy);
  EXPECT_LT(optimal, input.size() / 3);
}

TEST(LzhEncoder, AppendsToExistingOutput) {
  V output = {1, 2, 3};
  LzhEncode(testing::Bytes("A"), output);
  EXPECT_EQ(output, (V{1, 2, 3, 0xE6, 0xC0}));
}

}  // namespace
}  // namespace kavrix::lzh
