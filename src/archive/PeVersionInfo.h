#pragma once
// The version information of a PE file (its VERSIONINFO resource), read from the file
// alone, so the build machine can check what Explorer and the system will show.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

namespace kavrix::archive {

struct PeVersionInfo {
  // Most significant part first: 2.0.0.0 is {2, 0, 0, 0}.
  std::array<uint16_t, 4> fileVersion{};
  std::array<uint16_t, 4> productVersion{};
  // The first string table's values by name ("ProductName", "FileVersion", ...),
  // characters above 0x7F as '?'.
  std::map<std::string, std::string> strings;
};

// Nothing when the file is no PE image, has no version resource, or the resource's
// blocks do not nest within their stated lengths.
std::optional<PeVersionInfo> ReadPeVersionInfo(std::span<const uint8_t> file);

}  // namespace kavrix::archive
