#include "installer/layout/MessageLayout.h"

#include <gtest/gtest.h>

namespace kavrix {
namespace {

TEST(MulDivTest, RoundsHalvesAwayFromZeroWithA64BitProduct) {
  EXPECT_EQ(MulDiv(10, 13, 8), 16);  // 16.25
  EXPECT_EQ(MulDiv(14, 13, 8), 23);  // 22.75
  EXPECT_EQ(MulDiv(1, 3, 2), 2);     // 1.5
  EXPECT_EQ(MulDiv(-1, 3, 2), -2);
  EXPECT_EQ(MulDiv(1, 3, -2), -2);
  EXPECT_EQ(MulDiv(70000, 70000, 70000), 70000);  // the product exceeds 32 bits
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

// The wizard's quit confirmation in an 8-point Tahoma: W 6, H 13; two text lines.
MessageLayoutInput Confirmation() {
  MessageLayoutInput input;
  input.averageCharWidth = 6;
  input.charHeight = 13;
  input.textWidth = 160;
  input.textHeight = 26;
  input.hasPicture = true;
  input.buttons = ButtonSet({mbYes, mbNo});
  input.frameWidth = 6;
  input.frameHeight = 25;
  input.screenWidth = 1024;
  input.screenHeight = 768;
  return input;
}

TEST(MessageLayoutTest, MeasuresComeFromTheAverageCharacterSize) {
  const MessageLayout layout = LayoutMessage(Confirmation());
  EXPECT_EQ(layout.horizontalMargin, 12);
  EXPECT_EQ(layout.verticalMargin, 13);
  EXPECT_EQ(layout.horizontalSpacing, 15);
  EXPECT_EQ(layout.verticalSpacing, 16);
  EXPECT_EQ(layout.buttonWidth, 75);
  EXPECT_EQ(layout.buttonHeight, 23);
  EXPECT_EQ(layout.buttonSpacing, 6);
}

TEST(MessageLayoutTest, ATextBesideThePictureIsAtLeastThePictureHigh) {
  const MessageLayout layout = LayoutMessage(Confirmation());
  // Text block: 160 + 15 + 32 wide, 32 high (the text is only 26).
  EXPECT_EQ(layout.clientWidth, 207 + 24);
  EXPECT_EQ(layout.clientHeight, 32 + 23 + 16 + 26);
  ASSERT_TRUE(layout.picture);
  EXPECT_EQ(*layout.picture, (MessageRect{12, 13, 32, 32}));
  EXPECT_EQ(layout.text, (MessageRect{47 + 12, 13, 160, 26}));
  // Buttons below the picture, the row centred: (231 - 156) div 2 = 37.
  ASSERT_EQ(layout.buttonRow.size(), 2u);
  EXPECT_EQ(layout.buttonRow[0].kind, mbYes);
  EXPECT_EQ(layout.buttonRow[0].bounds, (MessageRect{37, 32 + 13 + 16, 75, 23}));
  EXPECT_EQ(layout.buttonRow[1].kind, mbNo);
  EXPECT_EQ(layout.buttonRow[1].bounds.left, 37 + 75 + 6);
  // Centred by the outer size, truncating.
  EXPECT_EQ(layout.left, 512 - (231 + 6) / 2);
  EXPECT_EQ(layout.top, 384 - (97 + 25) / 2);
}

TEST(MessageLayoutTest, AtTwiceTheDensityThePictureIsTwiceAsLargeAndTheTextMakesRoomForIt) {
  MessageLayoutInput input = Confirmation();
  input.pictureSize = 64;
  const MessageLayout layout = LayoutMessage(input);
  ASSERT_TRUE(layout.picture);
  EXPECT_EQ(*layout.picture, (MessageRect{12, 13, 64, 64}));
  EXPECT_EQ(layout.text.left, 64 + 15 + 12);
  EXPECT_EQ(layout.buttonRow.at(0).bounds.top, 64 + 13 + 16) << "the buttons stay below the picture";
}

TEST(MessageLayoutTest, WithoutPictureTheTextStartsAtTheMarginAndAWideRowSetsTheWidth) {
  MessageLayoutInput input = Confirmation();
  input.hasPicture = false;
  input.textWidth = 40;
  input.textHeight = 13;
  input.buttons = ButtonSet({mbOK, mbCancel, mbHelp});
  const MessageLayout layout = LayoutMessage(input);
  EXPECT_FALSE(layout.picture);
  EXPECT_EQ(layout.text, (MessageRect{12, 13, 40, 13}));
  EXPECT_EQ(layout.clientWidth, 3 * 75 + 2 * 6 + 24);
  EXPECT_EQ(layout.clientHeight, 13 + 23 + 16 + 26);
  EXPECT_EQ(layout.buttonRow.front().bounds.left, 12);
  EXPECT_EQ(layout.buttonRow.back().kind, mbHelp);
}

TEST(MessageLayoutTest, NoButtonsGiveAnEmptyRow) {
  MessageLayoutInput input = Confirmation();
  input.buttons = 0;
  const MessageLayout layout = LayoutMessage(input);
  EXPECT_TRUE(layout.buttonRow.empty());
  EXPECT_EQ(layout.clientWidth, 207 + 24);
}

TEST(MessageLayoutTest, EnterAndEscapeGoToTheButtonsInTheirOrderOfPreference) {
  EXPECT_EQ(DefaultButton(ButtonSet({mbYes, mbNo})), mbYes);
  EXPECT_EQ(CancelButton(ButtonSet({mbYes, mbNo})), mbNo);
  EXPECT_EQ(DefaultButton(ButtonSet({mbYes, mbOK})), mbOK);
  EXPECT_EQ(DefaultButton(ButtonSet({mbAbort, mbRetry, mbIgnore})), mbRetry);
  EXPECT_EQ(DefaultButton(ButtonSet({mbAbort, mbIgnore})), std::nullopt);
  EXPECT_EQ(CancelButton(ButtonSet({mbOK, mbCancel})), mbCancel);
  EXPECT_EQ(CancelButton(ButtonSet({mbOK})), mbOK);
  EXPECT_EQ(CancelButton(ButtonSet({mbAbort, mbRetry})), std::nullopt);
}

}  // namespace
}  // namespace kavrix
