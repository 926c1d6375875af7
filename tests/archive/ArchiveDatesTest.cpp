#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "archive/ArchiveDates.h"
#include "support/TestData.h"

namespace kavrix::archive {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(ArchiveDates, DayCountKnownAnswers) {
  EXPECT_EQ(EncodeDayCount({2000, 1, 1, 12, 0, 0, 0}), 36526.5);
  EXPECT_EQ(EncodeDayCount({1899, 12, 30, 0, 0, 0, 0}), 0.0);
  EXPECT_EQ(EncodeDayCount({1899, 12, 29, 6, 0, 0, 0}), -1.25);
  EXPECT_EQ(EncodeDayCount({1980, 1, 1, 0, 0, 0, 0}), 29221.0);
  EXPECT_EQ(DecodeDayCount(36526.5), (LocalTime{2000, 1, 1, 12, 0, 0, 0}));
  EXPECT_EQ(DecodeDayCount(-1.25), (LocalTime{1899, 12, 29, 6, 0, 0, 0}));
  EXPECT_EQ(DecodeDayCount(EncodeDayCount({2024, 2, 29, 23, 59, 59, 999})),
            (LocalTime{2024, 2, 29, 23, 59, 59, 999}));
  // Half a millisecond before midnight rounds to the next day, not to hour 24.
  EXPECT_EQ(DecodeDayCount(36526.0 - 0.4 / 86'400'000.0), (LocalTime{2000, 1, 1, 0, 0, 0, 0}));
  for (const double outside : {kNaN, kInfinity, -kInfinity, 1e300, 2958466.0, -693594.0}) {
    EXPECT_FALSE(DecodeDayCount(outside).has_value()) << outside;
  }
}

TEST(ArchiveDates, DayCountsRoundTripToTheMillisecond) {
  testing::Random random(3);
  for (int i = 0; i < 20000; ++i) {
    const LocalTime time{1 + static_cast<int>(random.Below(9999)), 1 + static_cast<int>(random.Below(12)),
                         1 + static_cast<int>(random.Below(28)),   static_cast<int>(random.Below(24)),
                         static_cast<int>(random.Below(60)),       static_cast<int>(random.Below(60)),
                         static_cast<int>(random.Below(1000))};
    ASSERT_EQ(DecodeDayCount(EncodeDayCount(time)), time)
        << time.year << "-" << time.month << "-" << time.day;
  }
}

TEST(ArchiveDates, DosDateTimes) {
  EXPECT_EQ(DayCountToDosDateTime(36526.5), 0x28216000u);
  EXPECT_EQ(DayCountToDosDateTime(EncodeDayCount({1980, 1, 1, 0, 0, 0, 0})), 0x00210000u);
  const DosDateTime odd = DayCountToDosDateTime(EncodeDayCount({2001, 6, 15, 10, 0, 59, 0}));
  EXPECT_EQ(DosDateTimeToLocalTime(odd), (LocalTime{2001, 6, 15, 10, 0, 58, 0}))
      << "seconds round down to even";
  EXPECT_NE(DayCountToDosDateTime(EncodeDayCount({2099, 12, 31, 23, 59, 59, 999})), 0u);
  for (const LocalTime outside : {LocalTime{1975, 6, 1, 12, 0, 0, 0}, LocalTime{1979, 12, 31, 23, 59, 59, 0},
                                  LocalTime{2100, 1, 1, 0, 0, 0, 0}}) {
    EXPECT_EQ(DayCountToDosDateTime(EncodeDayCount(outside)), 0u) << outside.year;
  }
  EXPECT_EQ(DayCountToDosDateTime(kNaN), 0u);
  EXPECT_EQ(DayCountToDosDateTime(-kInfinity), 0u);
}

TEST(ArchiveDates, TextKnownAnswers) {
  const std::pair<double, const char*> cases[] = {
      {36526.5, "36526.5"},
      {36526, "36526"},
      {0, "0"},
      {0.1, "0.1"},
      {-1.25, "-1.25"},
      {1.0 / 3, "0.333333333333333"},
      {0.00001, "0.00001"},
      {0.000001, "1E-6"},
      {123456789012345, "123456789012345"},
      {1e15, "1E15"},
      {1234567890123456, "1.23456789012346E15"},
      {-2.5e-300, "-2.5E-300"},
      {kNaN, "NAN"},
      {kInfinity, "INF"},
      {-kInfinity, "-INF"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatDayCount(value, '.'), text);
  EXPECT_EQ(FormatDayCount(36526.5, ','), "36526,5");
  EXPECT_EQ(FormatDayCount(0.000001, ','), "1E-6");
}

TEST(ArchiveDates, TextReadsBackWithTheSameSeparator) {
  EXPECT_EQ(ParseDayCount("36526,5", ','), 36526.5);
  EXPECT_EQ(ParseDayCount("36526.5", '.'), 36526.5);
  EXPECT_EQ(ParseDayCount("1.23456789012346E15", '.'), 1.23456789012346e15);
  EXPECT_FALSE(ParseDayCount("36526.5", ',').has_value()) << "a point is no separator for this user";
  EXPECT_EQ(ParseDayCount("-1.5E-3", '.'), -1.5e-3);
  EXPECT_EQ(ParseDayCount(".5", '.'), 0.5);
  // Nothing a day-count writer makes, though the C library's reader would take it.
  for (const char* bad : {"", "abc", "1,5", "36526.5x", " 1", "1 ", "+1", "-", ".", "1e", "1E+", "inf", "nan",
                          "0x10", "1e5x"})
    EXPECT_FALSE(ParseDayCount(bad, '.').has_value()) << bad;
}

TEST(ArchiveDates, RegressionFifteenDigitTextKeepsEveryDosSecond) {
  // A stored moment goes through the contents line's 15-digit text before it becomes a
  // DOS date; text that reads back a hair below the second must not lose two seconds.
  for (int second = 0; second < 86400; ++second) {
    const LocalTime time{2013, 7, 14, second / 3600, second / 60 % 60, second % 60, 0};
    const std::optional<double> back = ParseDayCount(FormatDayCount(EncodeDayCount(time), '.'), '.');
    ASSERT_TRUE(back.has_value());
    LocalTime even = time;
    even.second -= even.second % 2;
    ASSERT_EQ(DosDateTimeToLocalTime(DayCountToDosDateTime(*back)), even) << second;
  }
}

}  // namespace
}  // namespace kavrix::archive
