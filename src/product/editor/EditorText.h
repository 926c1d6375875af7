#pragma once
// The editor's text rules that need no window: which file the command line names, how
// a file's bytes are encoded, and the line ends the edit control needs. Portable.

#include <string>
#include <string_view>

namespace kavrix {

// The file named on a program's command line: everything after the program's own name.
// A name in double quotes is taken up to its closing quote (the shell verbs pass "%1");
// an unquoted name is the rest of the line without surrounding blanks, so a path with
// spaces works unquoted too. Empty when the line names no file.
std::wstring FileArgument(std::wstring_view commandLine);

enum class TextEncoding {
  kAnsi,     // the system's 8-bit code page
  kUtf8,     // UTF-8 without a byte-order mark
  kUtf8Bom,  // UTF-8 behind EF BB BF
  kUtf16Le,  // UTF-16 little-endian behind FF FE
};

// The encoding of a file's bytes: by its byte-order mark; otherwise UTF-8 when the bytes
// hold non-ASCII characters that are all well-formed UTF-8; otherwise the 8-bit code page.
TextEncoding DetectEncoding(std::string_view bytes);

// The number of bytes of the byte-order mark `encoding` writes (0, 2 or 3).
size_t ByteOrderMarkSize(TextEncoding encoding);

enum class LineEnds { kCrLf, kLf, kCr };

// The line ends of a text, by its first line break; CR LF when it has none.
LineEnds DetectLineEnds(std::wstring_view text);

// The text with every line break (CR LF, a lone LF or a lone CR) as CR LF, the form a
// multi-line edit control shows as a line break.
std::wstring ToEditLineEnds(std::wstring_view text);

// The edit control's text (CR LF line breaks) with line breaks written as `lineEnds`.
std::wstring FromEditLineEnds(std::wstring_view text, LineEnds lineEnds);

}  // namespace kavrix
