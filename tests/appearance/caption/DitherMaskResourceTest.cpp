#include <gtest/gtest.h>

#include "appearance/render/DitherMaskBitmap.h"
#include "appearance/caption/DitherMaskResources.h"

namespace kavrix {
namespace {

void ExpectSameMask(const DitherMask& actual, const DitherMask& expected) {
  ASSERT_EQ(actual.width, expected.width);
  ASSERT_EQ(actual.height, expected.height);
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      ASSERT_EQ(actual.IsWhite(x, y), expected.IsWhite(x, y)) << "at " << x << "," << y;
    }
  }
}

TEST(DitherMaskResourceTest, TheProgramCarriesBothMasksExactlyAsTabulated) {
  for (const DitherMask* portable : {&DitherMask1(), &DitherMask2()}) {
    const DitherMask* carried = ResourceDitherMask(*portable);
    ASSERT_NE(carried, nullptr) << "mask " << portable->width << " wide missing from the program's resources";
    ExpectSameMask(*carried, *portable);
  }
}

TEST(DitherMaskResourceTest, BitmapDataRoundTripsAndDamagedDataIsRefused) {
  std::vector<uint8_t> dib = DitherMaskDib(DitherMask1());
  const auto decoded = DecodedDitherMask::FromDib(dib);
  ASSERT_NE(decoded, nullptr);
  ExpectSameMask(decoded->Mask(), DitherMask1());

  // A palette of white then black turns every pixel over.
  std::swap_ranges(dib.begin() + 40, dib.begin() + 44, dib.begin() + 44);
  const auto inverted = DecodedDitherMask::FromDib(dib);
  ASSERT_NE(inverted, nullptr);
  EXPECT_EQ(inverted->Mask().IsWhite(0, 0), !DitherMask1().IsWhite(0, 0));

  dib.pop_back();
  EXPECT_EQ(DecodedDitherMask::FromDib(dib), nullptr) << "cut short";
  std::vector<uint8_t> deep = DitherMaskDib(DitherMask2());
  deep[14] = 8;  // 8 bits per pixel
  EXPECT_EQ(DecodedDitherMask::FromDib(deep), nullptr);
  EXPECT_EQ(DecodedDitherMask::FromDib({}), nullptr);
}

}  // namespace
}  // namespace kavrix
