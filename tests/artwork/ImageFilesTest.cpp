#include "artwork/ImageFiles.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "BmpReader.h"
#include "artwork/StrokeFont.h"

namespace kavrix::artwork {
namespace {

// Rows are stored bottom-up and a 4-bit row packs the left pixel in the high nibble;
// both are easy to get backwards and only show as a mirrored or scrambled picture.
TEST(ImageFilesTest, FourBitRowsAreBottomUpLeftPixelHigh) {
  PixelBuffer image(3, 2, clBlack);
  image.SetPixel(0, 0, clRed);
  image.SetPixel(1, 0, clWhite);
  image.SetPixel(2, 1, clBlue);
  const Bytes bmp = EncodeIndexedBmp(image, VgaPalette(), 4);
  const size_t pixels = 14 + 40 + 16 * 4;
  ASSERT_EQ(bmp.size(), pixels + 2 * 4);
  EXPECT_EQ(bmp[pixels], 0x00);       // bottom row: black, black
  EXPECT_EQ(bmp[pixels + 1], 0xC0);   // blue (index 12), padding nibble
  EXPECT_EQ(bmp[pixels + 4], 0x9F);   // top row: red (9), white (15)
  EXPECT_EQ(bmp[pixels + 5], 0x00);
  EXPECT_EQ(testing::ReadBmp(bmp).ColorAt(2, 1), 0x0000FFu);
}

TEST(ImageFilesTest, TrueColorRowsArePaddedToFourBytes) {
  PixelBuffer image(5, 1, MakeColor(1, 2, 3));
  const Bytes bmp = EncodeTrueColorBmp(image);
  ASSERT_EQ(bmp.size(), 14u + 40u + 16u);
  EXPECT_EQ(bmp[54], 3);  // blue first
  EXPECT_EQ(bmp[56], 1);
  EXPECT_EQ(testing::ReadBmp(bmp).ColorAt(4, 0), 0x010203u);
}

TEST(ImageFilesTest, RefusesColoursTheImageCannotHold) {
  PixelBuffer offPalette(2, 2, MakeColor(1, 2, 3));
  EXPECT_THROW(EncodeIndexedBmp(offPalette, VgaPalette(), 4), std::invalid_argument);

  PixelBuffer manyColors(300, 1);
  for (int x = 0; x < 300; ++x) manyColors.SetPixel(x, 0, MakeColor(x % 256, x / 256, 0));
  EXPECT_THROW(PaletteOf(manyColors), std::length_error);
}

TEST(ImageFilesTest, PaletteStartsWithBlackAndListsEachColourOnce) {
  PixelBuffer image(3, 1, clWhite);
  image.SetPixel(1, 0, clRed);
  EXPECT_EQ(PaletteOf(image), (Palette{clBlack, clRed, clWhite}));
}

TEST(StrokeFontTest, RejectsLettersItLacks) {
  EXPECT_THROW(TextStrokes("Quorvel #", {0, 0}, {}), std::invalid_argument);
  EXPECT_GT(TextWidth("Quorvel 2.0", {}), TextWidth("Quorvel", {}));
}

}  // namespace
}  // namespace kavrix::artwork
