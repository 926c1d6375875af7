#include "archive/Lzh_op.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace kavrix {

using namespace lzh;

namespace {

uint16_t ClampBufferSize(uint32_t value) noexcept {
  return static_cast<uint16_t>(std::clamp<uint32_t>(value, TCustomLZHCompressor::kMinBufferSize,
                                                    TCustomLZHCompressor::kMaxBufferSize));
}

}  // namespace

TCustomLZHCompressor::TCustomLZHCompressor(TComponent* owner)
    : TComponent(owner),
      leftChildren_(new uint16_t[N + 1]),
      parents_(new uint16_t[N + 1]),
      rightChildren_(new uint16_t[N + 257]),
      ring_(new uint8_t[N + F - 1]),
      freq_(new uint16_t[T + 1]),
      prnt_(new uint16_t[T + N_CHAR]),
      son_(new uint16_t[T]),
      tree_(freq_.get(), prnt_.get(), son_.get()) {}

TCustomLZHCompressor::~TCustomLZHCompressor() = default;

void TCustomLZHCompressor::SetInputBufferSize(uint32_t value) noexcept {
  if (ready_) inputBufferSize_ = ClampBufferSize(value);
}

void TCustomLZHCompressor::SetOutputBufferSize(uint32_t value) noexcept {
  if (ready_) outputBufferSize_ = ClampBufferSize(value);
}

void TCustomLZHCompressor::Decompress() {
  if (!ready_) return;
  ready_ = false;

  std::exception_ptr handOverError;
  try {
    inputBuffer_.reset(new uint8_t[inputBufferSize_]);
    outputBuffer_.reset(new uint8_t[outputBufferSize_]);
    ResetState();
    try {
      DecodeLoop();
    } catch (...) {
      // The end of the packed data inside a code, and anything the events raise,
      // end this stream; what has been decoded is still handed over below.
    }
    HandOverOutput(static_cast<uint16_t>(outputPosition_ - 1));
  } catch (...) {
    handOverError = std::current_exception();
  }

  inputBuffer_.reset();
  outputBuffer_.reset();
  ready_ = true;
  if (OnFinished) OnFinished(*this);
  if (handOverError) std::rethrow_exception(handOverError);
}

void TCustomLZHCompressor::ResetState() noexcept {
  outputPosition_ = 1;
  inputPosition_ = 1;
  inputCount_ = 0;
  std::fill_n(leftChildren_.get(), N + 1, uint16_t{0});
  std::fill_n(parents_.get(), N + 1, uint16_t{0});
  std::fill_n(rightChildren_.get(), N + 257, uint16_t{0});
  std::fill_n(ring_.get(), N + F - 1, uint8_t{0});
  std::fill_n(freq_.get(), T + 1, uint16_t{0});
  std::fill_n(prnt_.get(), T + N_CHAR, uint16_t{0});
  std::fill_n(son_.get(), T, uint16_t{0});
}

uint8_t TCustomLZHCompressor::FetchByte(bool& endOfInput) {
  uint8_t byte = 0;
  uint16_t done = 0;
  ReadInput(&byte, 1, done);
  if (done == 1) return byte;
  endOfInput = true;
  return 0;
}

void TCustomLZHCompressor::DecodeLoop() {
  // The bit state lives in locals so the loop keeps it in registers; nothing outside
  // one decoding can observe it. It is a 16-bit buffer, held in the top half of
  // `bits` so shifting needs no masking: the next bit is bit 31. A byte is fetched
  // only when fewer than 8 bits are held, one per request, so the read event runs
  // exactly when the format says it does.
  uint32_t bits = 0;
  unsigned bitCount = 0;
  bool endOfInput = false;
  const auto refill = [&] {
    if (bitCount < 8) {
      bits |= static_cast<uint32_t>(FetchByte(endOfInput)) << (24 - bitCount);
      bitCount += 8;
    }
  };
  const auto nextBit = [&] {
    refill();
    const int bit = static_cast<int>(bits >> 31);
    bits <<= 1;
    --bitCount;
    return bit;
  };
  const auto nextByte = [&] {
    refill();
    const unsigned byte = bits >> 24;
    bits <<= 8;
    bitCount -= 8;
    return byte;
  };
  constexpr uint32_t kTerminatorOnly = 0x8000u << 16;

  tree_.Initialize();
  std::fill_n(ring_.get(), kRingStart, kRingFill);
  uint8_t* const ring = ring_.get();
  unsigned r = kRingStart;
  for (;;) {
    int n = tree_.Root();
    while (n < T) {
      n = tree_.Child(n, nextBit());
      // Only zero bits left: the terminating 1 bit was taken inside this code.
      if (endOfInput && bits == 0) throw ECompress("");
    }
    const int symbol = n - T;
    tree_.Update(symbol);

    if (symbol < 256) {
      OutputByte(static_cast<uint8_t>(symbol));
      ring[r] = static_cast<uint8_t>(symbol);
      r = (r + 1) & (N - 1);
    } else {
      unsigned code = nextByte();
      const PositionPrefix prefix = kPositionPrefix[code];
      for (int i = prefix.codeLength - 2; i > 0; --i) code = ((code << 1) + static_cast<unsigned>(nextBit())) & 0xFFFF;
      const unsigned position = (static_cast<unsigned>(prefix.upper) << 6) | (code & 0x3F);
      const unsigned start = r - position - 1;
      // Byte by byte: a source overlapping the bytes being written repeats them.
      for (int k = 0, length = MatchLength(symbol); k < length; ++k) {
        const uint8_t b = ring[(start + static_cast<unsigned>(k)) & (N - 1)];
        OutputByte(b);
        ring[r] = b;
        r = (r + 1) & (N - 1);
      }
    }
    if (endOfInput && bits == kTerminatorOnly) return;
  }
}

