#pragma once
// A made-up product tree of a given size, for the large-product test and benchmark of
// the installer: what a real product brings that the small demo product does not. Deep
// folders, long names, empty files, text that packs well, structured binary data that
// packs somewhat and random data that does not, in files from a few bytes to megabytes.
// The same options always give the same tree, byte for byte, so a test needs nothing
// from outside and a benchmark measures the same work on every machine.

#include <cstdint>
#include <filesystem>

namespace kavrix::productgen {

struct ProductOptions {
  uint64_t totalBytes = 0;  // at least this many bytes of file data
  int fileCount = 0;        // at least this many files
  uint64_t seed = 1;
};

struct ProductSummary {
  int files = 0;
  int emptyFiles = 0;
  int directories = 0;
  uint64_t bytes = 0;
  size_t longestName = 0;  // the longest relative path, in characters
  int deepestLevel = 0;    // folders above the deepest file
};

// The longest relative name the tree holds: "C:\Program Files\Quorvel 2.0\" and such a
// name stay well below the system's 260-character path limit.
inline constexpr size_t kLongestGeneratedName = 150;

// Writes the tree below `root` (created if missing; files of the same names replaced).
// Throws std::filesystem::filesystem_error or std::runtime_error when a write fails.
ProductSummary GenerateProduct(const std::filesystem::path& root, const ProductOptions& options);

}  // namespace kavrix::productgen
