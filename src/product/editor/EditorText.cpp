#include "editor/EditorText.h"

namespace kavrix {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The length of the well-formed UTF-8 sequence at `at`, or 0 if it is not one (overlong
// forms, surrogates and values beyond U+10FFFF are not well-formed).
size_t Utf8SequenceLength(std::string_view bytes, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > bytes.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::wstring FileArgument(std::wstring_view commandLine) {
  size_t at = 0;
  // The program's name: quoted, or up to the first blank.
  if (!commandLine.empty() && commandLine[0] == L'"') {
    const size_t close = commandLine.find(L'"', 1);
    at = close == std::wstring_view::npos ? commandLine.size() : close + 1;
  } else {
    while (at < commandLine.size() && !IsBlank(commandLine[at])) ++at;
  }
  while (at < commandLine.size() && IsBlank(commandLine[at])) ++at;
  std::wstring_view rest = commandLine.substr(at);
  if (!rest.empty() && rest[0] == L'"') {
    rest.remove_prefix(1);
    return std::wstring(rest.substr(0, rest.find(L'"')));
  }
  while (!rest.empty() && IsBlank(rest.back())) rest.remove_suffix(1);
  return std::wstring(rest);
}

TextEncoding DetectEncoding(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return TextEncoding::kUtf16Le;
  if (bytes.starts_with("\xEF\xBB\xBF")) return TextEncoding::kUtf8Bom;
  bool nonAscii = false;
  for (size_t at = 0; at < bytes.size();) {
    if (static_cast<unsigned char>(bytes[at]) < 0x80) {
      ++at;
      continue;
    }
    const size_t length = Utf8SequenceLength(bytes, at);
    if (length == 0) return TextEncoding::kAnsi;
    nonAscii = true;
    at += length;
  }
  return nonAscii ? TextEncoding::kUtf8 : TextEncoding::kAnsi;
}

size_t ByteOrderMarkSize(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf8Bom: return 3;
    case TextEncoding::kUtf16Le: return 2;
    case TextEncoding::kAnsi:
    case TextEncoding::kUtf8: return 0;
  }
  return 0;
}

LineEnds DetectLineEnds(std::wstring_view text) {
  const size_t at = text.find_first_of(L"\r\n");
  if (at == std::wstring_view::npos) return LineEnds::kCrLf;
  if (text[at] == L'\n') return LineEnds::kLf;
  return at + 1 < text.size() && text[at + 1] == L'\n' ? LineEnds::kCrLf : LineEnds::kCr;
}

std::wstring ToEditLineEnds(std::wstring_view text) {
  std::wstring result;
  result.reserve(text.size() + text.size() / 16);
  for (size_t at = 0; at < text.size(); ++at) {
    const wchar_t c = text[at];
    if (c == L'\r' || c == L'\n') {
      result += L"\r\n";
      if (c == L'\r' && at + 1 < text.size() && text[at + 1] == L'\n') ++at;
    } else {
      result += c;
    }
  }
  return result;
}

std::wstring FromEditLineEnds(std::wstring_view text, LineEnds lineEnds) {
  if (lineEnds == LineEnds::kCrLf) return std::wstring(text);
  const wchar_t lineEnd = lineEnds == LineEnds::kLf ? L'\n' : L'\r';
  std::wstring result;
  result.reserve(text.size());
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == L'\r' && at + 1 < text.size() && text[at + 1] == L'\n') {
      result += lineEnd;
      ++at;
    } else {
      result += text[at];
    }
  }
  return result;
}

}  // namespace kavrix
