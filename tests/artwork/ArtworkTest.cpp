#include "artwork/Artwork.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "BmpReader.h"

namespace kavrix::artwork {
namespace {

using testing::Bmp;
using testing::ReadBmp;
using testing::ReadDib;

// Colours as the files store them, 0x00RRGGBB.
constexpr uint32_t kPureBlue = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kSilver = 0xC0C0C0;
constexpr uint32_t kOlive = 0x808000;

class ArtworkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (auto& file : DrawArtwork()) files_[file.name] = std::move(file.bytes);
  }
  static const Bytes& File(const std::string& name) { return files_.at(name); }
  static Bmp Bitmap(const std::string& name) { return ReadBmp(File(name)); }

  static std::map<std::string, Bytes> files_;
};

std::map<std::string, Bytes> ArtworkTest::files_;

TEST_F(ArtworkTest, WritesEveryFileTheInstallerNeeds) {
  std::set<std::string> names;
  for (const auto& [name, bytes] : files_) names.insert(name);
  EXPECT_EQ(names, (std::set<std::string>{"setup.ico", "quorvel.ico", "logo.bmp", "banner.bmp", "EXCLAM.bmp",
                                          "ERROR.bmp", "INFORM.bmp", "INTERR.bmp", "newfolder.bmp",
                                          "EXCLAM_144.bmp", "GF_DITHGRADMASK1.bmp", "GF_DITHGRADMASK2.bmp"}));
}

TEST_F(ArtworkTest, BitmapsHaveTheirSizeAndDepth) {
  struct Expected {
    const char* name;
    int width, height, bits;
  };
  for (const Expected& e : {Expected{"logo.bmp", 338, 46, 8}, Expected{"banner.bmp", 471, 63, 24},
                            Expected{"EXCLAM.bmp", 7 * 32, 32, 4}, Expected{"ERROR.bmp", 8 * 32, 32, 4},
                            Expected{"INFORM.bmp", 6 * 32, 32, 4}, Expected{"INTERR.bmp", 5 * 32, 32, 4},
                            Expected{"newfolder.bmp", 32, 16, 8}, Expected{"EXCLAM_144.bmp", 7 * 48, 48, 4}}) {
    SCOPED_TRACE(e.name);
    const Bmp bmp = Bitmap(e.name);
    EXPECT_EQ(bmp.dib.width, e.width);
    EXPECT_EQ(bmp.dib.height, e.height);  // positive: bottom-up
    EXPECT_EQ(bmp.dib.bitsPerPixel, e.bits);
    EXPECT_EQ(bmp.dib.compression, 0u);
  }
}

// The logo's button treats its top-left colour as transparent: the background must be
// pure blue and the palette must hold pure blue once, so no drawn pixel can share it.
TEST_F(ArtworkTest, LogoKeysPureBlueOnlyForItsBackground) {
  const Bmp logo = Bitmap("logo.bmp");
  EXPECT_EQ(logo.ColorAt(0, 0), kPureBlue);
  EXPECT_EQ(logo.ColorAt(337, 45), kPureBlue);
  EXPECT_EQ(std::count(logo.dib.palette.begin(), logo.dib.palette.end(), kPureBlue), 1);
  int white = 0;
  for (int y = 0; y < 46; ++y)
    for (int x = 0; x < 338; ++x) white += logo.ColorAt(x, y) == kWhite;
  EXPECT_GT(white, 1000) << "the product name is missing";
}

// Each strip keeps to the VGA colours on a button-face background, and its frames move.
TEST_F(ArtworkTest, AnimationStripsAreVgaFramesThatChange) {
  const std::vector<uint32_t> vga = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                     0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                     0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (const char* name : {"EXCLAM.bmp", "ERROR.bmp", "INFORM.bmp", "INTERR.bmp"}) {
    SCOPED_TRACE(name);
    const Bmp strip = Bitmap(name);
    EXPECT_EQ(strip.dib.palette, vga);
    const int frames = strip.dib.width / 32;
    for (int f = 0; f < frames; ++f) {
      EXPECT_EQ(strip.ColorAt(32 * f, 0), kSilver);
      EXPECT_EQ(strip.ColorAt(32 * f + 31, 0), kSilver);
      EXPECT_EQ(strip.ColorAt(32 * f, 31), kSilver);
      int differing = 0;
      const int next = (f + 1) % frames;
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) differing += strip.ColorAt(32 * f + x, y) != strip.ColorAt(32 * next + x, y);
      EXPECT_GT(differing, 0) << "frame " << f << " equals frame " << next;
    }
  }
}

