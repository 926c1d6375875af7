// lzh_bench: measures the LZH codec against gzip on one corpus, in one run, and checks
// every stream it times for an exact round trip.
//
//   lzh_bench [--quick] [--corpus FILE] [--repeat N] [--keep-temp] [--list-corpus] [--categories]

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Corpus.h"
#include "archive/LzhEncoder.h"
#include "archive/LzhMemory.h"
#include "archive/Lzh_op.h"

extern char** environ;

namespace kavrix::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kDecodeTarget = 0.35;       // LzhDecodeBuffer throughput / gzip -d throughput
constexpr double kOptimalSizeTarget = 1.085;  // Optimal stream size / gzip -9 size
constexpr double kOptimalSpeedTarget = 5.0;   // MB/s of input

struct Options {
  bool quick = false;
  std::optional<fs::path> corpusFile;
  int repeats = 3;
  bool keepTemp = false;
  bool listCorpus = false;
  bool categories = false;
};

void PrintUsage() {
  std::printf(
      "usage: lzh_bench [--quick] [--corpus FILE] [--repeat N] [--keep-temp] [--list-corpus]\n"
      "                 [--categories]\n"
      "  --quick        about 1 MiB of corpus instead of 10 MiB, for a smoke run\n"
      "  --corpus FILE  measure on FILE instead of the built corpus\n"
      "  --repeat N     runs per measurement, the best one counts (default 3)\n"
      "  --keep-temp    leave the corpus and gzip files in the temporary directory\n"
      "  --list-corpus  name every corpus file instead of one line per directory walked\n"
      "  --categories   also compare optimal and gzip -9 sizes per corpus category\n");
}

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      options.quick = true;
    } else if (arg == "--corpus" && i + 1 < argc) {
      options.corpusFile = argv[++i];
    } else if (arg == "--repeat" && i + 1 < argc) {
      options.repeats = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--keep-temp") {
      options.keepTemp = true;
    } else if (arg == "--list-corpus") {
      options.listCorpus = true;
    } else if (arg == "--categories") {
      options.categories = true;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

class TempDir {
 public:
  explicit TempDir(bool keep) : keep_(keep) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kavrix-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code error;
    if (!keep_) fs::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const fs::path& Path() const noexcept { return path_; }

 private:
  fs::path path_;
  bool keep_;
};

// Runs a program found on PATH with stdin and stdout redirected to files; returns the
// wall-clock seconds from spawning to reaping it.
double RunProgram(const std::vector<std::string>& args, const fs::path& input, const fs::path& output) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  const Clock::time_point start = Clock::now();
  pid_t pid = 0;
  const int spawnError = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawnError != 0) throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(spawnError));
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed for " + args[0]);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::string command;
    for (const std::string& arg : args) command += arg + " ";
    throw std::runtime_error("'" + command + "' failed");
  }
  return seconds;
}

