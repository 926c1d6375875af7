// The gradient's ellipses and the caption's stretched row are computed by the portable
// renderers instead of being drawn by the system, so every system shows the same pixels.
// These tests measure how far this system's own drawing is from them, and print it.

#include <windows.h>

#include <cstdio>
#include <vector>

#include "ControlsTestSupport.h"
#include "appearance/controls/PixelTransfer.h"
#include "appearance/render/CaptionFill.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

int CountDifferences(const PixelBuffer& a, const PixelBuffer& b) {
  int count = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) count += a.At(x, y) != b.At(x, y) ? 1 : 0;
  }
  return count;
}

// The inset ellipses of a gsEllipse gradient over 160 × 110 with line size 3, each filled
// by the system (Ellipse, null pen) and by the portable renderer, on white.
TEST(SystemDrawingTest, TheSystemsEllipsesStayWithinAPixelOfTheRenderersOnTheirEdges) {
  constexpr int kWidth = 160;
  constexpr int kHeight = 110;
  int differing = 0;
  int edgePixels = 0;
  for (int inset = 0; inset < kHeight / 2; inset += 3) {
    const Rect shape{inset, inset, kWidth - inset, kHeight - inset};
    TBitmap bitmap;
    bitmap.SetSize(kWidth, kHeight);
    TCanvas& canvas = bitmap.Canvas();
    canvas.SetBrushColor(clWhite);
    canvas.FillRect({0, 0, kWidth, kHeight});
    {
      const UniqueGdiObject brush(::CreateSolidBrush(RGB(0, 0, 255)));
      const SelectionScope brushSelection(canvas.Handle(), brush.Get());
      const SelectionScope penSelection(canvas.Handle(), ::GetStockObject(NULL_PEN));
      ::Ellipse(canvas.Handle(), shape.left, shape.top, shape.right, shape.bottom);
    }
    PixelBuffer portable(kWidth, kHeight, clWhite);
    portable.FillEllipse(shape, 0xFF0000);  // blue, as TColor
    differing += CountDifferences(ReadPixels(bitmap), portable);
    edgePixels += 2 * (shape.Width() + shape.Height());
  }
  std::printf("system ellipses: %d pixels differ from the renderer's, along %d pixels of edge\n", differing,
              edgePixels);
  ::testing::Test::RecordProperty("ellipseDifferingPixels", differing);
  // GDI's scan conversion moves a row's ends by at most a pixel: never more than the edge.
  EXPECT_LE(differing, edgePixels);
}

// One row of 64 band colours stretched by the system (StretchBlt, COLORONCOLOR) and by
// the renderer over captions of several widths.
TEST(SystemDrawingTest, TheSystemsStretchedRowMovesBandBoundariesByAColumnAtMost) {
  std::vector<TColor> bands(64);
  for (size_t i = 0; i < bands.size(); ++i) bands[i] = MakeColor(static_cast<int>(i) * 4, 0, 255 - static_cast<int>(i) * 4);
  PixelBuffer row(static_cast<int>(bands.size()), 1);
  for (int x = 0; x < row.Width(); ++x) row.SetPixel(x, 0, bands[static_cast<size_t>(x)]);
  TBitmap source;
  WritePixels(source, row);
  int differing = 0;
  int columns = 0;
  for (int width : {100, 300, 473, 600, 1000}) {
    TBitmap bitmap;
    bitmap.SetSize(width, 1);
    const int oldMode = ::SetStretchBltMode(bitmap.Canvas().Handle(), COLORONCOLOR);
    ::StretchBlt(bitmap.Canvas().Handle(), 0, 0, width, 1, source.Canvas().Handle(), 0, 0, row.Width(), 1, SRCCOPY);
    ::SetStretchBltMode(bitmap.Canvas().Handle(), oldMode);
    PixelBuffer portable(width, 1);
    FillCaptionStretchedRow(portable, {0, 0, width, 1}, bands);
    const PixelBuffer system = ReadPixels(bitmap);
    differing += CountDifferences(system, portable);
    columns += width;
    EXPECT_EQ(system.At(0, 0), portable.At(0, 0)) << width;
    EXPECT_EQ(system.At(width - 1, 0), portable.At(width - 1, 0)) << width;
  }
  std::printf("system stretched rows: %d of %d columns differ from the renderer's\n", differing, columns);
  ::testing::Test::RecordProperty("stretchedRowDifferingColumns", differing);
  // A boundary placed a column differently changes one column per band at most.
  EXPECT_LE(differing, 5 * static_cast<int>(bands.size()));
}

}  // namespace
}  // namespace kavrix
