#pragma once
// A reader of the shell link (.lnk) binary format, independent of the shell, so that the
// tests see what the shortcut component really wrote: the header, the local base path
// of the link information and the string data.

#include <cstdint>
#include <string>
#include <vector>

namespace kavrix::testing {

struct ShellLinkFile {
  static constexpr uint32_t kHasLinkTargetIdList = 0x01;
  static constexpr uint32_t kHasLinkInfo = 0x02;
  static constexpr uint32_t kHasName = 0x04;
  static constexpr uint32_t kHasRelativePath = 0x08;
  static constexpr uint32_t kHasWorkingDir = 0x10;
  static constexpr uint32_t kHasArguments = 0x20;
  static constexpr uint32_t kHasIconLocation = 0x40;
  static constexpr uint32_t kIsUnicode = 0x80;

  uint32_t linkFlags = 0;
  int32_t iconIndex = 0;
  uint32_t showCommand = 0;
  uint16_t hotKey = 0;
  std::string localBasePath;  // the target, from the link information
  std::string description;
  std::string relativePath;
  std::string workingDir;
  std::string arguments;
  std::string iconLocation;
};

// Throws std::runtime_error when `bytes` is not a shell link.
ShellLinkFile ReadShellLink(const std::vector<uint8_t>& bytes);
ShellLinkFile ReadShellLinkFile(const std::string& path);

}  // namespace kavrix::testing
