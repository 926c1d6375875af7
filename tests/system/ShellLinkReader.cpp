#include "ShellLinkReader.h"

#include <stdexcept>

#include "SystemTestSupport.h"

namespace kavrix::testing {
namespace {

class Cursor {
 public:
  explicit Cursor(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  size_t Position() const { return position_; }
  void Seek(size_t position) {
    Need(position, 0);
    position_ = position;
  }
  void Skip(size_t count) {
    Need(position_, count);
    position_ += count;
  }
  uint8_t U8() {
    Need(position_, 1);
    return bytes_[position_++];
  }
  uint16_t U16() {
    const uint16_t low = U8();
    return static_cast<uint16_t>(low | U8() << 8);
  }
  uint32_t U32() {
    const uint32_t low = U16();
    return low | static_cast<uint32_t>(U16()) << 16;
  }
  // A zero-terminated ANSI string at `offset`.
  std::string CString(size_t offset) const {
    std::string text;
    for (size_t at = offset;; ++at) {
      Need(at, 1);
      if (bytes_[at] == 0) return text;
      text += static_cast<char>(bytes_[at]);
    }
  }

 private:
  void Need(size_t at, size_t count) const {
    if (at > bytes_.size() || count > bytes_.size() - at) throw std::runtime_error("shell link truncated");
  }

  const std::vector<uint8_t>& bytes_;
  size_t position_ = 0;
};

// A counted string of the string data, returned as ANSI text. Some writers count the
// terminating zero, so one at the end is dropped.
std::string CountedString(Cursor& cursor, bool unicode) {
  const uint16_t count = cursor.U16();
  if (!unicode) {
    std::string text;
    for (uint16_t i = 0; i < count; ++i) text += static_cast<char>(cursor.U8());
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }
  std::wstring wide;
  for (uint16_t i = 0; i < count; ++i) wide += static_cast<wchar_t>(cursor.U16());
  if (!wide.empty() && wide.back() == L'\0') wide.pop_back();
  if (wide.empty()) return {};
  const int wideSize = static_cast<int>(wide.size());
  const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, text.data(), size, nullptr, nullptr);
  return text;
}

}  // namespace

ShellLinkFile ReadShellLink(const std::vector<uint8_t>& bytes) {
  static const uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                         0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  Cursor cursor(bytes);
  if (cursor.U32() != 0x4C) throw std::runtime_error("not a shell link header");
  for (const uint8_t expected : kLinkClsid)
    if (cursor.U8() != expected) throw std::runtime_error("not a shell link class");

  ShellLinkFile link;
  link.linkFlags = cursor.U32();
  cursor.Seek(0x38);
  link.iconIndex = static_cast<int32_t>(cursor.U32());
  link.showCommand = cursor.U32();
  link.hotKey = cursor.U16();
  cursor.Seek(0x4C);

  if (link.linkFlags & ShellLinkFile::kHasLinkTargetIdList) cursor.Skip(cursor.U16());
  if (link.linkFlags & ShellLinkFile::kHasLinkInfo) {
    const size_t start = cursor.Position();
    const uint32_t size = cursor.U32();
    cursor.Skip(4);  // header size
    const uint32_t flags = cursor.U32();
    cursor.Skip(4);  // volume id offset
    const uint32_t localBasePathOffset = cursor.U32();
    constexpr uint32_t kVolumeIdAndLocalBasePath = 1;
    if (flags & kVolumeIdAndLocalBasePath) link.localBasePath = cursor.CString(start + localBasePathOffset);
    cursor.Seek(start + size);
  }
  const bool unicode = (link.linkFlags & ShellLinkFile::kIsUnicode) != 0;
  if (link.linkFlags & ShellLinkFile::kHasName) link.description = CountedString(cursor, unicode);
  if (link.linkFlags & ShellLinkFile::kHasRelativePath) link.relativePath = CountedString(cursor, unicode);
  if (link.linkFlags & ShellLinkFile::kHasWorkingDir) link.workingDir = CountedString(cursor, unicode);
  if (link.linkFlags & ShellLinkFile::kHasArguments) link.arguments = CountedString(cursor, unicode);
  if (link.linkFlags & ShellLinkFile::kHasIconLocation) link.iconLocation = CountedString(cursor, unicode);
  return link;
}

ShellLinkFile ReadShellLinkFile(const std::string& path) { return ReadShellLink(ReadFileBytes(path)); }

}  // namespace kavrix::testing
