#include "archive/CodePage1252.h"

#include <array>
#include <cstdint>

namespace kavrix::archive {

namespace {

// The characters at 0x80 to 0x9F; 0 where the code page leaves the byte undefined.
constexpr std::array<char32_t, 32> kHighControlRange = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<char> CodePageByte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (size_t i = 0; i < kHighControlRange.size(); ++i) {
    if (kHighControlRange[i] == c) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

struct LeadByte {
  size_t continuations;
  char32_t bits;
  char32_t smallest;  // below it the form is overlong
};

std::optional<LeadByte> ReadLeadByte(uint8_t lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return LeadByte{1, lead & 0x1Fu, 0x80};
  if (lead >= 0xE0 && lead <= 0xEF) return LeadByte{2, lead & 0x0Fu, 0x800};
  if (lead >= 0xF0 && lead <= 0xF4) return LeadByte{3, lead & 0x07u, 0x10000};
  return std::nullopt;
}

// The character starting at `at`, which moves past it; nothing for malformed UTF-8.
std::optional<char32_t> DecodeUtf8(std::string_view text, size_t& at) {
  const auto first = static_cast<uint8_t>(text[at++]);
  if (first < 0x80) return first;
  const std::optional<LeadByte> lead = ReadLeadByte(first);
  if (!lead || text.size() - at < lead->continuations) return std::nullopt;
  char32_t c = lead->bits;
  for (size_t i = 0; i < lead->continuations; ++i) {
    const auto next = static_cast<uint8_t>(text[at++]);
    if ((next & 0xC0u) != 0x80u) return std::nullopt;
    c = (c << 6) | (next & 0x3Fu);
  }
  if (c < lead->smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
  return c;
}

}  // namespace

std::optional<std::string> Utf8ToCodePage1252(std::string_view utf8) {
  std::string text;
  text.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    const std::optional<char32_t> c = DecodeUtf8(utf8, at);
    if (!c) return std::nullopt;
    const std::optional<char> byte = CodePageByte(*c);
    if (!byte) return std::nullopt;
    text += *byte;
  }
  return text;
}

}  // namespace kavrix::archive
