#include "foundation/SystemErrorText.h"

#include <gtest/gtest.h>

namespace kavrix {
namespace {

TEST(SystemErrorTextTest, AKnownCodeGivesTheSystemsSentenceWithoutItsLineBreak) {
  for (const uint32_t code : {2u /* ERROR_FILE_NOT_FOUND */, 112u /* ERROR_DISK_FULL */}) {
    const std::optional<std::string> text = SystemErrorText(code);
    ASSERT_TRUE(text.has_value()) << code;
    ASSERT_FALSE(text->empty()) << code;
    EXPECT_EQ(text->find_first_of("\r\n"), std::string::npos) << code << ": " << *text;
    EXPECT_NE(text->back(), ' ') << code;
  }
  EXPECT_NE(SystemErrorText(2), SystemErrorText(112));
}

TEST(SystemErrorTextTest, ACodeTheSystemHasNoTextForGivesNone) {
  EXPECT_EQ(SystemErrorText(0x2000F00Du), std::nullopt);  // a customer code, never the system's
}

}  // namespace
}  // namespace kavrix
