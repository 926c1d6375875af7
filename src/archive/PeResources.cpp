#include "archive/PeResources.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace kavrix::archive {

namespace {

constexpr uint16_t kDosMagic = 0x5A4D;         // "MZ"
constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr uint32_t kNewHeaderPointer = 0x3C;
constexpr size_t kFileHeaderSize = 20;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr size_t kSectionHeaderSize = 40;
constexpr uint32_t kStringResourceType = 6;
constexpr uint32_t kSubdirectoryFlag = 0x80000000;
constexpr uint16_t kNeutralLanguage = 0;
constexpr int kStringsPerBlock = 16;

uint32_t LittleEndian(std::span<const uint8_t> bytes) {
  uint32_t value = 0;
  for (size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

struct Section {
  uint32_t virtualAddress;
  uint32_t rawSize;
  uint32_t rawPointer;
};

struct ResourceEntry {
  uint32_t nameOrId;
  uint32_t offset;
};

// The parts of the image the lookup needs; each read fails as a whole when it leaves
// the file or the raw data of every section.
class PeImage {
 public:
  explicit PeImage(const ReadAtFunction& readAt) : readAt_(readAt) {}

  // Reads the headers; false when the file is no PE image or has no resources.
  bool Open() {
    uint16_t dosMagic = 0;
    uint32_t newHeader = 0;
    if (!ReadFileValue(0, dosMagic) || dosMagic != kDosMagic) return false;
    if (!ReadFileValue(kNewHeaderPointer, newHeader)) return false;
    uint32_t signature = 0;
    uint8_t fileHeader[kFileHeaderSize];
    const uint64_t fileHeaderAt = uint64_t{newHeader} + 4;
    if (!ReadFileValue(newHeader, signature) || signature != kPeSignature ||
        !readAt_(fileHeaderAt, fileHeader)) {
      return false;
    }
    const uint32_t sectionCount = LittleEndian({fileHeader + 2, 2});
    const uint32_t optionalSize = LittleEndian({fileHeader + 16, 2});
    const uint64_t optionalAt = fileHeaderAt + kFileHeaderSize;

    uint16_t magic = 0;
    if (!ReadFileValue(optionalAt, magic)) return false;
    uint32_t directoriesAt = 0;  // the data directories follow their count
    if (magic == kMagicPe32) {
      directoriesAt = 96;
    } else if (magic == kMagicPe32Plus) {
      directoriesAt = 112;
    } else {
      return false;
    }
    uint32_t directoryCount = 0;
    const uint32_t resourceAt = directoriesAt + 8 * kResourceDirectoryIndex;
    uint32_t resourceRva = 0;
    if (!ReadFileValue(optionalAt + directoriesAt - 4, directoryCount) ||
        directoryCount <= kResourceDirectoryIndex || resourceAt + 8 > optionalSize ||
        !ReadFileValue(optionalAt + resourceAt, resourceRva) || resourceRva == 0) {
      return false;
    }
    resourceRva_ = resourceRva;

    std::vector<uint8_t> table(sectionCount * kSectionHeaderSize);
    if (!readAt_(optionalAt + optionalSize, table)) return false;
    for (uint32_t i = 0; i < sectionCount; ++i) {
      const uint8_t* header = table.data() + i * kSectionHeaderSize;
      // VirtualAddress, SizeOfRawData, PointerToRawData
      sections_.push_back(
          {LittleEndian({header + 12, 4}), LittleEndian({header + 16, 4}), LittleEndian({header + 20, 4})});
    }
    return true;
  }

  // Where `size` bytes at an address of the loaded image lie in the file: only when the
  // raw data of one section holds them all.
  std::optional<uint64_t> FileOffset(uint64_t rva, uint64_t size) const {
    for (const Section& section : sections_) {
      if (rva >= section.virtualAddress && rva - section.virtualAddress + size <= section.rawSize) {
        return section.rawPointer + (rva - section.virtualAddress);
      }
    }
    return std::nullopt;
  }

  // Reads at an address of the loaded image.
  bool ReadRva(uint64_t rva, std::span<uint8_t> bytes) const {
    const std::optional<uint64_t> offset = FileOffset(rva, bytes.size());
    return offset && readAt_(*offset, bytes);
  }

  // The entries of the resource directory at `offset` from the resource root.
  std::optional<std::vector<ResourceEntry>> ReadDirectory(uint32_t offset) const {
    uint8_t header[16];
    if (!ReadRva(uint64_t{resourceRva_} + offset, header)) return std::nullopt;
    const uint32_t count = LittleEndian({header + 12, 2}) + LittleEndian({header + 14, 2});
    std::vector<uint8_t> raw(count * 8);
    if (!ReadRva(uint64_t{resourceRva_} + offset + sizeof header, raw)) return std::nullopt;
    std::vector<ResourceEntry> entries(count);
    for (uint32_t i = 0; i < count; ++i) {
      entries[i] = {LittleEndian({raw.data() + 8 * i, 4}), LittleEndian({raw.data() + 8 * i + 4, 4})};
    }
    return entries;
  }

  template <typename T>
  bool ReadRvaValue(uint64_t rva, T& value) const {
    uint8_t bytes[sizeof(T)];
    if (!ReadRva(rva, bytes)) return false;
    value = static_cast<T>(LittleEndian(bytes));
    return true;
  }

  uint32_t ResourceRva() const noexcept { return resourceRva_; }

 private:
  template <typename T>
  bool ReadFileValue(uint64_t offset, T& value) const {
    uint8_t bytes[sizeof(T)];
    if (!readAt_(offset, bytes)) return false;
    value = static_cast<T>(LittleEndian(bytes));
    return true;
  }

  const ReadAtFunction& readAt_;
  uint32_t resourceRva_ = 0;
  std::vector<Section> sections_;
};

// The subdirectory that `id` names in `entries`, as an offset from the resource root.
std::optional<uint32_t> Subdirectory(const std::vector<ResourceEntry>& entries, uint32_t id) {
  for (const ResourceEntry& entry : entries) {
    if (entry.nameOrId == id) {
      if ((entry.offset & kSubdirectoryFlag) == 0) return std::nullopt;
      return entry.offset & ~kSubdirectoryFlag;
    }
  }
  return std::nullopt;
}

// The data entry of the block's chosen language, as an offset from the resource root.
std::optional<uint32_t> LanguageData(const std::vector<ResourceEntry>& languages) {
  const ResourceEntry* chosen = nullptr;
  for (const ResourceEntry& entry : languages) {
    if ((entry.nameOrId & kSubdirectoryFlag) != 0) continue;  // languages are numbers
    if (entry.nameOrId == kNeutralLanguage) {
      chosen = &entry;
      break;
    }
    if (chosen == nullptr || entry.nameOrId < chosen->nameOrId) chosen = &entry;
  }
  if (chosen == nullptr || (chosen->offset & kSubdirectoryFlag) != 0) return std::nullopt;
  return chosen->offset;
}

// The named entry of `entries` whose name equals `name` without regard to ASCII case,
// as the system matches resource names; its offset from the resource root.
std::optional<uint32_t> NamedEntry(const PeImage& image, const std::vector<ResourceEntry>& entries,
                                   const std::string& name) {
  for (const ResourceEntry& entry : entries) {
    if ((entry.nameOrId & kSubdirectoryFlag) == 0) continue;  // a number, not a name
    const uint64_t at = uint64_t{image.ResourceRva()} + (entry.nameOrId & ~kSubdirectoryFlag);
    uint16_t length = 0;
    if (!image.ReadRvaValue(at, length) || length != name.size()) continue;
    std::vector<uint8_t> units(2u * length);
    if (!image.ReadRva(at + 2, units)) continue;
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i) {
      const uint32_t unit = LittleEndian({units.data() + 2 * i, 2});
      same = unit < 0x80 && std::toupper(static_cast<unsigned char>(unit)) ==
                                std::toupper(static_cast<unsigned char>(name[i]));
    }
    if (same) return entry.offset;
  }
  return std::nullopt;
}

// String `id` of an opened image: the address of its first UTF-16 unit and its length,
// which is never 0.
struct StringSpot {
  uint64_t rva;
  uint16_t length;
};

std::optional<StringSpot> FindString(const PeImage& image, uint16_t id) {
  const auto root = image.ReadDirectory(0);
  const std::optional<uint32_t> types = root ? Subdirectory(*root, kStringResourceType) : std::nullopt;
  const auto typeEntries = types ? image.ReadDirectory(*types) : std::nullopt;
  const std::optional<uint32_t> block =
      typeEntries ? Subdirectory(*typeEntries, uint32_t{id} / kStringsPerBlock + 1u) : std::nullopt;
  const auto languages = block ? image.ReadDirectory(*block) : std::nullopt;
  const std::optional<uint32_t> data = languages ? LanguageData(*languages) : std::nullopt;
  if (!data) return std::nullopt;
  uint32_t blockRva = 0;
  uint32_t blockSize = 0;
  if (!image.ReadRvaValue(uint64_t{image.ResourceRva()} + *data, blockRva) ||
      !image.ReadRvaValue(uint64_t{image.ResourceRva()} + *data + 4, blockSize)) {
    return std::nullopt;
  }

  // The block: 16 strings, each a 16-bit length and that many UTF-16 units.
  uint64_t at = blockRva;
  const uint64_t end = uint64_t{blockRva} + blockSize;
  for (int index = 0; index < kStringsPerBlock; ++index) {
    uint16_t length = 0;
    if (at + 2 > end || !image.ReadRvaValue(at, length)) return std::nullopt;
    at += 2;
    if (index == id % kStringsPerBlock) {
      if (length == 0 || at + 2u * length > end) return std::nullopt;
      return StringSpot{at, length};
    }
    at += 2u * length;
  }
  return std::nullopt;
}

ReadAtFunction MemoryReader(std::span<const uint8_t> image) {
  return [image](uint64_t offset, std::span<uint8_t> bytes) {
    if (offset > image.size() || bytes.size() > image.size() - offset) return false;
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), bytes.size(), bytes.begin());
    return true;
  };
}

}  // namespace

