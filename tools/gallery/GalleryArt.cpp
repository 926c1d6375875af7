#include "GalleryArt.h"

#include <cmath>
#include <numbers>

namespace kavrix::gallery {

constexpr TColor kMagenta = 0xFF00FF;

PixelBuffer ButtonIcon(TColor fill) {
  PixelBuffer icon(32, 32, kMagenta);
  icon.FillEllipse({2, 2, 30, 30}, clBlack);
  icon.FillEllipse({4, 4, 28, 28}, fill);
  icon.FillRect({14, 8, 18, 24}, clWhite);
  icon.FillRect({8, 14, 24, 18}, clWhite);
  return icon;
}

PixelBuffer BannerLogo() {
  PixelBuffer logo(338, 46, clBlue);
  logo.FillRect({4, 4, 334, 42}, 0x202020);
  logo.FillRect({6, 6, 332, 40}, 0x3060C0);
  for (int i = 0; i < 8; ++i) {
    const int left = 20 + i * 38;
    logo.FillEllipse({left, 10, left + 26, 36}, MakeColor(255, 40 + i * 25, 30));
  }
  return logo;
}

PixelBuffer Tile() {
  PixelBuffer tile(20, 14, 0xE0E0E0);
  tile.FillRect({0, 0, 10, 7}, 0x4080FF);
  tile.FillRect({10, 7, 20, 14}, 0x40A040);
  tile.FillEllipse({5, 3, 15, 11}, 0x202080);
  return tile;
}

PixelBuffer AnimationStrip() {
  constexpr int kFrames = 7;
  PixelBuffer strip(32 * kFrames, 32, clWhite);
  for (int frame = 0; frame < kFrames; ++frame) {
    const int left = frame * 32;
    strip.FillEllipse({left + 2, 2, left + 30, 30}, 0x00C0FF);
    strip.FillEllipse({left + 8, 8, left + 24, 24}, clWhite);
    const double angle = 2 * std::numbers::pi * frame / kFrames;
    const int x = left + 16 + static_cast<int>(std::lround(10 * std::sin(angle)));
    const int y = 16 - static_cast<int>(std::lround(10 * std::cos(angle)));
    strip.FillEllipse({x - 4, y - 4, x + 4, y + 4}, clNavy);
  }
  return strip;
}

}  // namespace kavrix::gallery
