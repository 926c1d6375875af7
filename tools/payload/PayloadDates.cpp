#include "payload/PayloadDates.h"

#include <algorithm>
#include <ctime>
#include <optional>
#include <stdexcept>

#include "archive/ArchiveDates.h"

namespace kavrix::payload {

archive::DayCount LocalDayCount(int64_t secondsSinceEpoch) {
  const auto moment = static_cast<std::time_t>(secondsSinceEpoch);
  // The tool is single-threaded, so the shared result of localtime is safe to read.
  const std::tm* local = std::localtime(&moment);
  if (local == nullptr) throw std::runtime_error("no local time for " + std::to_string(secondsSinceEpoch));
  return archive::EncodeDayCount({local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, local->tm_hour,
                                  local->tm_min, local->tm_sec, 0});
}

void ClampArchiveDates(std::vector<uint8_t>& archive, archive::DayCount latest) {
  size_t readAt = 0;
  std::vector<archive::DirectoryEntry> entries;
  const std::optional<uint32_t> directorySize =
      archive::ReadDirectory(archive::MemorySource(archive, readAt), [&entries](archive::DirectoryEntry&& entry) { entries.push_back(std::move(entry)); });
  if (!directorySize) throw std::runtime_error("no archive directory to clamp the dates of");

  for (archive::DirectoryEntry& entry : entries) entry.date = std::min(entry.date, latest);
  std::vector<uint8_t> clamped;
  archive::WriteDirectory(entries, clamped);
  clamped.insert(clamped.end(), archive.begin() + *directorySize, archive.end());
  archive.swap(clamped);
}

}  // namespace kavrix::payload
