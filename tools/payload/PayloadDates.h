#pragma once
// Dates of a packed product, clamped to a moment, so that a product folder packs to the
// same bytes however recently its files were written (a folder staged by the build is
// written anew by every build).

#include <cstdint>
#include <vector>

#include "archive/ArchiveFormat.h"

namespace kavrix::payload {

// The day count of `secondsSinceEpoch` (seconds since 1970-01-01 00:00 UTC) in this
// machine's local time, as file dates are read when packing.
archive::DayCount LocalDayCount(int64_t secondsSinceEpoch);

// Sets every entry date of `archive` (an archive starting at byte 0) that is later than
// `latest` to `latest`; the packed streams stay as they are. Throws std::runtime_error
// when the bytes hold no readable archive directory.
void ClampArchiveDates(std::vector<uint8_t>& archive, archive::DayCount latest);

}  // namespace kavrix::payload
