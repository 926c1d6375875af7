#include "ProductGenerator.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavrix::productgen {
namespace {

namespace fs = std::filesystem;

// SplitMix64: small, fast and the same on every platform.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A number in [low, high].
  uint64_t Between(uint64_t low, uint64_t high) { return low + Next() % (high - low + 1); }

 private:
  uint64_t state_;
};

constexpr std::array kWords = {"module", "package", "runtime", "library", "encoding", "unicode", "stream",
                               "buffer", "handler", "compile", "context", "request", "response", "format",
                               "parser",  "element", "attribute", "iterator", "sequence", "mapping", "object"};
constexpr std::array kExtensions = {".py", ".txt", ".dat", ".bin", ".pyc", ".html", ".xml", ".so", ".cfg"};

enum class Content { kEmpty, kText, kStructured, kRandom };

std::string Word(Random& random) { return kWords[random.Next() % kWords.size()]; }

// A folder or file name element of `length` characters or a little more.
std::string NameOf(Random& random, size_t length) {
  std::string name = Word(random);
  while (name.size() < length) {
    name += random.Next() % 3 == 0 ? ' ' : '_';
    name += Word(random);
  }
  return name;
}

void AppendText(Random& random, std::string& out, size_t size) {
  while (out.size() < size) {
    out += Word(random);
    out += random.Next() % 12 == 0 ? "\r\n" : " ";
  }
  out.resize(size);
}

// Records of small, slowly changing integers: the kind of data that packs to about half.
void AppendStructured(Random& random, std::string& out, size_t size) {
  uint32_t value = static_cast<uint32_t>(random.Next());
  while (out.size() < size) {
    value += static_cast<uint32_t>(random.Between(0, 64));
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
    out += static_cast<char>(random.Next() % 4);
  }
  out.resize(size);
}

void AppendRandom(Random& random, std::string& out, size_t size) {
  while (out.size() < size) {
    const uint64_t bits = random.Next();
    for (int shift = 0; shift < 64 && out.size() < size; shift += 8) out += static_cast<char>((bits >> shift) & 0xFF);
  }
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

ProductSummary GenerateProduct(const fs::path& root, const ProductOptions& options) {
  Random random(options.seed);
  ProductSummary summary;

  // The folders: a few trees of up to eight levels, the deepest with long names.
  std::vector<std::string> folders{""};
  while (folders.size() < static_cast<size_t>(std::max(8, options.fileCount / 12))) {
    const std::string& parent = folders[random.Next() % folders.size()];
    const int level = parent.empty() ? 0 : static_cast<int>(std::count(parent.begin(), parent.end(), '/')) + 1;
    if (level >= 8) continue;
    const size_t length = random.Next() % 5 == 0 ? random.Between(30, 40) : random.Between(4, 12);
    const std::string folder = (parent.empty() ? "" : parent + "/") + NameOf(random, length);
    if (folder.size() + 45 > kLongestGeneratedName) continue;
    folders.push_back(folder);
  }

  const uint64_t average = options.fileCount > 0 ? options.totalBytes / static_cast<uint64_t>(options.fileCount) : 0;
  std::string bytes;
  for (int index = 0; summary.files < options.fileCount || summary.bytes < options.totalBytes; ++index) {
    const std::string& folder = folders[random.Next() % folders.size()];
    const size_t nameLength = std::min<size_t>(kLongestGeneratedName - folder.size() - 12,
                                               random.Next() % 4 == 0 ? random.Between(40, 60) : random.Between(3, 14));
    const std::string name = NameOf(random, nameLength).substr(0, nameLength) + "_" + std::to_string(index) +
                             kExtensions[random.Next() % kExtensions.size()];
    const std::string relative = folder.empty() ? name : folder + "/" + name;

    const Content content = index % 40 == 7 ? Content::kEmpty : static_cast<Content>(1 + random.Next() % 3);
    // Mostly small files around the average, now and then one of a few megabytes.
    auto size = static_cast<size_t>(random.Next() % 50 == 0 ? random.Between(average * 10, average * 40 + 1)
                                                            : random.Between(16, average * 2 + 16));
    if (content == Content::kEmpty) size = 0;
    bytes.clear();
    switch (content) {
      case Content::kEmpty: break;
      case Content::kText: AppendText(random, bytes, size); break;
      case Content::kStructured: AppendStructured(random, bytes, size); break;
      case Content::kRandom: AppendRandom(random, bytes, size); break;
    }

    const fs::path path = root / fs::path(relative);
    fs::create_directories(path.parent_path());
    WriteFile(path, bytes);
    ++summary.files;
    summary.emptyFiles += bytes.empty();
    summary.bytes += bytes.size();
    summary.longestName = std::max(summary.longestName, relative.size());
    summary.deepestLevel =
        std::max(summary.deepestLevel, static_cast<int>(std::count(relative.begin(), relative.end(), '/')));
  }
  summary.directories = static_cast<int>(folders.size()) - 1;
  return summary;
}

}  // namespace kavrix::productgen
