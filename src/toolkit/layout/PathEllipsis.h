#pragma once
// Fitting a path into a width by dropping its leading elements.

#include <functional>
#include <string>

namespace kavrix {

// Measures a text in the caller's font, in pixels.
using TextWidthFunction = std::function<int(const std::string& text)>;

// `path` if it fits `maxWidth`; otherwise its first elements after the drive (or the
// server and share of a network path) replaced by "...", as few as needed:
// "C:\Program Files\Quorvel\bin" becomes "C:\...\Quorvel\bin", then "C:\...\bin". The
// last element is always kept whole, so the result can still be wider than `maxWidth`
// when even "C:\...\last" does not fit. A path with fewer than two elements after its
// drive has nothing to drop and comes back unchanged.
std::string ShortenPath(const std::string& path, int maxWidth, const TextWidthFunction& textWidth);

}  // namespace kavrix
