// Checks that TCustomLZHCompressor::Decompress survives any packed data: no crash,
// sanitizer report or hang, and at most 60 decoded bytes per packed bit. The first
// input byte picks the buffer sizes and how short the client's reads are; the output
// must not depend on them (it equals a decoding with the largest buffers and full
// reads), nor on the component having decoded before, and the component must keep
// the event contracts throughout.

#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzDecoding.h"
#include "archive/LzhMemory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kavrix;
  if (size == 0) return 0;
  const std::span<const uint8_t> packed(data + 1, size - 1);

  fuzz::EventDecoder decoder(fuzz::SetupFromByte(data[0]));
  const std::vector<uint8_t> first = decoder.Decode(packed);
  const std::vector<uint8_t> again = decoder.Decode(packed);
  fuzz::Check(again == first, "a reused component decodes the same");
  fuzz::Check(lzh::LzhDecodeBuffer(packed) == first, "output independent of buffer and read sizes");
  return 0;
}
