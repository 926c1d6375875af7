#include "archive/PeVersionInfo.h"

#include <vector>

#include "archive/PeResources.h"

namespace kavrix::archive {

namespace {

constexpr uint32_t kVersionResourceType = 16;
constexpr uint16_t kVersionResourceId = 1;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoSize = 52;
constexpr size_t kBlockHeaderSize = 6;  // wLength, wValueLength, wType

uint32_t LittleEndian(std::span<const uint8_t> bytes) {
  uint32_t value = 0;
  for (size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

size_t AlignedTo4(size_t offset) { return (offset + 3) & ~size_t{3}; }

// One node of the resource's tree: a key, a value and the nodes within it.
struct Block {
  std::string key;
  std::span<const uint8_t> value;
  std::span<const uint8_t> children;
  size_t length;  // what the node takes, before the padding to the next one
};

// The UTF-16 text of `units` up to its terminator, characters above 0x7F as '?'; the
// length read (terminator included) in `consumed`, in bytes. Nothing without a terminator.
std::optional<std::string> ReadText(std::span<const uint8_t> units, size_t& consumed) {
  std::string text;
  for (size_t at = 0; at + 2 <= units.size(); at += 2) {
    const uint32_t unit = LittleEndian(units.subspan(at, 2));
    if (unit == 0) {
      consumed = at + 2;
      return text;
    }
    text += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  return std::nullopt;
}

// The node at the start of `bytes`. Text values count their length in characters,
// binary ones in bytes.
std::optional<Block> ReadBlock(std::span<const uint8_t> bytes) {
  if (bytes.size() < kBlockHeaderSize) return std::nullopt;
  const size_t length = LittleEndian(bytes.subspan(0, 2));
  const size_t valueLength = LittleEndian(bytes.subspan(2, 2));
  const bool isText = LittleEndian(bytes.subspan(4, 2)) == 1;
  if (length < kBlockHeaderSize || length > bytes.size()) return std::nullopt;
  const std::span<const uint8_t> node = bytes.first(length);

  size_t keyBytes = 0;
  std::optional<std::string> key = ReadText(node.subspan(kBlockHeaderSize), keyBytes);
  if (!key) return std::nullopt;
  const size_t valueAt = std::min(AlignedTo4(kBlockHeaderSize + keyBytes), length);
  const size_t valueBytes = isText ? 2 * valueLength : valueLength;
  if (valueBytes > length - valueAt) return std::nullopt;
  const size_t childrenAt = std::min(AlignedTo4(valueAt + valueBytes), length);
  return Block{std::move(*key), node.subspan(valueAt, valueBytes), node.subspan(childrenAt), length};
}

// Calls `visit` for each node of a list of siblings; false when one is malformed.
template <typename Visit>
bool ForEachBlock(std::span<const uint8_t> list, Visit visit) {
  size_t at = 0;
  while (at < list.size()) {
    const std::optional<Block> block = ReadBlock(list.subspan(at));
    if (!block || !visit(*block)) return false;
    at = AlignedTo4(at + block->length);
  }
  return true;
}

std::array<uint16_t, 4> VersionParts(std::span<const uint8_t> mostAndLeast) {
  const uint32_t most = LittleEndian(mostAndLeast.subspan(0, 4));
  const uint32_t least = LittleEndian(mostAndLeast.subspan(4, 4));
  return {static_cast<uint16_t>(most >> 16), static_cast<uint16_t>(most), static_cast<uint16_t>(least >> 16),
          static_cast<uint16_t>(least)};
}

bool ReadStringTable(std::span<const uint8_t> tables, std::map<std::string, std::string>& strings) {
  bool first = true;
  return ForEachBlock(tables, [&](const Block& table) {
    if (!first) return true;
    first = false;
    return ForEachBlock(table.children, [&](const Block& entry) {
      size_t consumed = 0;
      // An empty value may be stored without even its terminator.
      const std::optional<std::string> text = entry.value.empty() ? std::string() : ReadText(entry.value, consumed);
      if (!text) return false;
      strings[entry.key] = *text;
      return true;
    });
  });
}

}  // namespace

std::optional<PeVersionInfo> ReadPeVersionInfo(std::span<const uint8_t> file) {
  const std::optional<std::vector<uint8_t>> resource =
      ReadPeResourceData(file, kVersionResourceType, kVersionResourceId);
  const std::optional<Block> root = resource ? ReadBlock(*resource) : std::nullopt;
  if (!root || root->key != "VS_VERSION_INFO" || root->value.size() < kFixedInfoSize ||
      LittleEndian(root->value.first(4)) != kFixedInfoSignature) {
    return std::nullopt;
  }
  PeVersionInfo info;
  info.fileVersion = VersionParts(root->value.subspan(8, 8));
  info.productVersion = VersionParts(root->value.subspan(16, 8));
  const bool wellFormed = ForEachBlock(root->children, [&info](const Block& child) {
    return child.key != "StringFileInfo" || ReadStringTable(child.children, info.strings);
  });
  if (!wellFormed) return std::nullopt;
  return info;
}

}  // namespace kavrix::archive
