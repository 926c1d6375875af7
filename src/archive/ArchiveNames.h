#pragma once
// File names: splitting the platform's paths, and turning a stored name into a path that
// stays inside the target directory.
//
// Stored names are bounded, so that no name can cost more than a real product's does.
// Windows' ANSI file calls take paths of at most 259 characters (MAX_PATH less the NUL);
// a 32-bit product on 64-bit Windows installs below "C:\Program Files (x86)\Quorvel 2.0\"
// (35 characters), which leaves 224 characters for a name that Windows can create there.
// Each element of such a name is then within the 255 characters file systems allow for
// one element. Depth is bounded at 64 elements: products nest a few levels, a dozen at
// most, while a name of one-letter folders could otherwise ask for 112 directories.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kavrix::archive {

inline constexpr size_t kMaxNameLength = 224;  // without the one leading backslash
inline constexpr size_t kMaxNameDepth = 64;    // elements, the file name included

// Everything up to and including the last path delimiter of the platform; "" when none.
std::string ExtractFilePath(std::string_view path);
// What follows the last path delimiter.
std::string ExtractFileName(std::string_view path);

// The path relative to the target directory, with the platform's separators, that the
// stored name `storedName` may be written to: the whole name (one leading backslash
// dropped) when `keepDirectories`, else only what follows its last backslash, slash or
// colon. Nothing when that path could leave the target directory or name no plain file
// on Windows: an empty element (a second leading backslash, a UNC name, a trailing
// separator), "." or "..", a colon (drives, streams), a control character, one of
// < > " | ? *, a device name such as CON, LPT1 or CONIN$, an element ending in a dot or
// a space. Nothing either for a stored name (without its one leading backslash) longer
// than kMaxNameLength or deeper than kMaxNameDepth, whatever is kept of it. Both '\' and
// '/' separate elements, since Windows takes both.
std::optional<std::string> SafeRelativePath(std::string_view storedName, bool keepDirectories);

}  // namespace kavrix::archive
