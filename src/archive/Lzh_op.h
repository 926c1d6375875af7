#pragma once
// TCustomLZHCompressor: decodes one LZHUF packed stream, pulling packed bytes through
// OnReadData and pushing decoded bytes through OnWriteData, each behind a buffer.
// It does no file handling of its own; the archive component connects the events.

#include <cstdint>
#include <functional>
#include <memory>

#include "archive/AdaptiveHuffmanTree.h"
#include "foundation/Component.h"
#include "foundation/Exceptions.h"

namespace kavrix {

// Raised when the packed data ends inside a code. Decompress absorbs it.
class ECompress : public Exception {
 public:
  using Exception::Exception;
};

class TCustomLZHCompressor;

// OnReadData: copy up to `size` packed bytes into `buffer` and set `count` to the
// number copied; 0 means the packed data has ended, and must stay so when asked again.
// OnWriteData: `buffer` holds `size` decoded bytes (possibly none) for the client;
// `count` is set by the client and not inspected.
using TLZHDataEvent =
    std::function<void(TCustomLZHCompressor& sender, uint8_t* buffer, uint16_t size, uint16_t& count)>;

class TCustomLZHCompressor : public TComponent {
 public:
  static constexpr uint16_t kMinBufferSize = 16;
  static constexpr uint16_t kMaxBufferSize = 32768;
  static constexpr uint16_t kDefaultBufferSize = 1024;

  explicit TCustomLZHCompressor(TComponent* owner = nullptr);
  ~TCustomLZHCompressor() override;

  // Clamped to 16..32768; ignored while a decoding runs.
  uint16_t InputBufferSize() const noexcept { return inputBufferSize_; }
  void SetInputBufferSize(uint32_t value) noexcept;
  uint16_t OutputBufferSize() const noexcept { return outputBufferSize_; }
  void SetOutputBufferSize(uint32_t value) noexcept;

  TLZHDataEvent OnReadData;
  TLZHDataEvent OnWriteData;
  TNotifyEvent OnFinished;  // once at the end of every decoding, after the buffers are released

  // Decodes one packed stream until the packed data ends. Returns at once when a
  // decoding is already running (a call from inside an event). Exceptions from the
  // decoding loop, the events included, end the stream quietly; one raised by
  // OnWriteData during the final hand-over propagates after OnFinished.
  void Decompress();

  // True when no decoding is running.
  bool Ready() const noexcept { return ready_; }

 protected:
  // Appends `count` bytes (1..OutputBufferSize) to the output buffer, handing the
  // buffer to OnWriteData first when they would not fit; `done` is set to `count`.
  virtual void WriteOutput(const void* source, uint16_t count, uint16_t& done);

  // Copies up to `count` bytes from the input buffer, refilling it through OnReadData
  // when needed; `done` is the number of valid bytes (0 at the end of the input).
  virtual void ReadInput(void* dest, uint16_t count, uint16_t& done);

 private:
  void ResetState() noexcept;
  void DecodeLoop();
  uint8_t FetchByte(bool& endOfInput);
  void OutputByte(uint8_t value);
  void HandOverOutput(uint16_t size);
  uint16_t RequestInput(uint8_t* buffer, uint16_t size);
  // The slow paths of ReadInput and WriteOutput, kept apart so the per-byte paths stay small.
  uint16_t RefillAndRead(uint8_t* dest, uint16_t count);
  void FlushAndWrite(const uint8_t* source, uint16_t count);

  // Allocated once per component, in this order.
  std::unique_ptr<uint16_t[]> leftChildren_;   // N + 1: match-finder tree of the encoding direction
  std::unique_ptr<uint16_t[]> parents_;        // N + 1
  std::unique_ptr<uint16_t[]> rightChildren_;  // N + 257
  std::unique_ptr<uint8_t[]> ring_;            // N + F - 1
  std::unique_ptr<uint16_t[]> freq_;           // T + 1
  std::unique_ptr<uint16_t[]> prnt_;           // T + N_CHAR
  std::unique_ptr<uint16_t[]> son_;            // T
  lzh::AdaptiveHuffmanTree tree_;

  uint16_t outputPosition_ = 1;  // 1-based
  uint16_t inputPosition_ = 1;   // 1-based
  uint16_t inputCount_ = 0;
  std::unique_ptr<uint8_t[]> inputBuffer_;
  std::unique_ptr<uint8_t[]> outputBuffer_;
  bool ready_ = true;
  uint16_t inputBufferSize_ = kDefaultBufferSize;
  uint16_t outputBufferSize_ = kDefaultBufferSize;
};

}  // namespace kavrix
