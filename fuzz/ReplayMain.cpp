// Replays fuzz inputs where libFuzzer is not available (g++, the MinGW build under
// Wine): each file named on the command line, and each file under each directory
// named, in sorted order, goes once through LLVMFuzzerTestOneInput. Finding no input
// at all is a failure, so a wrong corpus path cannot pass silently.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> InputsUnder(const std::filesystem::path& path) {
  std::vector<std::filesystem::path> inputs;
  if (std::filesystem::is_directory(path)) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
  } else {
    inputs.push_back(path);
  }
  return inputs;
}

bool Replay(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "replay: cannot open '%s'\n", path.string().c_str());
    return false;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  // An exactly sized copy, so a sanitizer build catches a read past the input.
  const auto data = std::make_unique<uint8_t[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), data.get());
  // Named before running, so the log of a crash ends with the input that caused it.
  std::printf("%s (%zu bytes)\n", path.string().c_str(), bytes.size());
  std::fflush(stdout);
  LLVMFuzzerTestOneInput(data.get(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  size_t replayed = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    for (const auto& input : InputsUnder(argv[i])) {
      if (Replay(input)) {
        ++replayed;
      } else {
        ok = false;
      }
    }
  }
  std::printf("replayed %zu inputs\n", replayed);
  if (replayed == 0) std::fprintf(stderr, "replay: no inputs found\n");
  return ok && replayed > 0 ? 0 : 1;
}
