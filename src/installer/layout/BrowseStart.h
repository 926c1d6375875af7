#pragma once
// Where the directory chooser opens for a destination. A destination usually does not
// exist before the installation, and a fixed guess at a folder fails on systems that
// name or place their folders otherwise, which left the user no way to choose at all.
// Portable: whether a directory exists is asked of the caller.

#include <functional>
#include <string>
#include <vector>

namespace kavrix {

// The parent of a Windows path ("C:\a\b" -> "C:\a", "C:\a" -> "C:\", "\\srv\share\a" ->
// "\\srv\share\"), or empty at a root and for a path without a parent. Trailing
// backslashes are ignored.
std::string ParentDirectory(const std::string& path);

// `destination` when it exists, else its nearest existing ancestor, else the first
// existing of `fallbacks`; empty when none of them exists.
std::string BrowseStartDirectory(const std::string& destination, const std::vector<std::string>& fallbacks,
                                 const std::function<bool(const std::string&)>& exists);

}  // namespace kavrix