double BestSeconds(int repeats, const std::function<void()>& run) {
  double best = std::numeric_limits<double>::infinity();
  for (int i = 0; i < repeats; ++i) {
    const Clock::time_point start = Clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

const char* ParseName(lzh::LzhParse parse) {
  switch (parse) {
    case lzh::LzhParse::Greedy: return "greedy";
    case lzh::LzhParse::Lazy: return "lazy";
    case lzh::LzhParse::Optimal: return "optimal";
  }
  return "?";
}

enum class RowKind { Encoder, Decoder };

struct Row {
  Row(std::string name, RowKind rowKind) : method(std::move(name)), kind(rowKind) {}

  std::string method;
  RowKind kind;
  std::optional<size_t> size;  // output size of encoders
  double seconds = 0;
  std::string failure;  // set when the measurement or its round trip failed
};

// Decoding through the component as a client that does not control the buffer sizes
// would: the default 1 KiB buffers, and events that copy into memory reserved up front.
class DirectDecoder {
 public:
  explicit DirectDecoder(size_t expectedSize) : output_(expectedSize) {
    codec_.OnReadData = [this](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t& count) {
      count = static_cast<uint16_t>(std::min<size_t>(size, packed_.size() - consumed_));
      std::memcpy(buffer, packed_.data() + consumed_, count);
      consumed_ += count;
    };
    codec_.OnWriteData = [this](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t& count) {
      const size_t fits = std::min<size_t>(size, output_.size() - written_);
      std::memcpy(output_.data() + written_, buffer, fits);
      written_ += fits;
      overflow_ += size - fits;
      count = size;
    };
  }

  void Decode(std::span<const uint8_t> packed) {
    packed_ = packed;
    consumed_ = written_ = overflow_ = 0;
    codec_.Decompress();
  }

  std::span<const uint8_t> Output() const noexcept { return {output_.data(), written_}; }
  size_t Overflow() const noexcept { return overflow_; }

 private:
  TCustomLZHCompressor codec_;
  std::span<const uint8_t> packed_;
  std::vector<uint8_t> output_;
  size_t consumed_ = 0;
  size_t written_ = 0;
  size_t overflow_ = 0;
};

// Empty when `decoded` equals `expected`, else where they part.
std::string CompareRoundTrip(std::span<const uint8_t> expected, std::span<const uint8_t> decoded,
                             size_t extraBytes = 0) {
  const auto [e, d] = std::mismatch(expected.begin(), expected.end(), decoded.begin(), decoded.end());
  if (e == expected.end() && d == decoded.end() && extraBytes == 0) return {};
  const size_t at = static_cast<size_t>(e - expected.begin());
  char text[200];
  std::snprintf(text, sizeof text,
                "round trip differs: %zu bytes decoded, %zu expected, first difference at %zu",
                decoded.size() + extraBytes, expected.size(), at);
  return text;
}

void Fail(Row& row, const std::string& why) {
  row.failure = why;
  std::fprintf(stderr, "FAULT in %s: %s\n", row.method.c_str(), why.c_str());
}

void Progress(const std::string& what) {
  std::fflush(stdout);
  std::fprintf(stderr, "  measuring %s ...\n", what.c_str());
  std::fflush(stderr);
}

double Megabytes(size_t bytes) { return static_cast<double>(bytes) / 1e6; }

// Files walked from one directory are summed into one line unless every file is asked for.
void PrintCorpus(const Corpus& corpus, bool everyFile) {
  std::printf("Corpus: %zu bytes (%.2f MiB) from %zu parts\n", corpus.bytes.size(),
              static_cast<double>(corpus.bytes.size()) / static_cast<double>(kMiB), corpus.parts.size());
  for (size_t i = 0; i < corpus.parts.size();) {
    const CorpusPart& part = corpus.parts[i];
    size_t end = i + 1;
    size_t bytes = part.size;
    if (!everyFile && !part.tree.empty()) {
      for (; end < corpus.parts.size() && corpus.parts[end].tree == part.tree; ++end) {
        bytes += corpus.parts[end].size;
      }
    }
    if (end - i > 1) {
      std::printf("  %-10s %9zu  %s (%zu files, %s .. %s)\n", part.category.c_str(), bytes, part.tree.c_str(),
                  end - i, part.source.substr(part.tree.size()).c_str(),
                  corpus.parts[end - 1].source.substr(part.tree.size()).c_str());
    } else {
      std::printf("  %-10s %9zu  %s\n", part.category.c_str(), part.size, part.source.c_str());
    }
    i = end;
  }
  for (const std::string& shortfall : corpus.shortfalls) std::printf("  short: %s\n", shortfall.c_str());
  std::printf("\n");
}

void PrintTable(const std::vector<Row>& rows, size_t inputSize, const Row& gzip9, const Row& gzip6,
                const Row& gunzip) {
  std::printf("%-34s %11s %8s %9s %9s %9s\n", "method", "bytes", "% input", "/gzip -9", "MB/s", "/ref");
  for (const Row& row : rows) {
    char size[16] = "-", ratio[16] = "-", vsGzip9[16] = "-", speed[16] = "-", vsRef[16] = "-";
    if (row.failure.empty()) {
      if (row.size) {
        std::snprintf(size, sizeof size, "%zu", *row.size);
        std::snprintf(ratio, sizeof ratio, "%.2f%%", 100.0 * static_cast<double>(*row.size) /
                                                         static_cast<double>(inputSize));
        if (gzip9.failure.empty() && gzip9.size) {
          std::snprintf(vsGzip9, sizeof vsGzip9, "%.3fx",
                        static_cast<double>(*row.size) / static_cast<double>(*gzip9.size));
        }
      }
      std::snprintf(speed, sizeof speed, "%.2f", Megabytes(inputSize) / row.seconds);
      const Row& ref = row.kind == RowKind::Encoder ? gzip6 : gunzip;
      if (ref.failure.empty()) std::snprintf(vsRef, sizeof vsRef, "%.3fx", ref.seconds / row.seconds);
    } else {
      std::snprintf(speed, sizeof speed, "FAILED");
    }
    std::printf("%-34s %11s %8s %9s %9s %9s\n", row.method.c_str(), size, ratio, vsGzip9, speed, vsRef);
  }
  std::printf(
      "\nMB/s = 10^6 bytes of corpus per second (input of encoders, output of decoders), best of the runs.\n"
      "/ref = throughput relative to gzip -6 for encoders, to gzip -d for decoders.\n"
      "gzip times are wall clock of the process, file to file (page cache); LZH is memory to memory.\n\n");
}

void PrintTarget(const char* name, bool measured, bool pass, const std::string& value) {
  std::printf("target %-40s %-18s %s\n", name, measured ? value.c_str() : "not measured",
              measured && pass ? "PASS" : "MISS");
}

// Where the size difference to gzip comes from: each category compressed on its own,
// once, so the numbers are sizes only.
void PrintCategories(const Corpus& corpus, const fs::path& dir) {
  std::vector<std::string> names;
  for (const CorpusPart& part : corpus.parts) {
    if (std::find(names.begin(), names.end(), part.category) == names.end()) names.push_back(part.category);
  }
  std::printf("%-10s %11s %11s %11s %9s\n", "category", "bytes", "optimal", "gzip -9", "/gzip -9");
  for (const std::string& name : names) {
    std::vector<uint8_t> bytes;
    for (const CorpusPart& part : corpus.parts) {
      if (part.category != name) continue;
      bytes.insert(bytes.end(), corpus.bytes.begin() + static_cast<std::ptrdiff_t>(part.offset),
                   corpus.bytes.begin() + static_cast<std::ptrdiff_t>(part.offset + part.size));
    }
    const size_t optimal = lzh::LzhEncode(bytes, lzh::LzhParse::Optimal).size();
    WriteFileBytes(dir / "category.bin", bytes);
    RunProgram({"gzip", "-9", "-n", "-c"}, dir / "category.bin", dir / "category.gz");
    const size_t gzip = fs::file_size(dir / "category.gz");
    std::printf("%-10s %11zu %11zu %11zu %8.3fx\n", name.c_str(), bytes.size(), optimal, gzip,
                static_cast<double>(optimal) / static_cast<double>(gzip));
  }
  std::printf("\n");
}

int Run(const Options& options) {
  std::printf("lzh_bench (%s build), %d run(s) per measurement\n\n", KAVRIX_BUILD_TYPE, options.repeats);
  if (std::string(KAVRIX_BUILD_TYPE) != "Release") {
    std::printf("warning: not a Release build, the numbers are not representative\n\n");
  }

  Corpus corpus = options.corpusFile ? LoadCorpusFile(*options.corpusFile)
                                     : BuildCorpus(options.quick ? kQuickCorpus : kFullCorpus);
  PrintCorpus(corpus, options.listCorpus);
  const std::span<const uint8_t> input = corpus.bytes;
  if (input.empty()) throw std::runtime_error("the corpus is empty");

  TempDir temp(options.keepTemp);
  const fs::path corpusPath = temp.Path() / "corpus.bin";
  WriteFileBytes(corpusPath, input);
  if (options.keepTemp) std::printf("temporary files in %s\n\n", temp.Path().c_str());

  std::vector<Row> rows;
  std::vector<uint8_t> optimalStream;
  for (lzh::LzhParse parse : {lzh::LzhParse::Greedy, lzh::LzhParse::Lazy, lzh::LzhParse::Optimal}) {
    Row row{std::string("lzh encode ") + ParseName(parse), RowKind::Encoder};
    Progress(row.method);
    std::vector<uint8_t> packed;
    packed.reserve(input.size() + input.size() / 4 + 64);
    try {
      row.seconds = BestSeconds(options.repeats, [&] {
        packed.clear();
        lzh::LzhEncode(input, packed, parse);
      });
      row.size = packed.size();
      const std::string mismatch = CompareRoundTrip(input, lzh::LzhDecodeBuffer(packed));
      if (!mismatch.empty()) Fail(row, mismatch);
    } catch (const std::exception& error) {
      Fail(row, std::string("exception: ") + error.what());
    }
    if (parse == lzh::LzhParse::Optimal && row.failure.empty()) optimalStream = std::move(packed);
    rows.push_back(std::move(row));
  }
  const size_t optimalRow = rows.size() - 1;

  Row gzip6{"gzip -6", RowKind::Encoder};
  Row gzip9{"gzip -9", RowKind::Encoder};
  for (Row* row : {&gzip6, &gzip9}) {
    Progress(row->method);
    const std::string level = row == &gzip6 ? "-6" : "-9";
    const fs::path packedPath = temp.Path() / ("corpus" + level + ".gz");
    try {
      row->seconds = BestSeconds(options.repeats, [&] {
        RunProgram({"gzip", level, "-n", "-c"}, corpusPath, packedPath);
      });
      row->size = fs::file_size(packedPath);
    } catch (const std::exception& error) {
      Fail(*row, error.what());
    }
  }
  rows.push_back(gzip6);
  rows.push_back(gzip9);

  // Decoders: the stream the installer ships is the optimal one.
  Row viaBuffer{"lzh decode (LzhDecodeBuffer)", RowKind::Decoder};
  Row viaComponent{"lzh decode (component, 1 KiB bufs)", RowKind::Decoder};
  if (optimalStream.empty()) {
    Fail(viaBuffer, "no optimal stream to decode");
    Fail(viaComponent, "no optimal stream to decode");
  } else {
    try {
      Progress(viaBuffer.method);
      std::vector<uint8_t> decoded;
      viaBuffer.seconds =
          BestSeconds(options.repeats, [&] { decoded = lzh::LzhDecodeBuffer(optimalStream); });
      const std::string mismatch = CompareRoundTrip(input, decoded);
      if (!mismatch.empty()) Fail(viaBuffer, mismatch);
    } catch (const std::exception& error) {
      Fail(viaBuffer, std::string("exception: ") + error.what());
    }
    try {
      Progress(viaComponent.method);
      DirectDecoder direct(input.size());
      viaComponent.seconds = BestSeconds(options.repeats, [&] { direct.Decode(optimalStream); });
      const std::string mismatch = CompareRoundTrip(input, direct.Output(), direct.Overflow());
      if (!mismatch.empty()) Fail(viaComponent, mismatch);
    } catch (const std::exception& error) {
      Fail(viaComponent, std::string("exception: ") + error.what());
    }
  }
  rows.push_back(viaBuffer);
  rows.push_back(viaComponent);

  Row gunzip{"gzip -d (of the -6 stream)", RowKind::Decoder};
  Progress(gunzip.method);
  if (!gzip6.failure.empty()) {
    Fail(gunzip, "no gzip -6 stream to decode");
  } else {
    const fs::path decodedPath = temp.Path() / "corpus.gunzip";
    try {
      gunzip.seconds = BestSeconds(options.repeats, [&] {
        RunProgram({"gzip", "-d", "-c"}, temp.Path() / "corpus-6.gz", decodedPath);
      });
      if (std::string mismatch = CompareRoundTrip(input, ReadFileBytes(decodedPath)); !mismatch.empty()) {
        Fail(gunzip, mismatch);
      }
    } catch (const std::exception& error) {
      Fail(gunzip, error.what());
    }
  }
  rows.push_back(gunzip);
  std::fprintf(stderr, "\n");

  PrintTable(rows, input.size(), gzip9, gzip6, gunzip);

  const Row& optimal = rows[optimalRow];
  char value[64];
  const double decodeRatio = gunzip.seconds / viaBuffer.seconds;
  std::snprintf(value, sizeof value, "%.3fx", decodeRatio);
  PrintTarget("LZH decode >= 0.35x gzip -d", viaBuffer.failure.empty() && gunzip.failure.empty(),
              decodeRatio >= kDecodeTarget, value);
  double sizeRatio = 0;
  if (optimal.size && gzip9.size) {
    sizeRatio = static_cast<double>(*optimal.size) / static_cast<double>(*gzip9.size);
  }
  std::snprintf(value, sizeof value, "%.4fx", sizeRatio);
  PrintTarget("Optimal size <= 1.085x gzip -9", optimal.failure.empty() && gzip9.failure.empty(),
              sizeRatio <= kOptimalSizeTarget, value);
  const double optimalSpeed = Megabytes(input.size()) / optimal.seconds;
  std::snprintf(value, sizeof value, "%.2f MB/s", optimalSpeed);
  PrintTarget("Optimal encode >= 5 MB/s", optimal.failure.empty(), optimalSpeed >= kOptimalSpeedTarget,
              value);
  if (options.quick || options.corpusFile) {
    std::printf("(targets are defined on the full corpus; this run is indicative only)\n");
  }
  std::printf("\n");
  if (options.categories) PrintCategories(corpus, temp.Path());

  const bool faulty =
      std::any_of(rows.begin(), rows.end(), [](const Row& row) { return !row.failure.empty(); });
  if (faulty) {
    std::printf("\nFAILED:\n");
    for (const Row& row : rows) {
      if (!row.failure.empty()) std::printf("  %s: %s\n", row.method.c_str(), row.failure.c_str());
    }
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace kavrix::bench

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--help") {
    kavrix::bench::PrintUsage();
    return 0;
  }
  const std::optional<kavrix::bench::Options> options = kavrix::bench::ParseOptions(argc, argv);
  if (!options) {
    kavrix::bench::PrintUsage();
    return 2;
  }
  try {
    return kavrix::bench::Run(*options);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "lzh_bench: %s\n", error.what());
    return 2;
  }
}
