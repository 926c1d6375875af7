#include "archive/ArchiveDates.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kavrix::archive {

namespace {

constexpr int64_t kMsPerDay = 86'400'000;
constexpr int kDosFirstYear = 1980;
constexpr int kDosLastYear = 2099;

// Days since 1 March of year 0 in the proleptic Gregorian calendar, and back.
constexpr int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) noexcept {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra;
}

void CivilFromDays(int64_t days, LocalTime& time) noexcept {
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  time.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  time.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  time.year = static_cast<int>(yearOfEra + era * 400 + (time.month <= 2));
}

// [-]digits[.digits][E[+|-]digits], either run of digits before the exponent may be
// empty but not both: the numbers FormatDayCount writes, and no spaces, "inf", "nan" or
// hexadecimal, which the C library would also take.
bool IsDecimalNumber(std::string_view text) noexcept {
  size_t at = 0;
  const auto digits = [&] {
    const size_t first = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    return at - first;
  };
  if (at < text.size() && text[at] == '-') ++at;
  size_t mantissaDigits = digits();
  if (at < text.size() && text[at] == '.') {
    ++at;
    mantissaDigits += digits();
  }
  if (mantissaDigits == 0) return false;
  if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    if (digits() == 0) return false;
  }
  return at == text.size();
}

constexpr int64_t kDayCountEpoch = DaysFromCivil(1899, 12, 30);
constexpr int64_t kFirstDay = DaysFromCivil(1, 1, 1) - kDayCountEpoch;
constexpr int64_t kLastDay = DaysFromCivil(9999, 12, 31) - kDayCountEpoch;

}  // namespace

DayCount EncodeDayCount(const LocalTime& time) noexcept {
  const int64_t days = DaysFromCivil(time.year, time.month, time.day) - kDayCountEpoch;
  const int64_t ms = ((time.hour * 60 + time.minute) * 60 + time.second) * int64_t{1000} + time.millisecond;
  const double fraction = static_cast<double>(ms) / static_cast<double>(kMsPerDay);
  return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

std::optional<LocalTime> DecodeDayCount(DayCount value) noexcept {
  if (!std::isfinite(value) || value <= static_cast<double>(kFirstDay - 1) ||
      value >= static_cast<double>(kLastDay + 1)) {
    return std::nullopt;
  }
  const double whole = std::trunc(value);
  int64_t days = static_cast<int64_t>(whole);
  int64_t ms = std::llround(std::fabs(value - whole) * static_cast<double>(kMsPerDay));
  if (ms == kMsPerDay) {  // rounded up to the next midnight, in the direction days run
    ms = 0;
    days += value >= 0 ? 1 : -1;
  }
  if (days < kFirstDay || days > kLastDay) return std::nullopt;

  LocalTime time;
  CivilFromDays(days + kDayCountEpoch, time);
  time.millisecond = static_cast<int>(ms % 1000);
  time.second = static_cast<int>(ms / 1000 % 60);
  time.minute = static_cast<int>(ms / 60'000 % 60);
  time.hour = static_cast<int>(ms / 3'600'000);
  return time;
}

DosDateTime DayCountToDosDateTime(DayCount value) noexcept {
  const std::optional<LocalTime> time = DecodeDayCount(value);
  if (!time || time->year < kDosFirstYear || time->year > kDosLastYear) return 0;
  const uint32_t date =
      static_cast<uint32_t>(((time->year - kDosFirstYear) << 9) | (time->month << 5) | time->day);
  const uint32_t clock = static_cast<uint32_t>((time->hour << 11) | (time->minute << 5) | (time->second / 2));
  return date << 16 | clock;
}

LocalTime DosDateTimeToLocalTime(DosDateTime value) noexcept {
  LocalTime time;
  time.year = static_cast<int>(value >> 25) + kDosFirstYear;
  time.month = static_cast<int>(value >> 21 & 0x0F);
  time.day = static_cast<int>(value >> 16 & 0x1F);
  time.hour = static_cast<int>(value >> 11 & 0x1F);
  time.minute = static_cast<int>(value >> 5 & 0x3F);
  time.second = static_cast<int>(value & 0x1F) * 2;
  return time;
}

std::string FormatDayCount(DayCount value, char decimalSeparator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";

  // "d.dddddddddddddde±x": the 15 significant digits, rounded, and their exponent.
  char scientific[32];
  std::snprintf(scientific, sizeof scientific, "%.14e", value);
  const std::string_view text(scientific);
  const bool negative = text.front() == '-';
  const size_t mantissaStart = negative ? 1 : 0;
  const size_t exponentMark = text.find('e');
  std::string digits;
  for (size_t i = mantissaStart; i < exponentMark; ++i) {
    if (text[i] >= '0' && text[i] <= '9') digits += text[i];  // whatever point the C locale uses
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const int exponent = std::atoi(scientific + exponentMark + 1);

  std::string result = negative ? "-" : "";
  const auto appendFraction = [&](size_t from) {
    if (digits.size() <= from) return;
    result += decimalSeparator;
    result.append(digits, from);
  };
  if (std::fabs(value) >= 0.00001 && exponent < 15) {
    if (exponent >= 0) {
      const size_t integerDigits = static_cast<size_t>(exponent) + 1;
      if (digits.size() < integerDigits) digits.append(integerDigits - digits.size(), '0');
      result.append(digits, 0, integerDigits);
      appendFraction(integerDigits);
    } else {
      result += '0';
      result += decimalSeparator;
      result.append(static_cast<size_t>(-exponent - 1), '0');
      result += digits;
    }
  } else {
    result += digits.front();
    appendFraction(1);
    result += 'E';
    result += std::to_string(exponent);
  }
  return result;
}

std::optional<DayCount> ParseDayCount(std::string_view text, char decimalSeparator) {
  std::string normal(text);
  for (char& c : normal) {
    if (c == decimalSeparator) {
      c = '.';
    } else if (c == '.') {
      return std::nullopt;  // a point is only a separator when it is the user's
    }
  }
  if (!IsDecimalNumber(normal)) return std::nullopt;
  // strtod, not from_chars: the floating-point from_chars links about 40 KB into every
  // program, and the grammar is checked above. Both read the C locale's point, which is
  // the only one these programs use.
  return std::strtod(normal.c_str(), nullptr);
}

}  // namespace kavrix::archive
