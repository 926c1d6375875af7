#include "Corpus.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace kavrix::bench {

namespace fs = std::filesystem;

namespace {

// One entry of a slot: either a single file (the first candidate that exists) or all
// regular files below the first existing directory whose names end in one of the
// suffixes, in path order. "{multiarch}" in a candidate stands for every multiarch
// library directory, the one of this build's architecture first.
struct Source {
  std::vector<std::string> candidates;
  std::vector<std::string> suffixes;  // empty: a single file
};

struct Slot {
  std::string category;
  std::vector<Source> sources;
};

Source File(std::initializer_list<std::string> candidates) { return {candidates, {}}; }

Source Tree(std::initializer_list<std::string> candidates, std::initializer_list<std::string> suffixes) {
  return {candidates, suffixes};
}

// Essential or required packages first; the later entries only matter when the
// earlier ones are missing or smaller than on a stock installation.
Slot ProgramsSlot() {
  Slot slot{"programs", {}};
  for (const char* name : {"bash", "perl", "ls", "cp", "sort", "tar", "grep", "sed", "find", "dpkg", "date",
                           "stat", "dash", "diff"}) {
    slot.sources.push_back(File({std::string("/usr/bin/") + name, std::string("/bin/") + name}));
  }
  return slot;
}

Slot LibrariesSlot() {
  Slot slot{"libraries", {}};
  for (const char* name : {"libc.so.6", "libstdc++.so.6", "libm.so.6", "libsystemd.so.0", "libz.so.1",
                           "libgcc_s.so.1", "libapt-pkg.so.6.0"}) {
    // Below /lib as well for installations without merged /usr.
    slot.sources.push_back(
        File({std::string("/usr/lib/{multiarch}/") + name, std::string("/lib/{multiarch}/") + name}));
  }
  return slot;
}

Slot XmlSlot() {
  return {"xml",
          {File({"/usr/share/mime/packages/freedesktop.org.xml"}), Tree({"/usr/share/xml"}, {".xml"}),
           Tree({"/usr/share/polkit-1/actions"}, {".policy"})}};
}

Slot TextSlot() {
  Slot slot{"text", {}};
  // Links such as GPL -> GPL-3 are left out by naming the versions.
  for (const char* name : {"Apache-2.0", "Artistic", "BSD", "CC0-1.0", "GFDL-1.2", "GFDL-1.3", "GPL-1",
                           "GPL-2", "GPL-3", "LGPL-2", "LGPL-2.1", "LGPL-3", "MPL-1.1", "MPL-2.0"}) {
    slot.sources.push_back(File({std::string("/usr/share/common-licenses/") + name}));
  }
  // Packages of priority required; of those sharing one copyright text only one is named.
  for (const char* package :
       {"apt", "base-files", "bash", "coreutils", "dash", "debconf", "debianutils", "diffutils", "dpkg",
        "e2fsprogs", "findutils", "grep", "gzip", "hostname", "init-system-helpers", "libc6", "login",
        "perl-base", "sed", "tar", "util-linux", "zlib1g", "libstdc++6", "ncurses-base", "sysvinit-utils",
        "libsystemd0"}) {
    slot.sources.push_back(File({std::string("/usr/share/doc/") + package + "/copyright"}));
  }
  slot.sources.push_back(Tree({"/usr/lib/{multiarch}/perl-base"}, {".pm", ".pl"}));
  slot.sources.push_back(Tree({"/usr/share/perl5/Debconf"}, {".pm"}));
  slot.sources.push_back(Tree({"/usr/share/perl5"}, {".pm"}));
  return slot;
}

std::vector<std::string> MultiarchDirs() {
  std::vector<std::string> dirs;
#if defined(__x86_64__)
  dirs.emplace_back("x86_64-linux-gnu");
#elif defined(__aarch64__)
  dirs.emplace_back("aarch64-linux-gnu");
#elif defined(__i386__)
  dirs.emplace_back("i386-linux-gnu");
#elif defined(__arm__)
  dirs.emplace_back("arm-linux-gnueabihf");
#endif
  std::vector<std::string> found;
  std::error_code error;
  for (fs::directory_iterator it("/usr/lib", error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.find("-linux-gnu") != std::string::npos && it->is_directory(error)) found.push_back(name);
  }
  std::sort(found.begin(), found.end());
  for (const std::string& name : found) {
    if (std::find(dirs.begin(), dirs.end(), name) == dirs.end()) dirs.push_back(name);
  }
  return dirs;
}

std::vector<fs::path> Expand(const std::string& candidate, const std::vector<std::string>& multiarch) {
  constexpr std::string_view kPlaceholder = "{multiarch}";
  const size_t at = candidate.find(kPlaceholder);
  if (at == std::string::npos) return {fs::path(candidate)};
  std::vector<fs::path> paths;
  for (const std::string& dir : multiarch) {
    std::string path = candidate;
    path.replace(at, kPlaceholder.size(), dir);
    paths.emplace_back(std::move(path));
  }
  return paths;
}

bool IsPlainFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);  // follows links: /usr/lib names are often links
}

bool HasSuffix(const std::string& name, const std::vector<std::string>& suffixes) {
  return std::any_of(suffixes.begin(), suffixes.end(), [&](const std::string& suffix) {
    return name.size() >= suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
  });
}

// The files one source stands for, in the order they are taken.
struct Resolved {
  std::string tree;  // the directory walked, empty for a single file
  std::vector<fs::path> files;
};

