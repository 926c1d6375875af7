#include "appearance/render/DitherMasks.h"

#include <array>
#include <cassert>

namespace kavrix {
namespace {

// 69 pixels padded with three 0 bits to 72.
constexpr std::array<std::string_view, 30> kMask1Rows = {
    "00000125555B7FFFF8", "00025492556DAAB7F8", "001002294AAAEFFEF8", "000251452AB75AAFE8",
    "00400829555577FBB8", "0009454555ADADBFF8", "00001094AAB6FEEEF8", "002245252AAB57BBF8",
    "00001092AAB5BAFFF8", "001284494ADAD7DF70", "00802294AAAF7D77F8", "0004884A5552D7DDF8",
    "00102525556D6D7FB8", "000100929557BBF7F8", "00042A49555ADEDEF8", "00408124AAAB6BFBF0",
    "00082A552ADDBD5FD8", "000201095566D7FF78", "0020A8A54ABABB6BF8", "00020452554B6DFFF8",
    "00084289556DB75DF8", "004014552AB6DDF7B8", "000281095555777FF8", "00102A54AAADADDDF8",
    "00020122AAD6FBF7E8", "0040A895255B56BF78", "00080524AAADBFEFF8", "00025092AAD56AFBF8",
    "0020044A555BBF5F78", "00025292AAAD6BFDF0",
};

// 14 pixels padded with two 0 bits to 16.
constexpr std::array<std::string_view, 28> kMask2Rows = {
    "00A8", "157C", "02AC", "157C", "00A8", "155C", "02AC", "057C", "00A8", "157C",
    "02AC", "057C", "00A8", "157C", "02AC", "055C", "00A8", "157C", "02AC", "057C",
    "00A8", "157C", "02AC", "057C", "00A8", "155C", "02A8", "057C",
};

int HexValue(char digit) noexcept {
  return digit <= '9' ? digit - '0' : digit - 'A' + 10;
}

}  // namespace

bool DitherMask::IsWhite(int x, int y) const noexcept {
  assert(x >= 0 && x < width && y >= 0 && y < height);
  const int nibble = HexValue(rows[static_cast<size_t>(y)][static_cast<size_t>(x / 4)]);
  return (nibble >> (3 - x % 4) & 1) != 0;
}

const DitherMask& DitherMask1() noexcept {
  static constexpr DitherMask kMask{69, 30, kMask1Rows};
  return kMask;
}

const DitherMask& DitherMask2() noexcept {
  static constexpr DitherMask kMask{14, 28, kMask2Rows};
  return kMask;
}

}  // namespace kavrix
