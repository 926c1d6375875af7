#pragma once
// Drives the decoding component the way a client does, with the buffer sizes and read
// sizes chosen by a fuzz input, and traps when the component breaks its side of the
// event contracts. Shared by the fuzz targets so every target exercises those paths.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "archive/Lzh_op.h"

namespace kavrix::fuzz {

// How much a client copies when asked for `size` bytes (it may always copy fewer).
enum class ReadPattern : uint8_t { Full, OneByte, Cycling, Half };

struct DecodeSetup {
  uint32_t inputBufferSize;   // before clamping: 0 and 65535 are clamped to 16 and 32768
  uint32_t outputBufferSize;
  ReadPattern reads;
};

// Bits 0-2 pick the input buffer size, 3-5 the output buffer size, 6-7 the read
// pattern; 0 is the component's defaults with full reads.
inline DecodeSetup SetupFromByte(uint8_t byte) {
  static constexpr uint32_t kSizes[8] = {1024, 16, 17, 100, 4096, 32768, 0, 65535};
  return {kSizes[byte & 7], kSizes[(byte >> 3) & 7], static_cast<ReadPattern>(byte >> 6)};
}

// Decoded bytes from `packed`: each symbol takes at least one bit of the packed data
// and yields at most F bytes, and the decoder stops once only padding is left.
inline size_t OutputBound(size_t packedSize) { return lzh::F * 8 * packedSize + lzh::F; }

// One component, reused for every Decode, as the installer reuses it for each file.
class EventDecoder {
 public:
  explicit EventDecoder(const DecodeSetup& setup) : setup_(setup) {
    codec_.SetInputBufferSize(setup.inputBufferSize);
    codec_.SetOutputBufferSize(setup.outputBufferSize);
    codec_.OnReadData = [this](TCustomLZHCompressor& sender, uint8_t* buffer, uint16_t size,
                               uint16_t& count) { OnRead(sender, buffer, size, count); };
    codec_.OnWriteData = [this](TCustomLZHCompressor& sender, uint8_t* buffer, uint16_t size,
                                uint16_t& count) { OnWrite(sender, buffer, size, count); };
    codec_.OnFinished = [this](TObject& sender) {
      Check(&sender == &codec_, "OnFinished sender");
      Check(codec_.Ready(), "Ready() during OnFinished");
      ++finished_;
    };
  }

  // Traps when more than OutputBound(packed.size()) bytes come out.
  std::vector<uint8_t> Decode(std::span<const uint8_t> packed) {
    packed_ = packed;
    consumed_ = 0;
    readCalls_ = 0;
    finished_ = 0;
    limit_ = OutputBound(packed.size());
    output_.clear();
    Check(codec_.Ready(), "Ready() before Decompress");
    codec_.Decompress();
    Check(codec_.Ready(), "Ready() after Decompress");
    Check(finished_ == 1, "OnFinished once per Decompress");
    return std::move(output_);
  }

 private:
  void OnRead(TCustomLZHCompressor& sender, uint8_t* buffer, uint16_t size, uint16_t& count) {
    Check(&sender == &codec_, "OnReadData sender");
    Check(!codec_.Ready(), "Ready() inside OnReadData");
    Check(size >= 1 && size <= codec_.InputBufferSize(), "OnReadData size within the input buffer");
    if (readCalls_++ == 0) {
      // Neither a nested call nor a size change may disturb a running decoding.
      codec_.Decompress();
      const uint16_t before = codec_.InputBufferSize();
      codec_.SetInputBufferSize(before == 16 ? 32768 : 16);
      Check(codec_.InputBufferSize() == before, "SetInputBufferSize ignored while decoding");
    }
    size_t wanted = size;
    switch (setup_.reads) {
      case ReadPattern::Full: break;
      case ReadPattern::OneByte: wanted = 1; break;
      case ReadPattern::Cycling: wanted = 1 + readCalls_ % 13; break;
      case ReadPattern::Half: wanted = (size + 1) / 2; break;
    }
    const size_t copied = std::min({wanted, size_t{size}, packed_.size() - consumed_});
    if (copied > 0) std::memcpy(buffer, packed_.data() + consumed_, copied);
    consumed_ += copied;
    count = static_cast<uint16_t>(copied);
  }

  void OnWrite(TCustomLZHCompressor& sender, uint8_t* buffer, uint16_t size, uint16_t& count) {
    Check(&sender == &codec_, "OnWriteData sender");
    Check(size <= codec_.OutputBufferSize(), "OnWriteData size within the output buffer");
    Check(output_.size() + size <= limit_, "decoded size within 60 bytes per packed bit");
    output_.insert(output_.end(), buffer, buffer + size);
    count = size;
  }

  DecodeSetup setup_;
  TCustomLZHCompressor codec_;
  std::span<const uint8_t> packed_;
  size_t consumed_ = 0;
  size_t readCalls_ = 0;
  int finished_ = 0;
  size_t limit_ = 0;
  std::vector<uint8_t> output_;
};

}  // namespace kavrix::fuzz
