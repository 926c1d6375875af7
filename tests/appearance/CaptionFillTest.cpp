#include "appearance/render/CaptionFill.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace kavrix {
namespace {

constexpr TColor kActiveCaption = 0x6A240A;  // a typical resolved active-caption colour

CaptionFill Fill(TColor start, TColor stop, const std::vector<TColor>& table, bool dither) {
  return {{start, stop}, table, dither, false};
}

TEST(CaptionFillTest, ColourTablesRunFromStartToStopWithTiesToEven) {
  const auto tables = BuildColorTables({clBlack, 0x808080}, {clBlack, kActiveCaption}, 64);
  EXPECT_EQ(tables[0].size(), 64u);
  EXPECT_EQ(tables[0].front(), clBlack);
  EXPECT_EQ(tables[0].back(), 0x808080u);
  EXPECT_EQ(tables[1].front(), clBlack);
  EXPECT_EQ(tables[1].back(), kActiveCaption);

  // Red 0 -> 9 over 7 entries: steps of 1.5, so entries 1, 3, 5 fall on halves.
  const auto halves = BuildColorTable(clBlack, 0x000009, 7);
  const std::vector<TColor> expected = {0, 2, 3, 4, 6, 8, 9};
  EXPECT_EQ(halves, expected);
  // Falling: the offset is rounded, not the value, so -1.5 -> -2 gives 7, -4.5 -> -4 gives 5.
  EXPECT_EQ(BuildColorTable(0x000009, clBlack, 7), (std::vector<TColor>{9, 7, 6, 5, 3, 1, 0}));
}

TEST(CaptionFillTest, DitheringNeedsTwiceTheMaskWidth) {
  const std::vector<TColor> table = BuildColorTable(clBlack, 0x000040, 64);
  // A gentle gradient takes mask 1 (69 wide).
  EXPECT_EQ(ChooseCaptionFill(137, Fill(clBlack, 0x000040, table, true)).method,
            CaptionFillMethod::kStretchedRow);
  const CaptionFillChoice wide = ChooseCaptionFill(138, Fill(clBlack, 0x000040, table, true));
  EXPECT_EQ(wide.method, CaptionFillMethod::kDithered);
  EXPECT_EQ(wide.mask, &DitherMask1());
  // Black to white is steep enough for mask 2 (14 wide) up to 765 × 7 / 5 = 1071 pixels.
  EXPECT_EQ(ChooseCaptionFill(27, Fill(clBlack, clWhite, table, true)).method, CaptionFillMethod::kBands);
  EXPECT_EQ(ChooseCaptionFill(28, Fill(clBlack, clWhite, table, true)),
            (CaptionFillChoice{CaptionFillMethod::kDithered, &DitherMask2()}));
  EXPECT_EQ(ChooseCaptionFill(1071, Fill(clBlack, clWhite, table, true)).mask, &DitherMask2());
  EXPECT_EQ(ChooseCaptionFill(1072, Fill(clBlack, clWhite, table, true)).mask, &DitherMask1());
  // Equal colours: distance 0, mask 1.
  EXPECT_EQ(ChooseCaptionFill(138, Fill(clWhite, clWhite, table, true)).mask, &DitherMask1());
}

TEST(CaptionFillTest, StretchedRowNeedsAsManyPixelsAsBandsAndNoPalette) {
  const std::vector<TColor> table(512, clBlack);
  EXPECT_EQ(ChooseCaptionFill(511, Fill(clBlack, clBlack, table, false)).method, CaptionFillMethod::kBands);
  EXPECT_EQ(ChooseCaptionFill(512, Fill(clBlack, clBlack, table, false)).method,
            CaptionFillMethod::kStretchedRow);
  CaptionFill palette = Fill(clBlack, clWhite, table, true);
  palette.devicePalette = true;
  EXPECT_EQ(ChooseCaptionFill(2000, palette).method, CaptionFillMethod::kBands);
  EXPECT_EQ(ChooseCaptionFill(0, palette).method, CaptionFillMethod::kNothing);
}

TEST(CaptionFillTest, MasksAreAsTabulated) {
  for (const DitherMask* mask : {&DitherMask1(), &DitherMask2()}) {
    ASSERT_EQ(mask->rows.size(), static_cast<size_t>(mask->height));
    for (int y = 0; y < mask->height; ++y) {
      // The leftmost column is black, which makes the last dither step invisible.
      EXPECT_FALSE(mask->IsWhite(0, y));
      // Whole bytes per row with the padding bits 0.
      const std::string_view row = mask->rows[static_cast<size_t>(y)];
      ASSERT_EQ(row.size(), static_cast<size_t>((mask->width + 7) / 8 * 2));
      const int paddingBits = static_cast<int>(row.size()) * 4 - mask->width;
      const int lastDigit = row.back() <= '9' ? row.back() - '0' : row.back() - 'A' + 10;
      EXPECT_EQ(lastDigit & ((1 << paddingBits) - 1), 0) << y;
    }
  }
  EXPECT_EQ(DitherMask1().width, 69);
  EXPECT_EQ(DitherMask1().height, 30);
  EXPECT_EQ(DitherMask2().width, 14);
  EXPECT_EQ(DitherMask2().height, 28);
  EXPECT_FALSE(DitherMask1().IsWhite(22, 0));
  EXPECT_TRUE(DitherMask1().IsWhite(23, 0));
  EXPECT_TRUE(DitherMask1().IsWhite(68, 0));
  EXPECT_FALSE(DitherMask1().IsWhite(68, 9));
  EXPECT_TRUE(DitherMask2().IsWhite(8, 0));
  EXPECT_FALSE(DitherMask2().IsWhite(13, 0));
  EXPECT_TRUE(DitherMask2().IsWhite(13, 1));
}

TEST(CaptionFillTest, DitheredFillMixesPreviousAndNewColourThroughTheMask) {
  // 28 wide, black to white, mask 2: three steps of 128 (MulDiv's 127.5), 255, beyond.
  PixelBuffer b(28, 30, 0x123456);
  FillCaptionGradient(b, {0, 0, 28, 30}, Fill(clBlack, clWhite, {}, true));
  const DitherMask& mask = DitherMask2();
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 28; ++x) {
      const bool white = mask.IsWhite(x % 14, y % 28);
      const TColor expected = x < 14 ? (white ? 0x808080 : clBlack) : (white ? clWhite : 0x808080);
      ASSERT_EQ(b.At(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_EQ(b.At(8, 0), 0x808080u);
  EXPECT_EQ(b.At(9, 0), clBlack);
  EXPECT_EQ(b.At(27, 0), 0x808080u);
  EXPECT_EQ(b.At(27, 1), clWhite);
  EXPECT_EQ(b.At(9, 28), clBlack);  // row 28 repeats the mask's row 0
}

TEST(CaptionFillTest, DitheredFillSpreadsTheRemainderAsSolidColumns) {
  // 150 = 2 × 69 + 12: three steps, 12 solid columns after each mask block.
  PixelBuffer b(150, 10);
  FillCaptionGradient(b, {0, 0, 150, 10}, Fill(clBlack, 0x000064, {}, true));
  for (int y = 0; y < 10; ++y) {
    for (int x = 69; x < 81; ++x) EXPECT_EQ(b.At(x, y), 50u);
  }
  EXPECT_EQ(b.At(81, 0), 50u);    // mask column 0 is black: previous colour
  EXPECT_EQ(b.At(149, 0), 100u);  // mask column 68, white on row 0
  EXPECT_EQ(b.At(149, 9), 50u);   // and black on row 9
}

TEST(CaptionFillTest, DitherStepsRoundHalvesAwayFromZero) {
  PixelBuffer up(138, 1);
  FillCaptionGradient(up, {0, 0, 138, 1}, Fill(clBlack, 0x000005, {}, true));
  EXPECT_EQ(up.At(23, 0), 3u);  // 2.5 -> 3
  PixelBuffer down(138, 1);
  FillCaptionGradient(down, {0, 0, 138, 1}, Fill(0x000005, clBlack, {}, true));
  EXPECT_EQ(down.At(23, 0), 2u);  // 5 - 2.5 -> 2
}

TEST(CaptionFillTest, BandsRoundTheirEdgesHalfToEven) {
  const std::vector<TColor> table = {10, 11, 12, 13, 14, 15, 16, 17};
  PixelBuffer b(14, 2, clWhite);
  FillCaptionBands(b, {2, 0, 12, 2}, std::span(table).first(4));  // band width 2.5
  const std::vector<TColor> row = {clWhite, clWhite, 10, 10, 11, 11, 11, 12, 12, 12, 13, 13, clWhite, clWhite};
  for (int x = 0; x < 14; ++x) EXPECT_EQ(b.At(x, 1), row[static_cast<size_t>(x)]) << x;

  // Fewer pixels than bands: edges 0 0 1 1 2 2 2 3 3, most bands are empty.
  PixelBuffer narrow(3, 1);
  FillCaptionGradient(narrow, {0, 0, 3, 1}, Fill(clBlack, clBlack, table, false));
  EXPECT_EQ(narrow.At(0, 0), 11u);
  EXPECT_EQ(narrow.At(1, 0), 13u);
  EXPECT_EQ(narrow.At(2, 0), 16u);
}

TEST(CaptionFillTest, StretchedRowSpansTheWidthFromFirstToLastEntry) {
  const std::vector<TColor> table = {10, 11, 12, 13};
  PixelBuffer b(10, 3, clWhite);
  FillCaptionGradient(b, {1, 1, 9, 3}, Fill(clBlack, clBlack, table, false));
  const std::vector<TColor> row = {clWhite, 10, 10, 11, 11, 12, 12, 13, 13, clWhite};
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(b.At(x, 0), clWhite);
    EXPECT_EQ(b.At(x, 2), row[static_cast<size_t>(x)]) << x;
  }
}

}  // namespace
}  // namespace kavrix
