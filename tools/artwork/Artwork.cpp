#include "artwork/Artwork.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <string_view>

#include "appearance/render/DitherMaskBitmap.h"
#include "artwork/Raster.h"
#include "artwork/StrokeFont.h"

namespace kavrix::artwork {
namespace {

// The product's colours. None is pure blue, which the logo keys as transparent.
constexpr TColor kInk = MakeColor(0, 0, 64);
constexpr TColor kRoyal = MakeColor(24, 72, 232);
constexpr TColor kDeep = MakeColor(0, 24, 160);
constexpr TColor kShade = MakeColor(0, 0, 88);
constexpr TColor kSky = MakeColor(168, 200, 255);
constexpr TColor kPaper = MakeColor(255, 255, 255);
constexpr TColor kFold = MakeColor(200, 208, 224);

// Transparent colours. Icons are drawn on kIconKey, which becomes their mask. The logo's
// button and the glyph button take the colour of a corner pixel (top-left, bottom-left)
// as transparent, so those pictures keep the key for their background alone.
constexpr TColor kIconKey = MakeColor(255, 0, 255);
constexpr TColor kLogoKey = MakeColor(0, 0, 255);
constexpr TColor kGlyphKey = MakeColor(128, 128, 0);
// The message box's face, behind its pictures.
constexpr TColor kFace = MakeColor(192, 192, 192);

constexpr char kProductName[] = "Quorvel 2.0";
constexpr char kTagline[] = "Setup";

// A box open at the top, seen from above a corner, and a white arrow going down into it.
// Designed on a 32-unit grid.
void DrawSetupIcon(PixelBuffer& target, Placement place) {
  const Point rimLeft = place(3, 15), rimBack = place(16, 10), rimRight = place(29, 15),
              rimFront = place(16, 20), bottom = place(16, 30);
  Paint(target, Shape::Polygon({rimLeft, rimFront, bottom, place(3, 25)}), kRoyal);
  Paint(target, Shape::Polygon({rimFront, rimRight, place(29, 25), bottom}), kDeep);
  Paint(target, Shape::Polygon({rimLeft, rimBack, rimRight, rimFront}), kShade);
  const double line = std::max(1.0, place.scale);
  Paint(target, Shape::Outline({rimLeft, rimBack, rimRight, place(29, 25), bottom, place(3, 25)}, line), kInk);
  Paint(target, Shape::Strokes({{rimLeft, rimFront, rimRight}, {rimFront, bottom}}, line), kInk);
  const Polyline arrow = place(Polyline{{12.5, 1}, {19.5, 1}, {19.5, 9}, {24.5, 9}, {16, 18.5}, {7.5, 9}, {12.5, 9}});
  PaintBordered(target, Shape::Polygon(arrow), kPaper, kInk);
}

// A page with a turned corner and a large "Q".
void DrawProductIcon(PixelBuffer& target, Placement place) {
  PaintBordered(target, Shape::Polygon(place(Polyline{{5, 1}, {21, 1}, {28, 8}, {28, 31}, {5, 31}})), kPaper, kInk);
  PaintBordered(target, Shape::Polygon(place(Polyline{{21, 1}, {21, 8}, {28, 8}})), kFold, kInk);
  const double weight = std::max(1.0, 3.6 * place.scale);
  const Shape q = Shape::Strokes({place(Arc({16.5, 17}, 6.5, 7.5, 0, 360, 48)), place(Polyline{{18, 21}, {24, 28}})}, weight);
  Paint(target, q, kRoyal);
}

// The 16-pixel icons, drawn by hand after their 32-pixel designs.
const std::vector<std::string_view> kSmallSetupIcon = {
    "......oooo......",
    "......owwo......",
    "......owwo......",
    "......owwo......",
    "...oooowwoooo...",
    "...owwwwwwwwo...",
    "..ooowwwwwwooo..",
    "oosssowwwwosssoo",
    "oBoossowwossoodo",
    "oBBBoosoosoodddo",
    "oBBBBBoooodddddo",
    "oBBBBBBBoddddddo",
    "oBBBBBBBoddddddo",
    "ooBBBBBBodddddoo",
    "..ooBBBBodddoo..",
    "....oooooooo....",
};
const std::vector<std::string_view> kSmallProductIcon = {
    "..oooooooo......",
    "..owwwwwwoo.....",
    "..owwwwwwofo....",
    "..owwwwwwoffo...",
    "..owwwwwwooooo..",
    "..owwwQQQQwwwo..",
    "..owwQQwwQQwwo..",
    "..owQQwwwwQQwo..",
    "..owQQwwwwQQwo..",
    "..owQQwwwwQQwo..",
    "..owQQwwwwQQwo..",
    "..owwQQwwQQwwo..",
    "..owwwQQQQQQwo..",
    "..owwwwwwwwQQo..",
    "..owwwwwwwwwwo..",
    "..oooooooooooo..",
};
const std::map<char, TColor> kIconColors = {{'o', kInk},    {'w', kPaper}, {'s', kShade}, {'B', kRoyal},
                                            {'d', kDeep},   {'f', kFold},  {'Q', kRoyal}};

template <typename Draw>
PixelBuffer IconImage(int size, Draw draw) {
  PixelBuffer image(size, size, kIconKey);
  draw(image, Placement{0.5 * size / 32, 0.5 * size / 32, size / 32.0});
  return image;
}

template <typename Draw>
Bytes Icon(Draw draw, const std::vector<std::string_view>& small) {
  PixelBuffer smallImage(16, 16, kIconKey);
  PaintPixelArt(smallImage, 0, 0, small, kIconColors);
  return EncodeIcon({IconImage(32, draw), smallImage}, kIconKey);
}

// Solid white letters with a dark shadow: the logo keys its background, so no edge may
// be smoothed into it.
Bytes Logo() {
  PixelBuffer image(338, 46, kLogoKey);
  DrawSetupIcon(image, Placement{8.5, 6.5, 1});
  const TColor shadow = MakeColor(48, 48, 48);
  const TextStyle big{30, 4.6, 2.2};
  const TextStyle small{12, 2.2, 2.2};
  const double textLeft = 54;
  const double taglineLeft = textLeft + TextWidth(kProductName, big) + 16;
  for (int pass = 0; pass < 2; ++pass) {
    const double offset = pass == 0 ? 2 : 0;
    const TColor color = pass == 0 ? shadow : kPaper;
    Paint(image, Shape::Strokes(TextStrokes(kProductName, {textLeft + offset, 5 + offset}, big), big.weight), color);
    Paint(image, Shape::Strokes(TextStrokes(kTagline, {taglineLeft + offset / 2, 23 + offset / 2}, small), small.weight),
          pass == 0 ? shadow : kSky);
  }
  return EncodeIndexedBmp(image, PaletteOf(image), 8);
}

// Navy to blue, with faint rings around the setup icon at the right.
Bytes Banner() {
  constexpr int kWidth = 471;
  constexpr int kHeight = 63;
  PixelBuffer image(kWidth, kHeight);
  for (int x = 0; x < kWidth; ++x) image.FillRect({x, 0, x + 1, kHeight}, Mix(clNavy, clBlue, x, kWidth - 1));
  constexpr int kSamples = 4;
  for (int ring = 0; ring < 3; ++ring) {
    const double radius = 40.0 + 22 * ring;
    const Shape band = Shape::Strokes({Arc({kWidth - 40.0, 31.5}, radius, radius, 0, 360, 90)}, 7);
    PixelBuffer tint = image;
    Paint(tint, band, kPaper, kSamples);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) image.SetPixel(x, y, Mix(image.At(x, y), tint.At(x, y), 1, 10));
  }
  const TextStyle big{24, 3.4, 2.4};
  const TextStyle small{11, 1.7, 2.4};
  for (int pass = 0; pass < 2; ++pass) {
    const double offset = pass == 0 ? 1.5 : 0;
    Paint(image, Shape::Strokes(TextStrokes(kProductName, {20 + offset, 9 + offset}, big), big.weight),
          pass == 0 ? kInk : kPaper, kSamples);
    Paint(image, Shape::Strokes(TextStrokes(kTagline, {21 + offset, 43 + offset}, small), small.weight),
          pass == 0 ? kInk : kSky, kSamples);
  }
  PixelBuffer icon = IconImage(48, DrawSetupIcon);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x)
      if (icon.At(x, y) != kIconKey) image.SetPixel(kWidth - 64 + x, 8 + y, icon.At(x, y));
  return EncodeTrueColorBmp(image);
}

