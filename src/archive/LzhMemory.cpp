#include "archive/LzhMemory.h"

#include <algorithm>
#include <cstring>

#include "archive/Lzh_op.h"

namespace kavrix::lzh {

std::vector<uint8_t> LzhDecodeBuffer(std::span<const uint8_t> packed) {
  std::vector<uint8_t> decoded;
  size_t consumed = 0;
  TCustomLZHCompressor codec;
  codec.SetInputBufferSize(TCustomLZHCompressor::kMaxBufferSize);
  codec.SetOutputBufferSize(TCustomLZHCompressor::kMaxBufferSize);
  codec.OnReadData = [&](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t& count) {
    count = static_cast<uint16_t>(std::min<size_t>(size, packed.size() - consumed));
    if (count != 0) std::memcpy(buffer, packed.data() + consumed, count);
    consumed += count;
  };
  codec.OnWriteData = [&](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t& count) {
    decoded.insert(decoded.end(), buffer, buffer + size);
    count = size;
  };
  codec.Decompress();
  return decoded;
}

}  // namespace kavrix::lzh
