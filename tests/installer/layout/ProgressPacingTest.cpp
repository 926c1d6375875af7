#include "installer/layout/ProgressPacing.h"

#include <gtest/gtest.h>

namespace kavrix {
namespace {

constexpr uint32_t kInterval = ProgressPacer::kIntervalMs;

TEST(ProgressPacingTest, ShowsTheFirstReportThenOnePerIntervalAndAlwaysTheLast) {
  ProgressPacer pacer;
  EXPECT_TRUE(pacer.Due(1000, false)) << "the first report";
  EXPECT_FALSE(pacer.Due(1000, false));
  EXPECT_FALSE(pacer.Due(1000 + kInterval - 1, false));
  EXPECT_TRUE(pacer.Due(1000 + kInterval, false));
  EXPECT_TRUE(pacer.Due(1000 + kInterval + 1, true)) << "the last report, however soon";
  EXPECT_FALSE(pacer.Due(1000 + kInterval + 2, false)) << "the interval starts again from it";
}

TEST(ProgressPacingTest, ThousandsOfReportsASecondGiveAboutTwentyFivePictures) {
  ProgressPacer pacer;
  int shown = 0;
  // One report every 0.1 ms for a second, as a fast extraction delivers them.
  for (uint32_t tenth = 0; tenth < 10'000; ++tenth) shown += pacer.Due(tenth / 10, tenth == 9'999);
  EXPECT_GE(shown, 25);
  EXPECT_LE(shown, 27);
}

TEST(ProgressPacingTest, KeepsItsPaceWhenTheTickCountWrapsAround) {
  ProgressPacer pacer;
  const uint32_t beforeWrap = 0xFFFF'FFFFu - 10;
  EXPECT_TRUE(pacer.Due(beforeWrap, false));
  EXPECT_FALSE(pacer.Due(beforeWrap + 20, false)) << "20 ms later, past the wrap";
  EXPECT_TRUE(pacer.Due(beforeWrap + kInterval, false));
}

}  // namespace
}  // namespace kavrix
