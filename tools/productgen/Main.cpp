// kvproductgen: writes a made-up product tree for the large-product test and benchmark.
//
//   kvproductgen DIR MEGABYTES FILES [SEED]
//
// The tree holds at least MEGABYTES x 10^6 bytes in at least FILES files; the same
// arguments always give the same tree. Exit status: 0 success, 1 failure, 2 usage error.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "ProductGenerator.h"

int main(int argc, char** argv) {
  using namespace kavrix::productgen;
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: kvproductgen DIR MEGABYTES FILES [SEED]\n");
    return 2;
  }
  ProductOptions options;
  options.totalBytes = std::strtoull(argv[2], nullptr, 10) * 1'000'000ull;
  options.fileCount = std::atoi(argv[3]);
  if (argc == 5) options.seed = std::strtoull(argv[4], nullptr, 10);
  try {
    const ProductSummary summary = GenerateProduct(argv[1], options);
    std::printf("kvproductgen: %s: %d files (%d empty) in %d folders, %llu bytes, names up to %zu characters, "
                "%d levels deep\n",
                argv[1], summary.files, summary.emptyFiles, summary.directories,
                static_cast<unsigned long long>(summary.bytes), summary.longestName, summary.deepestLevel);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kvproductgen: %s\n", error.what());
    return 1;
  }
}
