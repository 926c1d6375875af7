// Checks lzh::LzhEncode against the decoding component: any input, packed in the
// parse mode picked by the first byte (3 means all three), decodes back to exactly
// itself through the buffer sizes and read pattern the first byte also picks; packing
// is deterministic and appends to what the output vector already holds.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzDecoding.h"
#include "archive/LzhEncoder.h"

namespace {

using kavrix::fuzz::Check;
using kavrix::lzh::LzhParse;

void RoundTrip(std::span<const uint8_t> input, LzhParse parse, const kavrix::fuzz::DecodeSetup& setup) {
  const std::vector<uint8_t> packed = kavrix::lzh::LzhEncode(input, parse);

  const std::vector<uint8_t> prefix = {0xA5, 0x5A, 0x00};
  std::vector<uint8_t> appended = prefix;
  kavrix::lzh::LzhEncode(input, appended, parse);
  Check(std::equal(prefix.begin(), prefix.end(), appended.begin()), "LzhEncode keeps what output held");
  Check(std::equal(appended.begin() + prefix.size(), appended.end(), packed.begin(), packed.end()),
        "LzhEncode is deterministic");

  kavrix::fuzz::EventDecoder decoder(setup);
  const std::vector<uint8_t> decoded = decoder.Decode(packed);
  Check(std::equal(decoded.begin(), decoded.end(), input.begin(), input.end()), "decodes back to the input");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::span<const uint8_t> input(data + 1, size - 1);
  const auto setup = kavrix::fuzz::SetupFromByte(static_cast<uint8_t>(data[0] >> 2));
  static constexpr LzhParse kModes[] = {LzhParse::Greedy, LzhParse::Lazy, LzhParse::Optimal};
  const int mode = data[0] & 3;
  if (mode == 3) {
    for (LzhParse parse : kModes) RoundTrip(input, parse, setup);
  } else {
    RoundTrip(input, kModes[mode], setup);
  }
  return 0;
}
