#include "support/LzhTestCodec.h"

#include <algorithm>
#include <cstring>

namespace kavrix::testing {

DecodeRun Decode(std::span<const uint8_t> packed, const DecodeOptions& options) {
  DecodeRun run;
  size_t consumed = 0;
  TCustomLZHCompressor codec;
  codec.SetInputBufferSize(options.inputBufferSize);
  codec.SetOutputBufferSize(options.outputBufferSize);
  codec.OnReadData = [&](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t& count) {
    count = static_cast<uint16_t>(std::min<size_t>({size, options.maxReadChunk, packed.size() - consumed}));
    if (count != 0) std::memcpy(buffer, packed.data() + consumed, count);
    consumed += count;
  };
  codec.OnWriteData = [&](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t& count) {
    run.writeSizes.push_back(size);
    run.output.insert(run.output.end(), buffer, buffer + size);
    count = size;
  };
  codec.OnFinished = [&](TObject&) { ++run.finishedCalls; };
  codec.Decompress();
  return run;
}

}  // namespace kavrix::testing