Resolved Resolve(const Source& source, const std::vector<std::string>& multiarch) {
  for (const std::string& candidate : source.candidates) {
    for (const fs::path& path : Expand(candidate, multiarch)) {
      std::error_code error;
      if (source.suffixes.empty()) {
        if (IsPlainFile(path)) return {{}, {path}};
        continue;
      }
      if (!fs::is_directory(path, error)) continue;
      std::vector<fs::path> files;
      const auto options = fs::directory_options::skip_permission_denied;
      for (fs::recursive_directory_iterator it(path, options, error), end; !error && it != end;
           it.increment(error)) {
        // Links inside trees are skipped: they would repeat files already taken.
        if (it->is_symlink(error) || !it->is_regular_file(error)) continue;
        if (HasSuffix(it->path().filename().string(), source.suffixes)) files.push_back(it->path());
      }
      std::sort(files.begin(), files.end());
      if (!files.empty()) return {path.string() + "/", std::move(files)};
    }
  }
  return {};
}

class Builder {
 public:
  Builder(const CorpusSizes& sizes, Corpus& corpus) : sizes_(sizes), corpus_(corpus) {}

  // Appends files of the slot until it has `budget` bytes; returns the bytes added.
  size_t Fill(const Slot& slot, size_t budget) {
    size_t added = 0;
    for (const Source& source : slot.sources) {
      const Resolved resolved = Resolve(source, multiarch_);
      for (const fs::path& path : resolved.files) {
        if (added == budget) return added;
        std::error_code error;
        const fs::path canonical = fs::canonical(path, error);
        if (error || !taken_.insert(canonical.string()).second) continue;
        std::vector<uint8_t> bytes;
        try {
          bytes = ReadFileBytes(path, std::min(sizes_.perFileCap, budget - added));
        } catch (const std::runtime_error&) {
          continue;  // unreadable: the next file takes its place
        }
        if (bytes.empty()) continue;
        Append(slot.category, path.string(), bytes, resolved.tree);
        added += bytes.size();
      }
    }
    if (added < budget) {
      corpus_.shortfalls.push_back(slot.category + ": " + std::to_string(added) + " of " +
                                   std::to_string(budget) + " bytes found");
    }
    return added;
  }

  void Append(std::string category, std::string source, std::span<const uint8_t> bytes,
              std::string tree = {}) {
    corpus_.parts.push_back(
        {std::move(category), std::move(source), std::move(tree), corpus_.bytes.size(), bytes.size()});
    corpus_.bytes.insert(corpus_.bytes.end(), bytes.begin(), bytes.end());
  }

 private:
  const CorpusSizes& sizes_;
  Corpus& corpus_;
  std::vector<std::string> multiarch_ = MultiarchDirs();
  std::set<std::string> taken_;
};

size_t Remaining(size_t total, size_t used) { return used < total ? total - used : 0; }

}  // namespace

Corpus BuildCorpus(const CorpusSizes& sizes) {
  if (sizes.random > sizes.total) throw std::runtime_error("corpus: random block larger than the total");
  Corpus corpus;
  corpus.bytes.reserve(sizes.total);
  Builder builder(sizes, corpus);
  const size_t filesBudget = sizes.total - sizes.random;
  builder.Fill(ProgramsSlot(), std::min(sizes.programs, filesBudget));
  builder.Fill(LibrariesSlot(), std::min(sizes.libraries, Remaining(filesBudget, corpus.bytes.size())));
  builder.Fill(XmlSlot(), std::min(sizes.xml, Remaining(filesBudget, corpus.bytes.size())));
  builder.Fill(TextSlot(), Remaining(filesBudget, corpus.bytes.size()));

  char description[80];
  std::snprintf(description, sizeof description, "pseudo-random, SplitMix64 seed 0x%016llX",
                static_cast<unsigned long long>(kCorpusSeed));
  builder.Append("random", description, PseudoRandomBytes(sizes.random));
  return corpus;
}

Corpus LoadCorpusFile(const fs::path& path) {
  Corpus corpus;
  corpus.bytes = ReadFileBytes(path);
  corpus.parts.push_back({"file", path.string(), {}, 0, corpus.bytes.size()});
  return corpus;
}

std::vector<uint8_t> PseudoRandomBytes(size_t count, uint64_t seed) {
  std::vector<uint8_t> bytes(count);
  uint64_t state = seed;
  for (size_t i = 0; i < count; i += 8) {
    state += 0x9E3779B97F4A7C15;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
    z ^= z >> 31;
    for (size_t k = 0; k < 8 && i + k < count; ++k) bytes[i + k] = static_cast<uint8_t>(z >> (8 * k));
  }
  return bytes;
}

std::vector<uint8_t> ReadFileBytes(const fs::path& path, size_t maxBytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path.string());
  std::vector<uint8_t> bytes;
  constexpr size_t kChunk = 256 * kKiB;
  while (bytes.size() < maxBytes) {
    const size_t want = std::min(kChunk, maxBytes - bytes.size());
    const size_t old = bytes.size();
    bytes.resize(old + want);
    in.read(reinterpret_cast<char*>(bytes.data() + old), static_cast<std::streamsize>(want));
    bytes.resize(old + static_cast<size_t>(in.gcount()));
    if (!in) break;
  }
  if (in.bad()) throw std::runtime_error("cannot read " + path.string());
  return bytes;
}

void WriteFileBytes(const fs::path& path, std::span<const uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace kavrix::bench