// The message box pictures keep to the 16 VGA colours, hard-edged, each frame on the
// button face with a grey drop shadow behind the sign.
constexpr TColor kVgaBlack = MakeColor(0, 0, 0);
constexpr TColor kVgaMaroon = MakeColor(128, 0, 0);
constexpr TColor kVgaNavy = MakeColor(0, 0, 128);
constexpr TColor kVgaGray = MakeColor(128, 128, 128);
constexpr TColor kVgaRed = MakeColor(255, 0, 0);
constexpr TColor kVgaYellow = MakeColor(255, 255, 0);
constexpr TColor kVgaBlue = MakeColor(0, 0, 255);
constexpr TColor kVgaWhite = MakeColor(255, 255, 255);

constexpr int kFrame = 32;

// A frame of a strip drawn on the 32-pixel design grid at any size: shapes are scaled
// before they are rasterised, so edges and outlines stay one crisp pixel wide instead
// of being enlarged.
struct Frame {
  PixelBuffer& pixels;
  double scale = 1;
};

void Paint(Frame& frame, const Shape& shape, TColor color) { Paint(frame.pixels, shape.Scaled(frame.scale), color); }

void PaintBordered(Frame& frame, const Shape& shape, TColor fill, TColor border) {
  PaintBordered(frame.pixels, shape.Scaled(frame.scale), fill, border);
}

