#include "editor/TextFile.h"

#include <vector>

#include "system/Win32Handles.h"

namespace kavrix {

namespace {

DWORD Decode(const std::string& bytes, TextEncoding encoding, std::wstring& text) {
  const size_t skip = ByteOrderMarkSize(encoding);
  if (encoding == TextEncoding::kUtf16Le) {
    const size_t units = (bytes.size() - skip) / 2;
    text.resize(units);
    for (size_t i = 0; i < units; ++i) {
      text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[skip + 2 * i]) |
                                     static_cast<unsigned char>(bytes[skip + 2 * i + 1]) << 8);
    }
    return ERROR_SUCCESS;
  }
  const UINT codePage = encoding == TextEncoding::kAnsi ? CP_ACP : CP_UTF8;
  const char* data = bytes.data() + skip;
  const int size = static_cast<int>(bytes.size() - skip);
  text.clear();
  if (size == 0) return ERROR_SUCCESS;
  const int length = ::MultiByteToWideChar(codePage, 0, data, size, nullptr, 0);
  if (length <= 0) return ::GetLastError();
  text.resize(static_cast<size_t>(length));
  ::MultiByteToWideChar(codePage, 0, data, size, text.data(), length);
  return ERROR_SUCCESS;
}

// The bytes of `text` in `encoding`, byte-order mark included. False when the 8-bit code
// page had to replace a character.
bool Encode(const std::wstring& text, TextEncoding encoding, std::string& bytes) {
  bytes.clear();
  if (encoding == TextEncoding::kUtf16Le) {
    bytes = "\xFF\xFE";
    for (wchar_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return true;
  }
  if (encoding == TextEncoding::kUtf8Bom) bytes = "\xEF\xBB\xBF";
  if (text.empty()) return true;
  const UINT codePage = encoding == TextEncoding::kAnsi ? CP_ACP : CP_UTF8;
  BOOL replaced = FALSE;
  BOOL* replacedFlag = encoding == TextEncoding::kAnsi ? &replaced : nullptr;
  const int size = static_cast<int>(text.size());
  const int length = ::WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, replacedFlag);
  const size_t start = bytes.size();
  bytes.resize(start + static_cast<size_t>(length));
  ::WideCharToMultiByte(codePage, 0, text.data(), size, bytes.data() + start, length, nullptr, replacedFlag);
  return !replaced;
}

}  // namespace

DWORD LoadTextFile(const std::wstring& path, TextDocument& document) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ::GetLastError();
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size)) return ::GetLastError();
  if (size.QuadPart > kMaxTextFileBytes) return ERROR_FILE_TOO_LARGE;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return ::GetLastError();
  }
  bytes.resize(read);

  TextDocument loaded;
  loaded.encoding = DetectEncoding(bytes);
  std::wstring text;
  if (const DWORD error = Decode(bytes, loaded.encoding, text); error != ERROR_SUCCESS) return error;
  loaded.lineEnds = DetectLineEnds(text);
  loaded.text = ToEditLineEnds(text);
  document = std::move(loaded);
  return ERROR_SUCCESS;
}

DWORD SaveTextFile(const std::wstring& path, TextDocument& document) {
  // Windows refuses to move a file over a read-only one; Wine replaces it. Asked first,
  // a read-only file is refused everywhere.
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
  std::string bytes;
  TextEncoding encoding = document.encoding;
  const std::wstring text = FromEditLineEnds(document.text, document.lineEnds);
  if (!Encode(text, encoding, bytes)) {
    encoding = TextEncoding::kUtf8;
    Encode(text, encoding, bytes);
  }

  const std::wstring temporary = path + L".quorvel-save";
  {
    UniqueHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ::GetLastError();
    DWORD written = 0;
    if (!::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !::FlushFileBuffers(file.Get())) {
      const DWORD error = ::GetLastError();
      file.Reset();
      ::DeleteFileW(temporary.c_str());
      return error == ERROR_SUCCESS ? ERROR_WRITE_FAULT : error;
    }
  }
  if (!::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = ::GetLastError();
    ::DeleteFileW(temporary.c_str());
    return error;
  }
  document.encoding = encoding;
  return ERROR_SUCCESS;
}

}  // namespace kavrix
