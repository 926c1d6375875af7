#include "appearance/BackgndObj.h"

#include <gtest/gtest.h>

#include <vector>

namespace kavrix {
namespace {

TEST(TGradientTest, SettersRaiseOnChangeOnlyForNewValues) {
  TGradient g;
  std::vector<const TObject*> senders;
  g.OnChange = [&](TObject& sender) { senders.push_back(&sender); };
  g.SetColor1(0x808080);  // the default
  g.SetLineSize(3);
  g.SetGradientStyle(TGradientStyle::gsLine);
  EXPECT_TRUE(senders.empty());
  g.SetColor1(0x0000FF);
  g.SetLineDirection(TDirection::diVertical);
  g.SetColorCount(9);
  EXPECT_EQ(g.ColorCount(), 4);
  EXPECT_EQ(senders, (std::vector<const TObject*>{&g, &g, &g}));
}

TEST(TBackgndObjTest, GradientChangesReachTheOwnerAsItsOwnChange) {
  TBackgndObj obj;
  std::vector<const TObject*> senders;
  obj.OnChange = [&](TObject& sender) { senders.push_back(&sender); };
  obj.Gradient().SetColor2(0x123456);
  obj.SetColor(clBlack);
  obj.SetBackStyle(TBackStyle::bgSingleColor);
  EXPECT_EQ(senders, (std::vector<const TObject*>{&obj}));

  // Assigning a gradient copies its values but not its events: the gradient's change
  // and then the owner's own.
  TGradient other;
  other.SetColor5(0xFFFFFF);
  bool otherPainterCalled = false;
  other.OnDrawRect = [&](TObject*, TCanvas&, const TRect&) { otherPainterCalled = true; };
  obj.SetGradient(other);
  EXPECT_EQ(senders.size(), 3u);
  EXPECT_EQ(obj.Gradient().Color5(), 0xFFFFFFu);
  EXPECT_EQ(obj.Gradient().Color2(), 0xFFFFFFu);
  EXPECT_FALSE(obj.Gradient().OnDrawRect);
  obj.SetGradient(obj.Gradient());
  EXPECT_EQ(senders.size(), 3u);
  EXPECT_FALSE(otherPainterCalled);
}

TEST(TBackgndObjTest, AssignCopiesEverythingAndPaintsTheSame) {
  TBackgndObj source;
  source.SetPicture(PixelBuffer(2, 2, 0x00FF00));
  source.SetBackStyle(TBackStyle::bgTileBitmap);
  source.SetColor(0x0000FF);
  source.Gradient().SetColorCount(1);
  TBackgndObj copy;
  int changes = 0;
  copy.OnChange = [&](TObject&) { ++changes; };
  copy.Assign(source);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(copy.BackStyle(), TBackStyle::bgTileBitmap);
  EXPECT_EQ(copy.Color(), 0x0000FFu);
  EXPECT_EQ(copy.Gradient().ColorCount(), 1);
  PixelBuffer a(5, 5);
  PixelBuffer b(5, 5);
  source.PaintBackground(a, {0, 0, 5, 5});
  copy.PaintBackground(b, {0, 0, 5, 5});
  EXPECT_EQ(a.Pixels(), b.Pixels());
  EXPECT_EQ(b.At(4, 4), 0x00FF00u);
}

}  // namespace
}  // namespace kavrix
