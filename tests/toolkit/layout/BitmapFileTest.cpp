#include "toolkit/layout/BitmapFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace kavrix {
namespace {

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void Put16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

// A .bmp file as the artwork tool writes one: headers, `colours` table entries, rows.
std::vector<uint8_t> BitmapFile(int32_t width, int32_t height, uint16_t bitCount, uint32_t colours) {
  const uint32_t rowBytes = (static_cast<uint32_t>(width) * bitCount + 31) / 32 * 4;
  const uint32_t offset = 14 + 40 + 4 * colours;
  std::vector<uint8_t> file(offset + rowBytes * static_cast<uint32_t>(height < 0 ? -height : height));
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<uint32_t>(file.size()));
  Put32(file, 10, offset);
  Put32(file, 14, 40);
  Put32(file, 18, static_cast<uint32_t>(width));
  Put32(file, 22, static_cast<uint32_t>(height));
  Put16(file, 26, 1);
  Put16(file, 28, bitCount);
  Put32(file, 46, bitCount <= 8 ? colours : 0);
  return file;
}

TEST(BitmapFileTest, FindsHeaderColourTableAndExactlyTheRows) {
  const std::vector<uint8_t> trueColour = BitmapFile(471, 63, 24, 0);
  const auto parts = SplitBitmapFile(trueColour);
  ASSERT_TRUE(parts.has_value());
  EXPECT_EQ(parts->info.data(), trueColour.data() + 14);
  EXPECT_EQ(parts->info.size(), 40u);
  EXPECT_EQ(parts->bits.size(), 63u * 1416) << "rows padded to four bytes";

  const std::vector<uint8_t> paletted = BitmapFile(338, -46, 8, 16);
  const auto palettedParts = SplitBitmapFile(paletted);
  ASSERT_TRUE(palettedParts.has_value()) << "top-down rows";
  EXPECT_EQ(palettedParts->info.size(), 40u + 16 * 4);
  EXPECT_EQ(palettedParts->bits.size(), 46u * 340);

  std::vector<uint8_t> fullTable = BitmapFile(3, 2, 4, 16);
  Put32(fullTable, 46, 0);  // no count: the whole table for the depth
  ASSERT_TRUE(SplitBitmapFile(fullTable).has_value());
  EXPECT_EQ(SplitBitmapFile(fullTable)->info.size(), 40u + 16 * 4);
}

TEST(BitmapFileTest, RefusesAnythingThatIsNotAWholeUncompressedBitmap) {
  const std::vector<uint8_t> good = BitmapFile(5, 3, 24, 0);
  const auto refused = [&](auto&& damage) {
    std::vector<uint8_t> file = good;
    damage(file);
    return !SplitBitmapFile(file).has_value();
  };
  EXPECT_TRUE(refused([](auto& f) { f.resize(f.size() - 1); })) << "last row cut short";
  EXPECT_TRUE(refused([](auto& f) { f.resize(20); })) << "header cut short";
  EXPECT_TRUE(refused([](auto& f) { f[1] = 'X'; })) << "not a bitmap file";
  EXPECT_TRUE(refused([](auto& f) { Put32(f, 10, 0xFFFFFFF0u); })) << "rows beyond the end";
  EXPECT_TRUE(refused([](auto& f) { Put32(f, 10, 20); })) << "rows inside the header";
  EXPECT_TRUE(refused([](auto& f) { Put32(f, 14, 12); })) << "too old a header";
  EXPECT_TRUE(refused([](auto& f) { Put32(f, 14, 0xFFFFFFF0u); })) << "header larger than the file";
  EXPECT_TRUE(refused([](auto& f) { Put32(f, 18, 0); })) << "no width";
  EXPECT_TRUE(refused([](auto& f) { Put32(f, 18, 0x80000000u); })) << "negative width";
  EXPECT_TRUE(refused([](auto& f) { Put32(f, 22, 0); })) << "no height";
  EXPECT_TRUE(refused([](auto& f) { Put32(f, 22, 0x7FFFFFFFu); })) << "rows far past the end";
  EXPECT_TRUE(refused([](auto& f) { Put16(f, 26, 2); })) << "two planes";
  EXPECT_TRUE(refused([](auto& f) { Put16(f, 28, 7); })) << "no such depth";
  EXPECT_TRUE(refused([](auto& f) { Put32(f, 30, 1); })) << "run-length compressed";
  EXPECT_TRUE(refused([](auto& f) {
    Put16(f, 28, 8);
    Put32(f, 46, 257);
  })) << "more colours than the depth has";
  EXPECT_TRUE(refused([](auto& f) {
    Put16(f, 28, 1);
    Put32(f, 46, 2);  // a table the rows' offset leaves no room for
  })) << "colour table overlapping the rows";
}

}  // namespace
}  // namespace kavrix
