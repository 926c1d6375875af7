#pragma once
// Reading and writing the editor's documents. Both operations report the Win32 error
// code of what went wrong (ERROR_SUCCESS when nothing did) and never throw for a
// failure of the file system.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "editor/EditorText.h"

namespace kavrix {

// The largest file the editor opens; beyond it the edit control becomes unusable.
inline constexpr DWORD kMaxTextFileBytes = 64 * 1024 * 1024;

// A document as the edit control holds it: CR LF line breaks, plus what is needed to
// write it back the way it was read.
struct TextDocument {
  std::wstring text;
  TextEncoding encoding = TextEncoding::kAnsi;
  LineEnds lineEnds = LineEnds::kCrLf;
};

// Reads `path` into `document`. ERROR_FILE_TOO_LARGE above kMaxTextFileBytes.
DWORD LoadTextFile(const std::wstring& path, TextDocument& document);

// Writes `document` to `path` in its encoding and line ends. Text the 8-bit code page
// cannot represent is written as UTF-8 instead of losing characters, and
// `document.encoding` says so afterwards. The file is written beside the target and
// then moved over it, so a failed save leaves the old file whole.
DWORD SaveTextFile(const std::wstring& path, TextDocument& document);

}  // namespace kavrix