void TCustomLZHCompressor::OutputByte(uint8_t value) {
  uint16_t done = 0;
  WriteOutput(&value, 1, done);
}

void TCustomLZHCompressor::HandOverOutput(uint16_t size) {
  uint16_t count = 0;
  if (OnWriteData) OnWriteData(*this, outputBuffer_.get(), size, count);
}

uint16_t TCustomLZHCompressor::RequestInput(uint8_t* buffer, uint16_t size) {
  uint16_t count = 0;
  if (OnReadData) OnReadData(*this, buffer, size, count);
  return std::min(count, size);  // a client claiming more than asked is not trusted
}

void TCustomLZHCompressor::ReadInput(void* dest, uint16_t count, uint16_t& done) {
  if (count == 1 && inputPosition_ <= inputCount_) {  // the decoder's request, one byte at a time
    *static_cast<uint8_t*>(dest) = inputBuffer_[inputPosition_ - 1u];
    ++inputPosition_;
    done = 1;
    return;
  }
  done = RefillAndRead(static_cast<uint8_t*>(dest), count);
}

uint16_t TCustomLZHCompressor::RefillAndRead(uint8_t* dest, uint16_t count) {
  uint8_t* const buffer = inputBuffer_.get();
  if (inputPosition_ > inputCount_) {
    inputCount_ = RequestInput(buffer, inputBufferSize_);
    if (inputCount_ == 0) return 0;
    inputPosition_ = 1;
  } else if (inputPosition_ + count > inputCount_ + 1) {
    const uint16_t kept = static_cast<uint16_t>(inputCount_ - inputPosition_ + 1);
    std::memmove(buffer, buffer + inputPosition_ - 1, kept);
    inputCount_ = static_cast<uint16_t>(kept + RequestInput(buffer + kept, static_cast<uint16_t>(inputBufferSize_ - kept)));
    if (inputCount_ == 0) return 0;
    inputPosition_ = 1;
  }
  // Only valid bytes are copied; the result tells the caller how many those are.
  const uint16_t available = static_cast<uint16_t>(inputCount_ - inputPosition_ + 1);
  const uint16_t done = std::min(count, available);
  std::memcpy(dest, buffer + inputPosition_ - 1, done);
  inputPosition_ = static_cast<uint16_t>(inputPosition_ + done);
  return done;
}

void TCustomLZHCompressor::WriteOutput(const void* source, uint16_t count, uint16_t& done) {
  if (count == 1 && outputPosition_ <= outputBufferSize_) {  // the decoder's one byte at a time
    outputBuffer_[outputPosition_ - 1u] = *static_cast<const uint8_t*>(source);
    ++outputPosition_;
  } else {
    FlushAndWrite(static_cast<const uint8_t*>(source), count);
  }
  done = count;
}

void TCustomLZHCompressor::FlushAndWrite(const uint8_t* source, uint16_t count) {
  if (outputPosition_ > outputBufferSize_ || outputPosition_ + count > outputBufferSize_ + 1) {
    HandOverOutput(static_cast<uint16_t>(outputPosition_ - 1));
    outputPosition_ = 1;
  }
  if (count > outputBufferSize_) {
    // Beyond the contract; passed straight through rather than overrunning the buffer.
    uint16_t ignored = 0;
    if (OnWriteData) OnWriteData(*this, const_cast<uint8_t*>(source), count, ignored);
  } else {
    std::memcpy(outputBuffer_.get() + outputPosition_ - 1, source, count);
    outputPosition_ = static_cast<uint16_t>(outputPosition_ + count);
  }
}

}  // namespace kavrix
