#include <gtest/gtest.h>

#include <stdexcept>

#include "archive/LzhEncoder.h"
#include "archive/Lzh_op.h"
#include "archive/LzhSymbolWriter.h"
#include "support/LzhTestCodec.h"
#include "support/TestData.h"

namespace kavrix {
namespace {

using testing::Bytes;
using testing::Decode;
using testing::DecodeOptions;
using V = std::vector<uint8_t>;

// Builds a packed stream symbol by symbol.
struct StreamBuilder {
  V bytes;
  lzh::SymbolWriter writer{bytes};
  StreamBuilder& Literal(uint8_t c) { writer.Literal(c); return *this; }
  StreamBuilder& Match(int length, int position) { writer.Match(length, position); return *this; }
  V Finish() { writer.Finish(); return bytes; }
};

TEST(LzhDecoder, StreamsWithoutSymbolsDecodeToNothing) {
  for (const V& packed : {V{}, V{0x80}}) {
    const auto run = Decode(packed);
    EXPECT_TRUE(run.output.empty());
    EXPECT_EQ(run.writeSizes, std::vector<uint16_t>{0}) << "the final hand-over happens even when empty";
    EXPECT_EQ(run.finishedCalls, 1);
  }
}

TEST(LzhDecoder, SingleLiteralKnownAnswer) {
  EXPECT_EQ(Decode(V{0xE6, 0xC0}).output, Bytes("A"));
  EXPECT_EQ(StreamBuilder().Literal('A').Finish(), (V{0xE6, 0xC0}));
}

TEST(LzhDecoder, OverlappingMatchRepeatsTheBytesItWrites) {
  const V packed = StreamBuilder().Literal('z').Match(60, 0).Finish();
  EXPECT_EQ(Decode(packed).output, V(61, 'z'));
}

TEST(LzhDecoder, EarlyMatchesReadTheInitialRing) {
  // Position 100 reaches back into the 4036 leading spaces; position 4091 reaches
  // ring bytes 4040.. that have not been written yet and are still zero; the last
  // one alternates the last space with the first byte written.
  EXPECT_EQ(Decode(StreamBuilder().Match(5, 100).Finish()).output, V(5, ' '));
  EXPECT_EQ(Decode(StreamBuilder().Match(5, 4091).Finish()).output, V(5, 0));
  EXPECT_EQ(Decode(StreamBuilder().Literal('q').Match(4, 1).Finish()).output, (V{'q', ' ', 'q', ' ', 'q'}));
}

TEST(LzhDecoder, ShortReadsGiveTheSameOutput) {
  const V input = testing::TextLike(20000, 1);
  const V packed = lzh::LzhEncode(input);
  for (const uint16_t chunk : std::vector<uint16_t>{1, 2, 3, 17, 1023}) {
    DecodeOptions options;
    options.maxReadChunk = chunk;
    EXPECT_EQ(Decode(packed, options).output, input) << "chunk " << chunk;
  }
  DecodeOptions small;
  small.inputBufferSize = 16;
  small.outputBufferSize = 16;
  EXPECT_EQ(Decode(packed, small).output, input);
}

TEST(LzhDecoder, WriteEventSeesFullBuffersThenTheRest) {
  DecodeOptions options;
  options.outputBufferSize = 4096;
  const auto sizesFor = [&](size_t length) {
    return Decode(lzh::LzhEncode(testing::RandomBytes(length, length)), options).writeSizes;
  };
  EXPECT_EQ(sizesFor(10000), (std::vector<uint16_t>{4096, 4096, 1808}));
  EXPECT_EQ(sizesFor(8192), (std::vector<uint16_t>{4096, 4096}));
  EXPECT_EQ(sizesFor(0), std::vector<uint16_t>{0});
}

TEST(LzhDecoder, BufferSizesAreClampedAndLockedWhileDecoding) {
  TCustomLZHCompressor codec;
  EXPECT_EQ(codec.InputBufferSize(), 1024);
  EXPECT_EQ(codec.OutputBufferSize(), 1024);
  codec.SetInputBufferSize(5);
  EXPECT_EQ(codec.InputBufferSize(), 16);
  codec.SetInputBufferSize(40000);
  EXPECT_EQ(codec.InputBufferSize(), 32768);
  codec.SetOutputBufferSize(0);
  EXPECT_EQ(codec.OutputBufferSize(), 16);
  codec.SetOutputBufferSize(100000);
  EXPECT_EQ(codec.OutputBufferSize(), 32768);

  const V packed = lzh::LzhEncode(testing::TextLike(3000, 2));
  codec.SetOutputBufferSize(1000);
  std::vector<uint16_t> sizes;
  size_t consumed = 0;
  codec.OnReadData = [&](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t& count) {
    count = static_cast<uint16_t>(std::min<size_t>(size, packed.size() - consumed));
    std::copy_n(packed.begin() + static_cast<std::ptrdiff_t>(consumed), count, buffer);
    consumed += count;
  };
  codec.OnWriteData = [&](TCustomLZHCompressor& sender, uint8_t*, uint16_t size, uint16_t&) {
    sizes.push_back(size);
    sender.SetOutputBufferSize(64);
    sender.SetInputBufferSize(64);
  };
  codec.Decompress();
  EXPECT_EQ(sizes, (std::vector<uint16_t>{1000, 1000, 1000}));
  EXPECT_EQ(codec.OutputBufferSize(), 1000);
  EXPECT_EQ(codec.InputBufferSize(), 32768);
  codec.SetOutputBufferSize(64);
  EXPECT_EQ(codec.OutputBufferSize(), 64) << "writable again once ready";
}

TEST(LzhDecoder, NestedDecompressReturnsAtOnce) {
  const V input = testing::TextLike(5000, 3);
  const V packed = lzh::LzhEncode(input);
  TCustomLZHCompressor codec;
  V output;
  size_t consumed = 0;
  int nested = 0;
  codec.OnReadData = [&](TCustomLZHCompressor& sender, uint8_t* buffer, uint16_t size, uint16_t& count) {
    sender.Decompress();
    ++nested;
    count = static_cast<uint16_t>(std::min<size_t>(size, packed.size() - consumed));
    std::copy_n(packed.begin() + static_cast<std::ptrdiff_t>(consumed), count, buffer);
    consumed += count;
  };
  codec.OnWriteData = [&](TCustomLZHCompressor& sender, uint8_t* buffer, uint16_t size, uint16_t&) {
    EXPECT_FALSE(sender.Ready());
    sender.Decompress();
    output.insert(output.end(), buffer, buffer + size);
  };
  codec.Decompress();
  EXPECT_GT(nested, 0);
  EXPECT_EQ(output, input);
  EXPECT_TRUE(codec.Ready());
}

TEST(LzhDecoder, EventExceptionsEndTheStreamQuietly) {
  const V input = testing::TextLike(5000, 4);
  const V packed = lzh::LzhEncode(input);
  TCustomLZHCompressor codec;
  codec.SetOutputBufferSize(1000);
  V output;
  std::vector<uint16_t> sizes;
  int finished = 0;
  size_t consumed = 0;
  codec.OnReadData = [&](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t& count) {
    count = static_cast<uint16_t>(std::min<size_t>(size, packed.size() - consumed));
    std::copy_n(packed.begin() + static_cast<std::ptrdiff_t>(consumed), count, buffer);
    consumed += count;
  };
  codec.OnWriteData = [&](TCustomLZHCompressor&, uint8_t* buffer, uint16_t size, uint16_t&) {
    sizes.push_back(size);
    if (sizes.size() == 2) throw std::runtime_error("disk full");
    output.insert(output.end(), buffer, buffer + size);
  };
  codec.OnFinished = [&](TObject&) { ++finished; };
  EXPECT_NO_THROW(codec.Decompress());
  // The second hand-over fails, which ends decoding; the full buffer the client
  // could not store is offered once more by the final hand-over.
  EXPECT_EQ(sizes, (std::vector<uint16_t>{1000, 1000, 1000}));
  EXPECT_EQ(output.size(), 2000u);
  EXPECT_EQ(finished, 1);
  EXPECT_TRUE(codec.Ready());
}

TEST(LzhDecoder, FinalHandOverExceptionPropagatesAfterOnFinished) {
  TCustomLZHCompressor codec;
  std::vector<std::string> calls;
  codec.OnReadData = [](TCustomLZHCompressor&, uint8_t*, uint16_t, uint16_t& count) { count = 0; };
  codec.OnWriteData = [&](TCustomLZHCompressor&, uint8_t*, uint16_t, uint16_t&) {
    calls.push_back("write");
    throw std::runtime_error("cannot write");
  };
  codec.OnFinished = [&](TObject& sender) {
    calls.push_back("finished");
    EXPECT_TRUE(static_cast<TCustomLZHCompressor&>(sender).Ready());
  };
  EXPECT_THROW(codec.Decompress(), std::runtime_error);
  EXPECT_EQ(calls, (std::vector<std::string>{"write", "finished"}));
  EXPECT_TRUE(codec.Ready());
  calls.clear();
  EXPECT_THROW(codec.Decompress(), std::runtime_error) << "usable again";
}

TEST(LzhDecoder, DamagedInputDecodesToSomethingBounded) {
  // Not detected by design: the decoder emits whatever the bits say and stops at the
  // end of the input.
  V packed = lzh::LzhEncode(testing::TextLike(2000, 5));
  packed.resize(packed.size() / 2);
  const auto run = Decode(packed);
  EXPECT_LE(run.output.size(), packed.size() * 8 * 60 + 60);
  EXPECT_EQ(run.finishedCalls, 1);
}

TEST(LzhDecoder, WholeTerminatorByteAfterALopsidedTreeYieldsOneExtraSymbol) {
  // The hazard the encoder must steer around: when the stream ends on a byte
  // boundary and the root's 1-side child is a leaf, the terminator's 1 bit decodes as
  // that leaf's symbol.
  StreamBuilder builder;
  int literals = 0;
  while (!builder.writer.EndIsAmbiguous() && literals < 100000) {
    builder.Literal('x');
    ++literals;
  }
  ASSERT_TRUE(builder.writer.EndIsAmbiguous());
  const V output = Decode(builder.Finish()).output;
  EXPECT_EQ(output, V(static_cast<size_t>(literals) + 1, 'x'));
}

}  // namespace
}  // namespace kavrix
