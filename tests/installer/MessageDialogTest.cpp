#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "installer/Mesmov32.h"
#include "toolkit/Application.h"
#include "toolkit/Button.h"
#include "toolkit/Label.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

class MessageDialogTest : public ::testing::Test {
 protected:
  MessageDialogTest() { app_.SetTitle("Quorvel 2.0 Kavrix"); }
  ~MessageDialogTest() override { app_.ProcessMessages(); }

  TApplication app_;
};

constexpr char kQuitQuestion[] = "Kavrix is not yet finished!!\rAre you sure you want to quit?";

TEST_F(MessageDialogTest, EnterAnswersYesAndEscapeAnswersNo) {
  for (const auto& [key, expected] : {std::pair{VK_RETURN, mrYes}, std::pair{VK_ESCAPE, mrNo}}) {
    std::unique_ptr<TForm> dialog(CreateMessageDialog(kQuitQuestion, mtWarning, ButtonSet({mbYes, mbNo})));
    dialog->OnActivate = [&dialog, key = key](TObject&) { ::PostMessageA(dialog->Handle(), WM_KEYDOWN, key, 0); };
    EXPECT_EQ(dialog->ShowModal(), expected) << "key " << key;
  }
}

TEST_F(MessageDialogTest, TheWarningHasItsCaptionPictureAndTheYesNoRowInOrder) {
  std::unique_ptr<TForm> dialog(CreateMessageDialog(kQuitQuestion, mtWarning, ButtonSet({mbYes, mbNo})));
  EXPECT_EQ(dialog->Caption(), "Warning");
  auto* picture = dynamic_cast<TControl*>(dialog->FindComponent("Image"));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 32);
  auto* yes = dynamic_cast<TButton*>(dialog->FindComponent("Yes"));
  auto* no = dynamic_cast<TButton*>(dialog->FindComponent("No"));
  ASSERT_TRUE(yes && no);
  EXPECT_EQ(yes->Caption(), "&Yes");
  EXPECT_TRUE(yes->Default());
  EXPECT_TRUE(no->Cancel());
  EXPECT_LT(yes->Left(), no->Left());
  // The two-line text beside the picture; the buttons below both.
  auto* text = dynamic_cast<TLabel*>(dialog->FindComponent("Message"));
  ASSERT_NE(text, nullptr);
  EXPECT_GT(text->Left(), picture->Left() + 32);
  EXPECT_GE(yes->Top(), picture->Top() + 32);
  EXPECT_GE(yes->Top(), text->Top() + text->Height());
  // The row is centred in the client area.
  const int rowLeft = yes->Left();
  const int rowRight = no->Left() + no->Width();
  EXPECT_LE(std::abs(rowLeft - (dialog->ClientWidth() - rowRight)), 1);
}

TEST_F(MessageDialogTest, ButtonSizesComeFromTheDialogFontsAverageCharacter) {
  std::unique_ptr<TForm> dialog(CreateMessageDialog(kQuitQuestion, mtWarning, ButtonSet({mbYes, mbNo})));
  const UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
  const SelectionScope font(dc.Get(), dialog->Font().Handle());
  SIZE size{};
  ::GetTextExtentPoint32A(dc.Get(), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
  const int w = size.cx / 52;
  const int h = size.cy;
  auto* yes = dynamic_cast<TButton*>(dialog->FindComponent("Yes"));
  auto* no = dynamic_cast<TButton*>(dialog->FindComponent("No"));
  ASSERT_TRUE(yes && no);
  EXPECT_EQ(yes->Width(), MulDiv(50, w, 4));
  EXPECT_EQ(yes->Height(), MulDiv(14, h, 8));
  EXPECT_EQ(no->Left() - (yes->Left() + yes->Width()), MulDiv(4, w, 4));
  auto* picture = dynamic_cast<TControl*>(dialog->FindComponent("Image"));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Left(), MulDiv(8, w, 4));
}

TEST_F(MessageDialogTest, ACustomMessageHasNoPictureAndTheApplicationTitle) {
  std::unique_ptr<TForm> dialog(CreateMessageDialog("Done.", mtCustom, ButtonSet({mbOK})));
  EXPECT_EQ(dialog->Caption(), "Quorvel 2.0 Kavrix");
  EXPECT_EQ(dialog->FindComponent("Image"), nullptr);
  auto* text = dynamic_cast<TLabel*>(dialog->FindComponent("Message"));
  ASSERT_NE(text, nullptr);
  auto* ok = dynamic_cast<TButton*>(dialog->FindComponent("OK"));
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->Default());
  EXPECT_TRUE(ok->Cancel());
}

TEST_F(MessageDialogTest, TheTextBlockFitsTheMessageAsDrawnWithAmpersandsAndTabs) {
  // What the label shows: "&&" as one "&", a single "&" underlining the next letter,
  // tabs expanded; the text block takes exactly that room.
  const std::pair<const char*, const char*> messages[] = {
      {"Tom && Jerry && Spike && Tyke", "Tom & Jerry & Spike & Tyke"},
      {"Save &As and &Open", "Save As and Open"},
      {"Name:\tQuorvel\tVersion:\t2.0", nullptr},
  };
  for (const auto& [message, shown] : messages) {
    std::unique_ptr<TForm> dialog(CreateMessageDialog(message, mtCustom, ButtonSet({mbOK})));
    auto* text = dynamic_cast<TLabel*>(dialog->FindComponent("Message"));
    ASSERT_NE(text, nullptr);
    const UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    const SelectionScope font(dc.Get(), dialog->Font().Handle());
    RECT drawn{0, 0, 0, 0};
    if (shown) {
      ::DrawTextA(dc.Get(), shown, -1, &drawn, DT_CALCRECT | DT_NOPREFIX);
    } else {
      ::DrawTextA(dc.Get(), message, -1, &drawn, DT_CALCRECT | DT_EXPANDTABS);
    }
    EXPECT_EQ(text->Width(), drawn.right) << message;
    EXPECT_EQ(text->Height(), drawn.bottom) << message;
  }
}

TEST_F(MessageDialogTest, AMessageWiderThanHalfTheScreenIsWrapped) {
  std::string words;
  for (int i = 0; i < 120; ++i) words += "word ";
  std::unique_ptr<TForm> dialog(CreateMessageDialog(words, mtInformation, ButtonSet({mbOK})));
  auto* text = dynamic_cast<TLabel*>(dialog->FindComponent("Message"));
  ASSERT_NE(text, nullptr);
  EXPECT_LE(text->Width(), ::GetSystemMetrics(SM_CXSCREEN) / 2);
  EXPECT_GT(text->Height(), 2 * 13);
}

}  // namespace
}  // namespace kavrix
