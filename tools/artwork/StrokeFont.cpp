#include "artwork/StrokeFont.h"

#include <stdexcept>
#include <string>

namespace kavrix::artwork {
namespace {

struct Glyph {
  double width = 0;
  std::vector<Polyline> strokes;
};

Polyline Join(Polyline a, const Polyline& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Glyph MakeGlyph(char c) {
  switch (c) {
    case 'Q':
      return {7.4, {Arc({3.7, 5}, 3.7, 5, 0, 360, 48), {{4.6, 7.4}, {7.6, 10.6}}}};
    case 'S':
      return {5.6, {Join(Arc({2.8, 2.6}, 2.8, 2.6, -25, -270, 20),
                         Arc({2.8, 7.5}, 2.8, 2.5, -90, 155, 20))}};
    case 'u':
      return {5, {Join(Join({{0, 3}}, Arc({2.5, 8}, 2.5, 2, 180, 0, 12)), {{5, 3}, {5, 10}})}};
    case 'o':
      return {5.6, {Arc({2.8, 6.5}, 2.8, 3.5, 0, 360, 36)}};
    case 'r':
      return {3.6, {{{0, 3}, {0, 10}}, Arc({3, 6.2}, 3, 3.2, 180, 290, 10)}};
    case 'v':
      return {5.4, {{{0, 3}, {2.7, 10}, {5.4, 3}}}};
    case 'e':
      return {5.6, {Join({{0, 6.5}, {5.6, 6.5}}, Arc({2.8, 6.5}, 2.8, 3.5, 0, -300, 30))}};
    case 'l':
      return {0, {{{0, 0}, {0, 10}}}};
    case 't':
      return {3.4, {Join({{1.1, 0.6}}, Arc({3.2, 8.3}, 2.1, 1.7, 180, 90, 8)), {{0, 3}, {3.4, 3}}}};
    case 'p':
      return {5.6, {{{0, 3}, {0, 13.2}}, Arc({2.8, 6.5}, 2.8, 3.5, 180, 540, 36)}};
    case '2':
      return {5.6, {Join(Arc({2.8, 2.8}, 2.8, 2.8, 200, 360, 16), {{5.1, 4.6}, {0, 10}, {5.8, 10}})}};
    case '0':
      return {5.6, {Arc({2.8, 5}, 2.8, 5, 0, 360, 40)}};
    case '.':
      return {0, {{{0, 10}}}};
    case ' ':
      return {2.2, {}};
    default:
      throw std::invalid_argument(std::string("no glyph for '") + c + "'");
  }
}

}  // namespace

std::vector<Polyline> TextStrokes(std::string_view text, Point topLeft, const TextStyle& style) {
  const double unit = style.capHeight / 10;
  std::vector<Polyline> lines;
  double pen = 0;
  for (char c : text) {
    const Glyph glyph = MakeGlyph(c);
    const Placement place{topLeft.x + pen * unit, topLeft.y, unit};
    for (const Polyline& stroke : glyph.strokes) lines.push_back(place(stroke));
    pen += glyph.width + style.spacing;
  }
  return lines;
}

double TextWidth(std::string_view text, const TextStyle& style) {
  double pen = 0;
  for (char c : text) pen += MakeGlyph(c).width + style.spacing;
  if (!text.empty()) pen -= style.spacing;
  return pen * style.capHeight / 10;
}

}  // namespace kavrix::artwork
