#pragma once
// A string resource of a PE image (32- or 64-bit), read from the file alone, for the
// platforms that cannot load Windows executables. It answers as LoadString does for
// the self-extracting hosts' purposes; every structure it follows is bounds-checked.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kavrix::archive {

// Fills `bytes` from `offset` of the file and returns true, or returns false when they
// are not all there.
using ReadAtFunction = std::function<bool(uint64_t offset, std::span<uint8_t> bytes)>;

// String `id` as LoadString copies it into a buffer of `bufferChars` (at least 1)
// 8-bit characters: at most bufferChars - 1 of them, characters above 0x7F as '?'. Of the
// languages of the string's block, the neutral one is taken, else the lowest. Nothing
// when the file is no PE image, has no such string, or the string is empty.
std::optional<std::string> ReadPeStringResource(const ReadAtFunction& readAt, uint16_t id,
                                                size_t bufferChars);

// The same over an image held in memory.
std::optional<std::string> ReadPeStringResource(std::span<const uint8_t> image, uint16_t id,
                                                size_t bufferChars);

// Where string `id` lies in a PE file held in memory, for rewriting it in place: the file
// offset of its first UTF-16LE unit and its length in units (never 0). Nothing when the
// reader above finds no such string, or when the string does not lie whole in the file.
struct PeStringLocation {
  uint64_t fileOffset;
  uint16_t length;
};
std::optional<PeStringLocation> LocatePeStringResource(std::span<const uint8_t> file, uint16_t id);

// The bytes of resource `name` (matched without regard to case) of numbered type `type`
// (10 for RCDATA) in a PE file held in memory, in the language LoadString would take;
// nothing when there is no such resource or it does not lie within the file.
std::optional<std::vector<uint8_t>> ReadPeResourceData(std::span<const uint8_t> file, uint32_t type,
                                                       const std::string& name);
// The same for a resource with a numeric `id` (16 and 1 for the version information).
std::optional<std::vector<uint8_t>> ReadPeResourceData(std::span<const uint8_t> file, uint32_t type,
                                                       uint16_t id);

}  // namespace kavrix::archive
