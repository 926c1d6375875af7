#include "archive/ArchiveNames.h"

#include <algorithm>
#include <array>

#include "archive/ArchiveFiles.h"

namespace kavrix::archive {

namespace {

constexpr std::string_view kStoredSeparators = "\\/";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

// CON, AUX, COM1, ... open devices on Windows whatever extension follows them; CONIN$,
// CONOUT$ and CLOCK$ name the console and, on older systems, the clock.
bool IsDeviceName(std::string_view element) {
  static constexpr std::array<std::string_view, 25> kDevices = {
      "con",  "prn",  "aux",  "nul",  "com1", "com2", "com3",   "com4",    "com5",
      "com6", "com7", "com8", "com9", "lpt1", "lpt2", "lpt3",   "lpt4",    "lpt5",
      "lpt6", "lpt7", "lpt8", "lpt9", "conin$", "conout$", "clock$"};
  std::string_view base = element.substr(0, element.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  return std::any_of(kDevices.begin(), kDevices.end(),
                     [&](std::string_view device) { return EqualsIgnoringCase(base, device); });
}

bool IsSafeElement(std::string_view element) {
  if (element.empty() || element == "." || element == "..") return false;
  if (element.back() == '.' || element.back() == ' ') return false;
  constexpr std::string_view kReserved = "<>:\"|?*";
  for (const char c : element) {
    if (static_cast<unsigned char>(c) < 0x20 || kReserved.find(c) != std::string_view::npos) return false;
  }
  return !IsDeviceName(element);
}

bool IsWithinBounds(std::string_view name) {
  if (name.size() > kMaxNameLength) return false;
  const auto separators = std::count_if(name.begin(), name.end(), [](char c) {
    return kStoredSeparators.find(c) != std::string_view::npos;
  });
  return static_cast<size_t>(separators) < kMaxNameDepth;
}

size_t LastDelimiter(std::string_view path) {
  for (size_t i = path.size(); i-- > 0;) {
    if (files::IsPathDelimiter(path[i])) return i;
  }
  return std::string_view::npos;
}

}  // namespace

std::string ExtractFilePath(std::string_view path) {
  const size_t at = LastDelimiter(path);
  return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

std::string ExtractFileName(std::string_view path) {
  const size_t at = LastDelimiter(path);
  return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::optional<std::string> SafeRelativePath(std::string_view storedName, bool keepDirectories) {
  std::string_view name = storedName;
  if (!name.empty() && name.front() == '\\') name.remove_prefix(1);
  if (!IsWithinBounds(name)) return std::nullopt;
  if (!keepDirectories) {
    const size_t at = name.find_last_of("\\/:");
    if (at != std::string_view::npos) name.remove_prefix(at + 1);
  }

  std::string path;
  size_t start = 0;
  for (;;) {
    const size_t end = std::min(name.find_first_of(kStoredSeparators, start), name.size());
    const std::string_view element = name.substr(start, end - start);
    if (!IsSafeElement(element)) return std::nullopt;
    path += element;
    if (end == name.size()) return path;
    path += files::PathDelimiter();
    start = end + 1;
  }
}

}  // namespace kavrix::archive