std::optional<std::string> ReadPeStringResource(const ReadAtFunction& readAt, uint16_t id,
                                                size_t bufferChars) {
  PeImage image(readAt);
  if (bufferChars == 0 || !image.Open()) return std::nullopt;
  const std::optional<StringSpot> spot = FindString(image, id);
  if (!spot) return std::nullopt;
  // The whole string must be there, whatever part of it the buffer keeps: a string cut
  // short by the end of the file is not found with any buffer size.
  std::vector<uint8_t> units(2u * spot->length);
  if (!image.ReadRva(spot->rva, units)) return std::nullopt;
  const size_t kept = std::min<size_t>(spot->length, bufferChars - 1);
  std::string text(kept, '?');
  for (size_t i = 0; i < kept; ++i) {
    const uint32_t unit = LittleEndian({units.data() + 2 * i, 2});
    if (unit < 0x80) text[i] = static_cast<char>(unit);
  }
  return text;
}

std::optional<std::string> ReadPeStringResource(std::span<const uint8_t> image, uint16_t id,
                                                size_t bufferChars) {
  return ReadPeStringResource(MemoryReader(image), id, bufferChars);
}

std::optional<PeStringLocation> LocatePeStringResource(std::span<const uint8_t> file, uint16_t id) {
  const ReadAtFunction readAt = MemoryReader(file);
  PeImage image(readAt);
  if (!image.Open()) return std::nullopt;
  const std::optional<StringSpot> spot = FindString(image, id);
  const std::optional<uint64_t> offset = spot ? image.FileOffset(spot->rva, 2u * spot->length) : std::nullopt;
  // The section may claim more raw data than the file holds.
  if (!offset || *offset > file.size() || 2u * spot->length > file.size() - *offset) return std::nullopt;
  return PeStringLocation{*offset, spot->length};
}

