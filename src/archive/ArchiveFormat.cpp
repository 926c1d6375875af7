#include "archive/ArchiveFormat.h"

#include <algorithm>
#include <bit>
#include <charconv>

namespace kavrix::archive {

namespace {

constexpr int kDoubleBias = 1023;
constexpr int kExtendedBias = 16383;
constexpr uint16_t kExtendedMaxExponent = 0x7FFF;
constexpr uint64_t kIntegerBit = uint64_t{1} << 63;
constexpr int kDoubleFractionBits = 52;

constexpr uint64_t kDoubleInfinity = uint64_t{0x7FF} << kDoubleFractionBits;
constexpr uint64_t kDoubleQuietNaN = kDoubleInfinity | (uint64_t{1} << (kDoubleFractionBits - 1));

// value >> shift, rounded to nearest with ties to even.
uint64_t RoundedShift(uint64_t value, unsigned shift) noexcept {
  if (shift > 64) return 0;
  if (shift == 64) return value > (uint64_t{1} << 63) ? 1 : 0;
  const uint64_t kept = value >> shift;
  const uint64_t rest = value & ((uint64_t{1} << shift) - 1);
  const uint64_t half = uint64_t{1} << (shift - 1);
  return kept + ((rest > half || (rest == half && (kept & 1) != 0)) ? 1 : 0);
}

uint64_t GetLittleEndian(std::span<const uint8_t> bytes) {
  uint64_t value = 0;
  for (size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

// Reads values on top of a ByteSource, counting what it consumes. Every failure ends
// the directory, so it is reported by exception and caught once in ReadDirectory.
class ValueReader {
 public:
  struct Unreadable {};

  explicit ValueReader(const ByteSource& source) : source_(source) {}

  uint32_t Consumed() const noexcept { return consumed_; }

  void Read(std::span<uint8_t> bytes) {
    if (!bytes.empty() && !source_(bytes)) throw Unreadable{};
    consumed_ += static_cast<uint32_t>(bytes.size());
  }

  uint8_t ReadByte() {
    uint8_t byte = 0;
    Read({&byte, 1});
    return byte;
  }

  TValueType ReadTag() { return static_cast<TValueType>(ReadByte()); }

  int32_t ReadInteger() { return IntegerPayload(ReadTag()); }

  std::string StringPayload(TValueType tag) {
    uint32_t length = 0;
    if (tag == TValueType::vaString) {
      length = ReadByte();
    } else if (tag == TValueType::vaLString) {
      const int32_t announced = FixedInteger(4);
      if (announced < 0) throw Unreadable{};
      length = static_cast<uint32_t>(announced);
    } else {
      throw Unreadable{};
    }
    // In steps, so a bogus length fails at the end of the data instead of allocating.
    constexpr uint32_t kStep = 65536;
    std::string text;
    while (text.size() < length) {
      const size_t done = text.size();
      text.resize(done + std::min<uint32_t>(kStep, length - static_cast<uint32_t>(done)));
      Read({reinterpret_cast<uint8_t*>(text.data()) + done, text.size() - done});
    }
    return text;
  }

  double ReadDate() {
    const TValueType tag = ReadTag();
    if (tag != TValueType::vaExtended) return IntegerPayload(tag);
    ExtendedBytes bytes{};
    Read(bytes);
    return ExtendedToDouble(bytes);
  }

 private:
  // clang-format off
  int32_t IntegerPayload(TValueType tag) {
    switch (tag) {
      case TValueType::vaInt8: return FixedInteger(1);
      case TValueType::vaInt16: return FixedInteger(2);
      case TValueType::vaInt32: return FixedInteger(4);
      default: throw Unreadable{};
    }
  }
  // clang-format on

  // A signed little-endian integer of `size` bytes.
  int32_t FixedInteger(size_t size) {
    uint8_t bytes[4] = {};
    Read({bytes, size});
    const uint32_t value = static_cast<uint32_t>(GetLittleEndian({bytes, size}));
    const unsigned unusedBits = static_cast<unsigned>(32 - 8 * size);
    return static_cast<int32_t>(value << unusedBits) >> unusedBits;
  }

  const ByteSource& source_;
  uint32_t consumed_ = 0;
};

}  // namespace

ExtendedBytes DoubleToExtended(double value) noexcept {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  const uint16_t sign = static_cast<uint16_t>((bits >> 63) << 15);
  const int exponent = static_cast<int>((bits >> kDoubleFractionBits) & 0x7FF);
  uint64_t fraction = bits & ((uint64_t{1} << kDoubleFractionBits) - 1);

  uint16_t signAndExponent = sign;
  uint64_t significand = 0;
  if (exponent == 0x7FF) {  // infinity or NaN
    signAndExponent |= kExtendedMaxExponent;
    significand = kIntegerBit | (fraction << 11);
  } else if (exponent != 0 || fraction != 0) {
    int unbiased = exponent - kDoubleBias;
    if (exponent == 0) {  // subnormal: normal in the wider exponent range
      const int shift = std::countl_zero(fraction) - 11;
      fraction = (fraction << shift) & ((uint64_t{1} << kDoubleFractionBits) - 1);
      unbiased = 1 - kDoubleBias - shift;
    }
    signAndExponent |= static_cast<uint16_t>(unbiased + kExtendedBias);
    significand = kIntegerBit | (fraction << 11);
  }

  ExtendedBytes bytes{};
  for (size_t i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(significand >> (8 * i));
  bytes[8] = static_cast<uint8_t>(signAndExponent);
  bytes[9] = static_cast<uint8_t>(signAndExponent >> 8);
  return bytes;
}

double ExtendedToDouble(const ExtendedBytes& bytes) noexcept {
  // Integer arithmetic only: on x87 a floating-point result keeps the extended range
  // until it is stored, so an out-of-range value would not become an infinity or zero.
  uint64_t significand = GetLittleEndian({bytes.data(), 8});
  const uint16_t signAndExponent = static_cast<uint16_t>(bytes[8] | (bytes[9] << 8));
  const uint64_t sign = static_cast<uint64_t>(signAndExponent >> 15) << 63;
  const int exponent = signAndExponent & kExtendedMaxExponent;

  uint64_t bits = 0;
  if (exponent == kExtendedMaxExponent) {
    bits = (significand << 1) == 0 ? kDoubleInfinity : kDoubleQuietNaN;
  } else if (significand != 0) {
    // Denormal and unnormal encodings simply take their value.
    const int shift = std::countl_zero(significand);
    significand <<= shift;
    const int64_t doubleExponent =
        int64_t{exponent == 0 ? 1 : exponent} - kExtendedBias - shift + kDoubleBias;
    if (doubleExponent >= 0x7FF) {
      bits = kDoubleInfinity;
    } else if (doubleExponent >= 1) {
      // The hidden bit adds one to the exponent field, and a rounding carry one more
      // (up to exactly the infinity's bits).
      bits =
          (static_cast<uint64_t>(doubleExponent - 1) << kDoubleFractionBits) + RoundedShift(significand, 11);
    } else {
      bits = RoundedShift(significand, static_cast<unsigned>(11 + 1 - doubleExponent));
    }
  }
  return std::bit_cast<double>(sign | bits);
}

void WriteDirectory(std::span<const DirectoryEntry> entries, std::vector<uint8_t>& out) {
  TWriter writer(out);
  writer.WriteValue(TValueType::vaList);
  for (const DirectoryEntry& entry : entries) {
    writer.WriteString(entry.name);
    writer.WriteInteger(entry.unpackedSize);
    writer.WriteInteger(entry.packedSize);
    writer.WriteInteger(entry.dataOffset);
    writer.WriteInteger(entry.attributes);
    writer.WriteValue(TValueType::vaExtended);
    writer.Write(DoubleToExtended(entry.date));
  }
  writer.WriteListEnd();
}

ByteSource MemorySource(std::span<const uint8_t> bytes, size_t& position) {
  return [bytes, &position](std::span<uint8_t> out) {
    if (position > bytes.size() || out.size() > bytes.size() - position) return false;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(position), out.size(), out.begin());
    position += out.size();
    return true;
  };
}

std::optional<uint32_t> ReadDirectory(const ByteSource& source,
                                      const std::function<void(DirectoryEntry&&)>& onEntry) {
  ValueReader reader(source);
  try {
    if (reader.ReadTag() != TValueType::vaList) return std::nullopt;
    // The name's tag doubles as the end test: 0x00 there is the list end.
    for (TValueType tag = reader.ReadTag(); tag != TValueType::vaNull; tag = reader.ReadTag()) {
      DirectoryEntry entry;
      entry.name = reader.StringPayload(tag);
      entry.unpackedSize = reader.ReadInteger();
      entry.packedSize = reader.ReadInteger();
      entry.dataOffset = reader.ReadInteger();
      entry.attributes = reader.ReadInteger();
      entry.date = reader.ReadDate();
      onEntry(std::move(entry));
    }
  } catch (const ValueReader::Unreadable&) {
    return std::nullopt;
  }
  return reader.Consumed();
}

int32_t ParseArchiveStart(std::string_view text) noexcept {
  if (text.empty() || text.size() > kArchiveStartBufferChars - 1) return 0;
  const char* first = text.data();
  const char* const last = text.data() + text.size();
  if (*first == '+') ++first;  // from_chars takes a minus sign but no plus sign
  int32_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last) return 0;
  return value > 0 ? value : 0;
}

}  // namespace kavrix::archive