// Drawn again at 150 %, not enlarged: its outline stays one pixel wide, so it grows
// with the frame's edge (1.5 times), not with its area as an enlarged copy's would.
TEST_F(ArtworkTest, TheWarningStripFor150PercentIsDrawnWithOnePixelOutlines) {
  const Bmp designed = Bitmap("EXCLAM.bmp");
  const Bmp drawn = Bitmap("EXCLAM_144.bmp");
  EXPECT_EQ(drawn.dib.palette, designed.dib.palette);
  const auto outline = [](const Bmp& strip, int frame, int size) {
    int black = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) black += strip.ColorAt(size * frame + x, y) == 0x000000;
    return black;
  };
  for (int frame = 0; frame < 7; ++frame) {
    const double growth = static_cast<double>(outline(drawn, frame, 48)) / outline(designed, frame, 32);
    EXPECT_GT(growth, 1.2) << "frame " << frame;
    EXPECT_LT(growth, 1.9) << "frame " << frame << " looks enlarged, not drawn";
    EXPECT_EQ(drawn.ColorAt(48 * frame, 0), kSilver);
  }
}

TEST_F(ArtworkTest, NewFolderGlyphKeysOliveAndHasTwoStates) {
  const Bmp glyph = Bitmap("newfolder.bmp");
  EXPECT_EQ(glyph.ColorAt(0, 15), kOlive);
  int normal = 0, disabled = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      normal += glyph.ColorAt(x, y) != kOlive;
      disabled += glyph.ColorAt(16 + x, y) != kOlive;
    }
  EXPECT_GT(normal, 100);
  EXPECT_GT(disabled, 30);
}

TEST_F(ArtworkTest, IconsHoldA32And16PixelImageWithMask) {
  for (const char* name : {"setup.ico", "quorvel.ico"}) {
    SCOPED_TRACE(name);
    const Bytes& ico = File(name);
    ASSERT_EQ(testing::Read16(ico, 0), 0u);
    ASSERT_EQ(testing::Read16(ico, 2), 1u);
    ASSERT_EQ(testing::Read16(ico, 4), 2u);
    size_t end = 6 + 2 * 16;
    for (int i = 0; i < 2; ++i) {
      const size_t entry = 6 + 16 * static_cast<size_t>(i);
      const int size = i == 0 ? 32 : 16;
      EXPECT_EQ(ico[entry], size);
      EXPECT_EQ(ico[entry + 1], size);
      EXPECT_EQ(testing::Read16(ico, entry + 6), 8u);
      const uint32_t length = testing::Read32(ico, entry + 8);
      const uint32_t offset = testing::Read32(ico, entry + 12);
      EXPECT_EQ(offset, end);
      end = offset + length;

      const testing::Dib dib = ReadDib(ico, offset);
      EXPECT_EQ(dib.width, size);
      EXPECT_EQ(dib.height, 2 * size);
      EXPECT_EQ(dib.bitsPerPixel, 8);
      const size_t maskAt = dib.pixelsAt + static_cast<size_t>(dib.RowBytes(8)) * size;
      EXPECT_EQ(maskAt + static_cast<size_t>(dib.RowBytes(1)) * size, end);
      // Mask rows are bottom-up too; 1 = transparent.
      auto masked = [&](int x, int y) {
        return (ico.at(maskAt + static_cast<size_t>(size - 1 - y) * dib.RowBytes(1) + x / 8) >> (7 - x % 8)) & 1;
      };
      int opaque = 0;
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
          opaque += !masked(x, y);
          // A masked pixel must be black, or it would tint what lies behind the icon.
          if (masked(x, y)) {
            EXPECT_EQ(dib.ColorAt(x, y, size), 0u);
          }
        }
      EXPECT_GT(opaque, size * size / 3);
      EXPECT_LT(opaque, size * size);
    }
    EXPECT_EQ(end, ico.size());
  }
}

TEST_F(ArtworkTest, OutputIsTheSameOnEveryRun) {
  for (const auto& file : DrawArtwork()) EXPECT_EQ(file.bytes, File(file.name)) << file.name;
}

}  // namespace
}  // namespace kavrix::artwork
