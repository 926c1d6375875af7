#pragma once
// The two monochrome masks of the dithered caption gradient, defined once here for the
// portable fill and for whatever builds the 1-bit bitmap resources from them. Rows are
// top to bottom, hexadecimal, leftmost pixel in the most significant bit; a 1 bit is
// white (the new colour shows), a 0 bit black (the previous colour shows).

#include <span>
#include <string_view>

namespace kavrix {

struct DitherMask {
  int width;
  int height;
  std::span<const std::string_view> rows;

  bool IsWhite(int x, int y) const noexcept;
};

// GF_DITHGRADMASK1, 69 × 30, for gentle gradients.
const DitherMask& DitherMask1() noexcept;
// GF_DITHGRADMASK2, 14 × 28, for steep ones.
const DitherMask& DitherMask2() noexcept;

}  // namespace kavrix
