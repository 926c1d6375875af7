// The installer's windows at 125 %, 150 % and 200 % display scale: laid out as at 100 %
// scaled, with every text fitting its control and no control over another.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "installer/Unit3.h"
#include "installer/Unit6.h"
#include "toolkit/Application.h"
#include "toolkit/Win32Gdi.h"
#include "toolkit/layout/DpiScale.h"

namespace kavrix {
namespace {

constexpr int kTolerance = 2;

// Every control of the form, depth first, in the order their parents hold them.
std::vector<TControl*> AllControls(const TWinControl& parent) {
  std::vector<TControl*> controls;
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* control = parent.Controls(i);
    controls.push_back(control);
    if (auto* container = dynamic_cast<TWinControl*>(control)) {
      for (TControl* inner : AllControls(*container)) controls.push_back(inner);
    }
  }
  return controls;
}

std::string NameOf(const TControl& control) {
  return control.Name().empty() ? "\"" + control.Caption() + "\"" : control.Name();
}

// The caption's size in the control's font as the system draws a one-line caption.
TPoint CaptionExtent(const TControl& control) {
  const ScreenDC screen;
  const SelectionScope font(screen.Get(), control.Font().Handle());
  RECT rect{0, 0, 0, 0};
  ::DrawTextA(screen.Get(), control.Caption().c_str(), -1, &rect, DT_CALCRECT | DT_SINGLELINE);
  return {rect.right, rect.bottom};
}

bool Overlap(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

class DisplayScaleTest : public ::testing::TestWithParam<int> {
 protected:
  // Builds the form twice, at 96 DPI and at the density under test, and checks one
  // against the other.
  template <typename Form>
  void ExpectScaledLayout() {
    const int dpi = GetParam();
    std::unique_ptr<Form> designed(new Form(&app_));
    std::unique_ptr<Form> scaled(new Form(&app_));
    scaled->SetPixelsPerInch(dpi);
    EXPECT_EQ(scaled->PixelsPerInch(), dpi);
    EXPECT_NEAR(scaled->ClientWidth(), ScaleToDpi(designed->ClientWidth(), dpi), 1);
    EXPECT_NEAR(scaled->ClientHeight(), ScaleToDpi(designed->ClientHeight(), dpi), 1);
    const std::vector<TControl*> before = AllControls(*designed);
    const std::vector<TControl*> after = AllControls(*scaled);
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < after.size(); ++i) {
      const TControl& was = *before[i];
      const TControl& is = *after[i];
      const std::string name = NameOf(is) + " at " + std::to_string(dpi) + " dpi";
      const ScaledBounds expected = ScaleBoundsToDpi(was.Left(), was.Top(), was.Width(), was.Height(), dpi);
      // A label that sizes itself takes its text's size, and text does not grow exactly
      // with the display; what it would overlap moves down (checked below). A control
      // its parent aligns fills the parent's area, whose edges are system metrics.
      const auto* label = dynamic_cast<const TLabel*>(&is);
      const bool textSized = label && label->AutoSize();
      EXPECT_NEAR(is.Left(), expected.left, kTolerance) << name;
      if (!textSized) {
        EXPECT_NEAR(is.Top(), expected.top, kTolerance) << name;
      }
      if (!textSized && is.Align() == alNone) {
        EXPECT_NEAR(is.Width(), expected.width, kTolerance) << name;
        EXPECT_NEAR(is.Height(), expected.height, kTolerance) << name;
      }
      EXPECT_EQ(is.Font().Height(), ScaleToDpi(was.Font().Height(), dpi)) << name;
      ExpectTextFits(is, name);
    }
    ExpectNoOverlaps(*scaled);
  }

  static void ExpectTextFits(const TControl& control, const std::string& name) {
    if (!control.Visible() || control.Caption().empty()) return;
    if (const auto* label = dynamic_cast<const TLabel*>(&control)) {
      const TPoint extent = label->TextExtent(label->Width());
      EXPECT_LE(extent.X, label->Width()) << name << " cut on the right";
      EXPECT_LE(extent.Y, label->Height()) << name << " cut at the bottom";
    } else if (dynamic_cast<const TButton*>(&control) || dynamic_cast<const TCheckBox*>(&control)) {
      // A check box's text follows its box; a push button's sits inside its edges.
      const int reserved = dynamic_cast<const TCheckBox*>(&control) ? ScaleToDpi(17, GetParam()) : 4;
      const TPoint extent = CaptionExtent(control);
      EXPECT_LE(extent.X + reserved, control.Width()) << name << " cut on the right";
      EXPECT_LE(extent.Y, control.Height()) << name << " cut at the bottom";
    }
  }

  static void ExpectNoOverlaps(const TWinControl& parent) {
    for (int i = 0; i < parent.ControlCount(); ++i) {
      TControl* one = parent.Controls(i);
      if (auto* container = dynamic_cast<TWinControl*>(one)) ExpectNoOverlaps(*container);
      // The notebook's pages lie on one another; one shows at a time.
      if (!one->Visible() || dynamic_cast<TPage*>(one)) continue;
      const TRect area = parent.ClientRect();
      const TRect bounds = one->BoundsRect();
      EXPECT_TRUE(bounds.Left >= area.Left && bounds.Top >= area.Top && bounds.Right <= area.Right &&
                  bounds.Bottom <= area.Bottom)
          << NameOf(*one) << " reaches out of its parent at " << GetParam() << " dpi";
      for (int j = i + 1; j < parent.ControlCount(); ++j) {
        TControl* other = parent.Controls(j);
        if (!other->Visible() || dynamic_cast<TPage*>(other)) continue;
        EXPECT_FALSE(Overlap(one->BoundsRect(), other->BoundsRect()))
            << NameOf(*one) << " and " << NameOf(*other) << " overlap at " << GetParam() << " dpi";
      }
    }
  }

  TApplication app_;
};

TEST_P(DisplayScaleTest, TheWizardScalesWithEveryPage) { ExpectScaledLayout<TForm3>(); }
TEST_P(DisplayScaleTest, TheNewDirectoryDialogScales) { ExpectScaledLayout<TForm6>(); }

INSTANTIATE_TEST_SUITE_P(Scales, DisplayScaleTest, ::testing::Values(120, 144, 192));

}  // namespace
}  // namespace kavrix
