// Host names in UTF-8 to the code page 1252 bytes archives store.

#include <gtest/gtest.h>

#include "archive/CodePage1252.h"

namespace kavrix::testing {
namespace {

using archive::Utf8ToCodePage1252;

TEST(CodePage1252Test, CharactersOfTheCodePageBecomeItsBytes) {
  EXPECT_EQ(Utf8ToCodePage1252("readme.txt"), "readme.txt");
  EXPECT_EQ(Utf8ToCodePage1252("Caf\xC3\xA9 \xC3\xBF\xC2\xA0"), "Caf\xE9 \xFF\xA0");  // é ÿ no-break space
  // The typographic characters at 0x80 to 0x9F: € ‚ Ÿ – ™
  EXPECT_EQ(Utf8ToCodePage1252("\xE2\x82\xAC\xE2\x80\x9A\xC5\xB8\xE2\x80\x93\xE2\x84\xA2"),
            "\x80\x82\x9F\x96\x99");
  EXPECT_EQ(Utf8ToCodePage1252(""), "");
}

TEST(CodePage1252Test, CharactersOutsideTheCodePageAreRefused) {
  EXPECT_EQ(Utf8ToCodePage1252("\xE6\x97\xA5"), std::nullopt);      // 日
  EXPECT_EQ(Utf8ToCodePage1252("\xC4\x80"), std::nullopt);          // Ā, U+0100
  EXPECT_EQ(Utf8ToCodePage1252("\xC2\x81"), std::nullopt);          // U+0081, a control
  EXPECT_EQ(Utf8ToCodePage1252("\xF0\x9F\x98\x80"), std::nullopt);  // an emoji
}

TEST(CodePage1252Test, MalformedUtf8IsRefused) {
  EXPECT_EQ(Utf8ToCodePage1252("caf\xE9"), std::nullopt) << "a 1252 name is not UTF-8";
  EXPECT_EQ(Utf8ToCodePage1252("\xC3"), std::nullopt) << "cut short";
  EXPECT_EQ(Utf8ToCodePage1252("\xC0\xAE"), std::nullopt) << "overlong '.'";
  EXPECT_EQ(Utf8ToCodePage1252("\xE0\x80\xAE"), std::nullopt) << "overlong '.'";
  EXPECT_EQ(Utf8ToCodePage1252("\xED\xA0\x80"), std::nullopt) << "a surrogate";
  EXPECT_EQ(Utf8ToCodePage1252("\x80"), std::nullopt) << "a stray continuation byte";
  EXPECT_EQ(Utf8ToCodePage1252("\xC3\x41"), std::nullopt) << "a missing continuation byte";
}

}  // namespace
}  // namespace kavrix::testing
