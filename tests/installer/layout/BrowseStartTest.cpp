#include "installer/layout/BrowseStart.h"

#include <gtest/gtest.h>

#include <set>

namespace kavrix {
namespace {

TEST(BrowseStartTest, ParentsClimbToTheRootAndStopThere) {
  EXPECT_EQ(ParentDirectory("C:\\Program Files\\Quorvel 2.0"), "C:\\Program Files");
  EXPECT_EQ(ParentDirectory("C:\\Program Files\\Quorvel 2.0\\"), "C:\\Program Files");
  EXPECT_EQ(ParentDirectory("C:\\Program Files"), "C:\\");
  EXPECT_EQ(ParentDirectory("C:\\"), "");
  EXPECT_EQ(ParentDirectory("C:"), "");
  EXPECT_EQ(ParentDirectory("\\\\server\\share\\apps\\Quorvel"), "\\\\server\\share\\apps");
  EXPECT_EQ(ParentDirectory("\\\\server\\share\\apps"), "\\\\server\\share\\");
  EXPECT_EQ(ParentDirectory("\\\\server\\share\\"), "");
  EXPECT_EQ(ParentDirectory("\\\\server"), "");
  EXPECT_EQ(ParentDirectory("Quorvel"), "");
}

class BrowseStartChain : public ::testing::Test {
 protected:
  std::string Start(const std::string& destination, const std::vector<std::string>& fallbacks) const {
    return BrowseStartDirectory(destination, fallbacks, [this](const std::string& path) {
      asked_.push_back(path);
      return existing_.count(path) != 0;
    });
  }
  std::set<std::string> existing_{"D:\\", "D:\\Programme", "C:\\"};
  mutable std::vector<std::string> asked_;
};

TEST_F(BrowseStartChain, AnExistingDestinationOrItsNearestExistingAncestor) {
  EXPECT_EQ(Start("D:\\Programme", {"C:\\Program Files"}), "D:\\Programme");
  EXPECT_EQ(Start("D:\\Programme\\Quorvel 2.0\\bin", {"C:\\Program Files"}), "D:\\Programme");
  EXPECT_EQ(Start("D:\\Nowhere\\Quorvel 2.0", {"C:\\Program Files"}), "D:\\")
      << "the drive's root is an ancestor too";
}

TEST_F(BrowseStartChain, WithoutAnExistingAncestorTheFallBacksInOrder) {
  // A destination on a drive that is gone: the system's folder, else its drive's root.
  EXPECT_EQ(Start("E:\\Quorvel 2.0", {"D:\\Programme", "C:\\"}), "D:\\Programme");
  EXPECT_EQ(Start("E:\\Quorvel 2.0", {"C:\\Program Files", "C:\\"}), "C:\\");
  EXPECT_EQ(asked_.back(), "C:\\");
  EXPECT_EQ(Start("", {"", "C:\\"}), "C:\\") << "an empty destination or folder name is skipped";
  EXPECT_EQ(Start("E:\\x", {"F:\\"}), "") << "nothing exists";
}

}  // namespace
}  // namespace kavrix