namespace {

// The bytes of the resource of type `type` that `pick` chooses among the type's entries.
std::optional<std::vector<uint8_t>> ReadResourceData(
    std::span<const uint8_t> file, uint32_t type,
    const std::function<std::optional<uint32_t>(const PeImage&, const std::vector<ResourceEntry>&)>& pick) {
  const ReadAtFunction readAt = MemoryReader(file);
  PeImage image(readAt);
  if (!image.Open()) return std::nullopt;
  const auto root = image.ReadDirectory(0);
  const std::optional<uint32_t> types = root ? Subdirectory(*root, type) : std::nullopt;
  const auto typeEntries = types ? image.ReadDirectory(*types) : std::nullopt;
  const std::optional<uint32_t> picked = typeEntries ? pick(image, *typeEntries) : std::nullopt;
  if (!picked) return std::nullopt;
  const auto languages = image.ReadDirectory(*picked);
  const std::optional<uint32_t> data = languages ? LanguageData(*languages) : std::nullopt;
  if (!data) return std::nullopt;
  uint32_t rva = 0;
  uint32_t size = 0;
  if (!image.ReadRvaValue(uint64_t{image.ResourceRva()} + *data, rva) ||
      !image.ReadRvaValue(uint64_t{image.ResourceRva()} + *data + 4, size)) {
    return std::nullopt;
  }
  if (size > file.size()) return std::nullopt;  // before allocating: the file must hold them
  std::vector<uint8_t> bytes(size);
  if (!image.ReadRva(rva, bytes)) return std::nullopt;
  return bytes;
}

}  // namespace

std::optional<std::vector<uint8_t>> ReadPeResourceData(std::span<const uint8_t> file, uint32_t type,
                                                       const std::string& name) {
  return ReadResourceData(file, type, [&name](const PeImage& image, const std::vector<ResourceEntry>& entries) {
    const std::optional<uint32_t> named = NamedEntry(image, entries, name);
    return named && (*named & kSubdirectoryFlag) != 0 ? std::optional<uint32_t>(*named & ~kSubdirectoryFlag)
                                                      : std::nullopt;
  });
}

std::optional<std::vector<uint8_t>> ReadPeResourceData(std::span<const uint8_t> file, uint32_t type,
                                                       uint16_t id) {
  return ReadResourceData(file, type, [id](const PeImage&, const std::vector<ResourceEntry>& entries) {
    return Subdirectory(entries, id);
  });
}

}  // namespace kavrix::archive
