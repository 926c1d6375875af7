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
  endOfInput_ = false;
  bitBuffer_ = 0;
  bitCount_ = 0;
  encoderBitCount_ = 0;
  encoderBitBuffer_ = 0;
  std::fill(std::begin(encoderCounters_), std::end(encoderCounters_), 0u);
  encoderMatchPosition_ = 0;
  encoderMatchLength_ = 0;
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

void TCustomLZHCompressor::DecodeLoop() {
  tree_.Initialize();
  std::fill_n(ring_.get(), kRingStart, kRingFill);
  uint8_t* const ring = ring_.get();
  unsigned r = kRingStart;
  for (;;) {
    const int c = NextSymbol();
    if (c < 256) {
      OutputByte(static_cast<uint8_t>(c));
      ring[r] = static_cast<uint8_t>(c);
      r = (r + 1) & (N - 1);
    } else {
      const unsigned position = static_cast<unsigned>(NextPosition());
      const unsigned start = r - position - 1;
      const int length = MatchLength(c);
      // Byte by byte: a source overlapping the bytes being written repeats them.
      for (int k = 0; k < length; ++k) {
        const uint8_t b = ring[(start + static_cast<unsigned>(k)) & (N - 1)];
        OutputByte(b);
        ring[r] = b;
        r = (r + 1) & (N - 1);
      }
    }
    if (endOfInput_ && bitBuffer_ == 0x8000) return;
  }
}

void TCustomLZHCompressor::FetchByte() {
  uint8_t byte = 0;
  uint16_t done = 0;
  ReadInput(&byte, 1, done);
  if (done != 1) {
    endOfInput_ = true;
    byte = 0;
  }
  bitBuffer_ = static_cast<uint16_t>(bitBuffer_ | (byte << (8 - bitCount_)));
  bitCount_ = static_cast<uint8_t>(bitCount_ + 8);
}

inline int TCustomLZHCompressor::NextBit() {
  if (bitCount_ < 8) FetchByte();
  const int bit = bitBuffer_ >> 15;
  bitBuffer_ = static_cast<uint16_t>(bitBuffer_ << 1);
  --bitCount_;
  return bit;
}

inline int TCustomLZHCompressor::NextByte() {
  if (bitCount_ < 8) FetchByte();
  const int byte = bitBuffer_ >> 8;
  bitBuffer_ = static_cast<uint16_t>(bitBuffer_ << 8);
  bitCount_ = static_cast<uint8_t>(bitCount_ - 8);
  return byte;
}

int TCustomLZHCompressor::NextSymbol() {
  // The walk keeps the bit state in locals; FetchByte works on the members, so they
  // are synchronised around it.
  unsigned buffer = bitBuffer_;
  unsigned count = bitCount_;
  int n = tree_.Root();
  while (n < T) {
    if (count < 8) {
      bitBuffer_ = static_cast<uint16_t>(buffer);
      bitCount_ = static_cast<uint8_t>(count);
      FetchByte();
      buffer = bitBuffer_;
      count = bitCount_;
    }
    n = tree_.Child(n, static_cast<int>((buffer >> 15) & 1));
    buffer = (buffer << 1) & 0xFFFF;
    --count;
    if (endOfInput_ && buffer == 0) {
      // Only zero bits remain: the terminating 1 bit has been taken inside this code.
      bitBuffer_ = 0x8000;
      bitCount_ = static_cast<uint8_t>(count);
      throw ECompress("");
    }
  }
  bitBuffer_ = static_cast<uint16_t>(buffer);
  bitCount_ = static_cast<uint8_t>(count);
  const int symbol = n - T;
  tree_.Update(symbol);
  return symbol;
}

int TCustomLZHCompressor::NextPosition() {
  unsigned b = static_cast<unsigned>(NextByte());
  const PositionPrefix prefix = kPositionPrefix[b];
  for (int i = prefix.codeLength - 2; i > 0; --i) b = ((b << 1) + static_cast<unsigned>(NextBit())) & 0xFFFF;
  return (prefix.upper << 6) | static_cast<int>(b & 0x3F);
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
  uint8_t* const buffer = inputBuffer_.get();
  if (count == 1 && inputPosition_ <= inputCount_) {  // the decoder's request, one byte at a time
    *static_cast<uint8_t*>(dest) = buffer[inputPosition_ - 1];
    ++inputPosition_;
    done = 1;
    return;
  }
  if (inputPosition_ > inputCount_) {
    inputCount_ = RequestInput(buffer, inputBufferSize_);
    if (inputCount_ == 0) { done = 0; return; }
    inputPosition_ = 1;
  } else if (inputPosition_ + count > inputCount_ + 1) {
    const uint16_t kept = static_cast<uint16_t>(inputCount_ - inputPosition_ + 1);
    std::memmove(buffer, buffer + inputPosition_ - 1, kept);
    inputCount_ = static_cast<uint16_t>(kept + RequestInput(buffer + kept, static_cast<uint16_t>(inputBufferSize_ - kept)));
    if (inputCount_ == 0) { done = 0; return; }
    inputPosition_ = 1;
  }
  // Only valid bytes are copied; `done` tells the caller how many those are.
  const uint16_t available = static_cast<uint16_t>(inputCount_ - inputPosition_ + 1);
  done = std::min(count, available);
  std::memcpy(dest, buffer + inputPosition_ - 1, done);
  inputPosition_ = static_cast<uint16_t>(inputPosition_ + done);
}

void TCustomLZHCompressor::WriteOutput(const void* source, uint16_t count, uint16_t& done) {
  if (count == 1 && outputPosition_ <= outputBufferSize_) {  // the decoder's one byte at a time
    outputBuffer_[outputPosition_ - 1u] = *static_cast<const uint8_t*>(source);
    ++outputPosition_;
    done = 1;
    return;
  }
  if (outputPosition_ > outputBufferSize_ || outputPosition_ + count > outputBufferSize_ + 1) {
    HandOverOutput(static_cast<uint16_t>(outputPosition_ - 1));
    outputPosition_ = 1;
  }
  if (count > outputBufferSize_) {
    // Beyond the contract; passed straight through rather than overrunning the buffer.
    uint16_t ignored = 0;
    if (OnWriteData) OnWriteData(*this, static_cast<uint8_t*>(const_cast<void*>(source)), count, ignored);
  } else {
    std::memcpy(outputBuffer_.get() + outputPosition_ - 1, source, count);
    outputPosition_ = static_cast<uint16_t>(outputPosition_ + count);
  }
  done = count;
}

}  // namespace kavrix
