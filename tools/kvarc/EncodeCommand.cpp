// kvarc encode: the whole input is read into memory because the encoder parses it as
// one span; the payloads it packs are installer files, far below the address space.

#include <cstdint>
#include <vector>

#include "Command.h"
#include "FileIo.h"
#include "archive/LzhEncoder.h"

namespace kavrix::kvarc {

namespace {

lzh::LzhParse ParseMode(const CommandLine& line) {
  const auto value = line.Value("--parse");
  if (!value || *value == "optimal") return lzh::LzhParse::Optimal;
  if (*value == "lazy") return lzh::LzhParse::Lazy;
  if (*value == "greedy") return lzh::LzhParse::Greedy;
  throw UsageError("encode: unknown parse '" + *value + "' (expected greedy, lazy or optimal)");
}

}  // namespace

void RunEncode(const CommandLine& line) {
  line.ExpectOperands(2, "IN OUT");
  const lzh::LzhParse parse = ParseMode(line);
  const std::string& inPath = line.Operands()[0];
  const std::string& outPath = line.Operands()[1];
  // Opening the output would truncate the input before it is read.
  if (SameFile(inPath, outPath)) throw UsageError("encode: '" + outPath + "' is both input and output");

  const std::vector<uint8_t> input = ReadWholeFile(inPath);
  const std::vector<uint8_t> packed = lzh::LzhEncode(input, parse);
  OutputFile output(outPath);
  output.Write(packed);
  output.Commit();
}

}  // namespace kavrix::kvarc