// The strip of `frames` frames for a display of `dpi`.
template <typename DrawFrame>
Bytes Strip(int frames, DrawFrame draw, int dpi = 96) {
  const int size = kFrame * dpi / 96;
  PixelBuffer image(frames * size, size, kFace);
  for (int f = 0; f < frames; ++f) {
    PixelBuffer pixels(size, size, kFace);
    Frame frame{pixels, static_cast<double>(size) / kFrame};
    draw(frame, f);
    image.Blit(pixels, {0, 0, size, size}, f * size, 0);
  }
  return EncodeIndexedBmp(image, VgaPalette(), 4);
}

Polyline Scaled(const Polyline& line, Point centre, double scale) {
  Polyline out;
  for (Point p : line) out.push_back({centre.x + (p.x - centre.x) * scale, centre.y + (p.y - centre.y) * scale});
  return out;
}

Polyline Shifted(const Polyline& line, double dx, double dy) {
  Polyline out;
  for (Point p : line) out.push_back({p.x + dx, p.y + dy});
  return out;
}

// A warning triangle that swells and shrinks once over the strip around a steady mark.
void DrawExclamation(Frame& frame, int f) {
  // Uneven steps: a symmetric curve over an odd count repeats a frame at the turn.
  constexpr std::array<double, 7> kSwell = {0.84, 0.9, 0.96, 1.0, 0.97, 0.93, 0.88};
  const double scale = kSwell[static_cast<size_t>(f)];
  const Point centre{15.5, 18};
  const Polyline triangle = Scaled({{15.5, 1.5}, {29.5, 28.5}, {1.5, 28.5}}, centre, scale);
  PaintBordered(frame, Shape::Polygon(Shifted(triangle, 2, 2)), kVgaGray, kVgaGray);
  PaintBordered(frame, Shape::Polygon(triangle), kVgaYellow, kVgaBlack);
  const Shape mark = Shape::Polygon({{13.2, 12.2}, {17.8, 12.2}, {16.8, 20.2}, {14.2, 20.2}})
                         .Plus(Shape::Polygon({{14.2, 22.2}, {16.8, 22.2}, {16.8, 24.8}, {14.2, 24.8}}));
  Paint(frame, mark, kVgaBlack);
}

// A red disc whose white cross swells and shrinks once over the strip.
void DrawError(Frame& frame, int f) {
  const Point centre{15, 15};
  PaintBordered(frame, Shape::Ellipse({17, 17}, 14, 14), kVgaGray, kVgaGray);
  PaintBordered(frame, Shape::Ellipse(centre, 14, 14), kVgaRed, kVgaMaroon);
  const double arm = 4.5 + 2.5 * (1 - std::cos(2 * std::numbers::pi * f / 8)) / 2;
  const Shape cross = Shape::Strokes({{{15 - arm, 15 - arm}, {15 + arm, 15 + arm}}, {{15 - arm, 15 + arm}, {15 + arm, 15 - arm}}}, 4);
  Paint(frame, cross, kVgaWhite);
}

// A blue disc with a white "i" that hops.
void DrawInformation(Frame& frame, int f) {
  constexpr std::array<double, 6> kHop = {0, 1, 2, 3, 2, 1};
  const double lift = kHop[static_cast<size_t>(f)];
  PaintBordered(frame, Shape::Ellipse({17, 17}, 14, 14), kVgaGray, kVgaGray);
  PaintBordered(frame, Shape::Ellipse({15, 15}, 14, 14), kVgaBlue, kVgaNavy);
  auto box = [lift](double left, double top, double right, double bottom) {
    return Shape::Polygon({{left, top - lift}, {right, top - lift}, {right, bottom - lift}, {left, bottom - lift}});
  };
  const Shape mark = box(13, 13, 17, 23).Plus(box(11, 13, 17, 15)).Plus(box(11, 21, 19, 23))
                         .Plus(Shape::Ellipse({15, 8 - lift}, 2.9, 2.9));
  Paint(frame, mark, kVgaWhite);
}

