#pragma once
// Dates of archive entries: day counts (ArchiveFormat.h) to and from calendar fields,
// DOS date-times and the text of the contents lines.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "archive/ArchiveFormat.h"

namespace kavrix::archive {

// A moment in local time by its calendar fields.
struct LocalTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

// Days before 30 December 1899 count down while their time of day still counts up:
// -1.25 is 29 December 1899 06:00.
DayCount EncodeDayCount(const LocalTime& time) noexcept;

// The moment rounded to the nearest millisecond (so 15 significant digits of text
// restore it exactly); nothing when the value is not finite or outside years 1..9999.
std::optional<LocalTime> DecodeDayCount(DayCount value) noexcept;

// Date in the high word (years since 1980, month, day), time in the low word (hours,
// minutes, seconds / 2). 0 sets no date.
using DosDateTime = uint32_t;

// 0 for years outside 1980..2099 and for values DecodeDayCount rejects; odd seconds are
// rounded down.
DosDateTime DayCountToDosDateTime(DayCount value) noexcept;
LocalTime DosDateTimeToLocalTime(DosDateTime value) noexcept;

// General format with 15 significant digits: fixed notation unless the value is below
// 0.00001 or has more than 15 integer digits, then "1.5E20" / "1E-7" style; trailing
// zeros dropped; "NAN", "INF", "-INF" for the non-finite.
std::string FormatDayCount(DayCount value, char decimalSeparator);

// Reads text in the form FormatDayCount writes (any exponent form is accepted).
std::optional<DayCount> ParseDayCount(std::string_view text, char decimalSeparator);

}  // namespace kavrix::archive
