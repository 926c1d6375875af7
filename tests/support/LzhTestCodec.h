#pragma once
// Drives the codec component the way its clients do, with knobs for the tests:
// short reads, buffer sizes, and a record of every OnWriteData call.

#include <cstdint>
#include <span>
#include <vector>

#include "archive/Lzh_op.h"

namespace kavrix::testing {

struct DecodeRun {
  std::vector<uint8_t> output;
  std::vector<uint16_t> writeSizes;  // Size of each OnWriteData call
  int finishedCalls = 0;
};

struct DecodeOptions {
  uint16_t maxReadChunk = 0xFFFF;  // OnReadData supplies at most this many bytes per call
  uint32_t inputBufferSize = TCustomLZHCompressor::kDefaultBufferSize;
  uint32_t outputBufferSize = TCustomLZHCompressor::kDefaultBufferSize;
};

DecodeRun Decode(std::span<const uint8_t> packed, const DecodeOptions& options = {});

}  // namespace kavrix::testing
