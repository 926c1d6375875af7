#include "toolkit/layout/Mnemonics.h"

#include <gtest/gtest.h>

namespace kavrix {
namespace {

// The accelerators of controls in tab order.
std::vector<char> Accelerators(const std::vector<std::string>& captions) {
  std::vector<char> keys;
  for (const std::string& caption : captions) keys.push_back(AcceleratorOf(caption));
  return keys;
}

// The destination page's tab order: its Browse button, then the button row.
const std::vector<char> kDestinationPage = Accelerators({"&Browse...", "Cancel", "< &Back", "&Next >"});

TEST(SharedAccelerator, EachPressFocusesTheNextCarrierInTabOrderAndWrapsRound) {
  EXPECT_EQ(NextOfSharedAccelerator(kDestinationPage, 3, 'b'), 0u);  // from Next, wrapping
  EXPECT_EQ(NextOfSharedAccelerator(kDestinationPage, 0, 'b'), 2u);
  EXPECT_EQ(NextOfSharedAccelerator(kDestinationPage, 2, 'B'), 0u);
  EXPECT_EQ(NextOfSharedAccelerator(kDestinationPage, 1, 'B'), 2u);
  EXPECT_EQ(NextOfSharedAccelerator(kDestinationPage, std::nullopt, 'b'), 0u);
}

TEST(SharedAccelerator, AKeyOfOneControlOrOfNoneIsNotTaken) {
  EXPECT_EQ(NextOfSharedAccelerator(kDestinationPage, 0, 'n'), std::nullopt);  // Next alone: pressed
  EXPECT_EQ(NextOfSharedAccelerator(kDestinationPage, 0, 'x'), std::nullopt);
  EXPECT_EQ(NextOfSharedAccelerator(kDestinationPage, 0, 0), std::nullopt);
  // "&&" is a plain ampersand and an empty caption carries nothing.
  EXPECT_EQ(NextOfSharedAccelerator(Accelerators({"Save && Quit", "&Save", "", "A&&B"}), 1, 's'), std::nullopt);
  EXPECT_EQ(NextOfSharedAccelerator(Accelerators({"&Save", "", "&Start"}), 0, 's'), 2u);
}

}  // namespace
}  // namespace kavrix
