#include "toolkit/layout/PathEllipsis.h"

#include <gtest/gtest.h>

#include <string>

namespace kavrix {
namespace {

// One pixel per character, so widths are the lengths.
int Length(const std::string& text) { return static_cast<int>(text.size()); }

std::string Shorten(const std::string& path, int width) { return ShortenPath(path, width, Length); }

TEST(PathEllipsisTest, DropsLeadingElementsOneByOneUntilTheTextFits) {
  const std::string path = "C:\\Program Files\\Veddal\\Quorvel\\bin";
  EXPECT_EQ(Shorten(path, 100), path);
  EXPECT_EQ(Shorten(path, static_cast<int>(path.size())), path) << "exactly fitting is fitting";
  EXPECT_EQ(Shorten(path, static_cast<int>(path.size()) - 1), "C:\\...\\Veddal\\Quorvel\\bin");
  EXPECT_EQ(Shorten(path, 18), "C:\\...\\Quorvel\\bin");
  EXPECT_EQ(Shorten(path, 17), "C:\\...\\bin");
}

TEST(PathEllipsisTest, KeepsTheLastElementWholeWhenNothingFits) {
  EXPECT_EQ(Shorten("C:\\Program Files\\Quorvel 2.0", 3), "C:\\...\\Quorvel 2.0");
  // Nothing can be dropped from a root or a single element.
  EXPECT_EQ(Shorten("C:\\", 1), "C:\\");
  EXPECT_EQ(Shorten("C:\\Program Files", 5), "C:\\Program Files");
}

TEST(PathEllipsisTest, NetworkPathsKeepServerAndShare) {
  EXPECT_EQ(Shorten("\\\\server\\share\\aa\\b\\c", 20), "\\\\server\\share\\...\\c");
  EXPECT_EQ(Shorten("\\\\server\\share", 3), "\\\\server\\share");
}

TEST(PathEllipsisTest, UsesTheGivenMeasureNotTheLength) {
  // A measure where dots are wide: fewer elements survive than the length suggests.
  const auto wideDots = [](const std::string& text) {
    int width = 0;
    for (char c : text) width += c == '.' ? 10 : 1;
    return width;
  };
  const std::string path = "C:\\" + std::string(40, 'a') + "\\bb\\cc\\dd";
  EXPECT_EQ(ShortenPath(path, 40, wideDots), "C:\\...\\cc\\dd");
}

}  // namespace
}  // namespace kavrix