// A speech bubble whose question mark rocks from side to side.
void DrawQuestion(Frame& frame, int f) {
  const Shape bubble = Shape::Ellipse({15.5, 13}, 14.3, 11.3).Plus(Shape::Polygon({{7, 20}, {4, 30.5}, {16, 23}}));
  const Shape shadow = Shape::Ellipse({17.5, 15}, 14.3, 11.3).Plus(Shape::Polygon({{9, 22}, {6, 32.5}, {18, 25}}));
  PaintBordered(frame, shadow, kVgaGray, kVgaGray);
  PaintBordered(frame, bubble, kVgaWhite, kVgaBlack);
  const Point pivot{15.5, 19};
  const double tilt = 12 * std::sin(2 * std::numbers::pi * f / 5);
  Polyline hook = Arc({15.5, 9}, 4, 3.8, 195, 420, 24);
  hook.push_back({15.5, 14.5});
  hook.push_back({15.5, 16});
  const Shape mark = Shape::Strokes({Rotated(hook, pivot, tilt), Rotated({{15.5, 19.5}}, pivot, tilt)}, 3);
  Paint(frame, mark, kVgaBlue);
}

// The disabled look of a glyph: its dark lines embossed in grey over a white highlight,
// everything light dropped to the background.
PixelBuffer Disabled(const PixelBuffer& glyph, TColor key) {
  PixelBuffer out(glyph.Width(), glyph.Height(), key);
  auto dark = [&](int x, int y) {
    const TColor c = glyph.At(x, y);
    return c != key && RedOf(c) * 3 + GreenOf(c) * 6 + BlueOf(c) < 1000;
  };
  for (int y = 0; y < glyph.Height(); ++y)
    for (int x = 0; x < glyph.Width(); ++x)
      if (dark(x, y)) out.SetPixel(x + 1, y + 1, kVgaWhite);
  for (int y = 0; y < glyph.Height(); ++y)
    for (int x = 0; x < glyph.Width(); ++x)
      if (dark(x, y)) out.SetPixel(x, y, kVgaGray);
  return out;
}

// A folder with a sparkle, the "new folder" sign.
const std::vector<std::string_view> kNewFolder = {
    "................",
    "............r...",
    "...........yry..",
    "..........rrWrr.",
    ".oooo......yry..",
    "oDDDDo......r...",
    "oDDDDDoooooo....",
    "oDDDDDDDDDDDo...",
    "oDDoooooooooooo.",
    "oDoYYYYYYYYYYYo.",
    "ooYYYYYYYYYYYo..",
    "ooYYYYYYYYYYYo..",
    "oYYYYYYYYYYYo...",
    "oYYYYYYYYYYYo...",
    "ooooooooooooo...",
    "................",
};

Bytes NewFolderGlyph() {
  constexpr int kSize = 16;
  const std::map<char, TColor> colors = {{'o', MakeColor(96, 64, 0)},   {'D', MakeColor(224, 176, 32)},
                                         {'Y', MakeColor(255, 232, 96)}, {'r', MakeColor(200, 40, 0)},
                                         {'y', kVgaYellow},              {'W', kVgaWhite}};
  PixelBuffer glyph(kSize, kSize, kGlyphKey);
  PaintPixelArt(glyph, 0, 0, kNewFolder, colors);
  PixelBuffer image(2 * kSize, kSize, kGlyphKey);
  image.Blit(glyph, {0, 0, kSize, kSize}, 0, 0);
  image.Blit(Disabled(glyph, kGlyphKey), {0, 0, kSize, kSize}, kSize, 0);
  return EncodeIndexedBmp(image, PaletteOf(image), 8);
}

}  // namespace

std::vector<ArtworkFile> DrawArtwork() {
  return {
      {"setup.ico", Icon(DrawSetupIcon, kSmallSetupIcon)},
      {"quorvel.ico", Icon(DrawProductIcon, kSmallProductIcon)},
      {"logo.bmp", Logo()},
      {"banner.bmp", Banner()},
      {"EXCLAM.bmp", Strip(7, DrawExclamation)},
      {"ERROR.bmp", Strip(8, DrawError)},
      {"INFORM.bmp", Strip(6, DrawInformation)},
      {"INTERR.bmp", Strip(5, DrawQuestion)},
      // The quit confirmation's strip again for 150 % display scale, the one the wizard
      // shows: small and hard-edged, it suffers most from being enlarged by one and a half
      // at run time (at 200 % every pixel is simply doubled).
      {"EXCLAM_144.bmp", Strip(7, DrawExclamation, 144)},
      {"newfolder.bmp", NewFolderGlyph()},
      // The caption form's dithering masks, from the tables its fill uses.
      {"GF_DITHGRADMASK1.bmp", DitherMaskBmpFile(DitherMask1())},
      {"GF_DITHGRADMASK2.bmp", DitherMaskBmpFile(DitherMask2())},
  };
}

}  // namespace kavrix::artwork
