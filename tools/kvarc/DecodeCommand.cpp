// kvarc decode: streams through the installer's own decoding component, so what this
// command unpacks is exactly what setup will unpack, in memory bounded by the buffers.

#include <exception>

#include "Command.h"
#include "FileIo.h"
#include "archive/Lzh_op.h"

namespace kavrix::kvarc {

namespace {

// Thrown from OnWriteData to end the decoding once the output has failed; the
// component treats it like any event exception and stops.
struct StopDecoding {};

}  // namespace

void RunDecode(const CommandLine& line) {
  line.ExpectOperands(2, "IN OUT");
  const std::string& inPath = line.Operands()[0];
  const std::string& outPath = line.Operands()[1];
  // Opening the output would truncate the input before it is read.
  if (SameFile(inPath, outPath)) throw UsageError("decode: '" + outPath + "' is both input and output");

  InputFile input(inPath);
  OutputFile output(outPath);
  TCustomLZHCompressor codec;
  codec.SetInputBufferSize(TCustomLZHCompressor::kMaxBufferSize);
  codec.SetOutputBufferSize(TCustomLZHCompressor::kMaxBufferSize);

  // Decompress swallows exceptions from the events, so failures are kept here and
  // raised once it returns.
  std::exception_ptr failure;
  codec.OnReadData = [&](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t& count) {
    count = 0;
    if (failure) return;  // the input ends for good after a failure
    try {
      count = static_cast<uint16_t>(input.Read(buffer, size));
    } catch (...) {
      failure = std::current_exception();
    }
  };
  codec.OnWriteData = [&](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t& count) {
    count = size;
    if (failure) return;
    try {
      output.Write({buffer, size});
    } catch (...) {
      failure = std::current_exception();
      throw StopDecoding{};
    }
  };
  try {
    codec.Decompress();
  } catch (const StopDecoding&) {
    // Raised by the final hand-over; the failure is already recorded.
  }
  if (failure) std::rethrow_exception(failure);
  output.Commit();
}

}  // namespace kavrix::kvarc
