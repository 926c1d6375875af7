#pragma once
// File names: splitting the platform's paths, and turning a stored name into a path that
// stays inside the target directory.

#include <optional>
#include <string>
#include <string_view>

namespace kavrix::archive {

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
// < > " | ? *, a device name such as CON or LPT1, an element ending in a dot or a space.
// Both '\' and '/' separate elements, since Windows takes both.
std::optional<std::string> SafeRelativePath(std::string_view storedName, bool keepDirectories);

}  // namespace kavrix::archive
