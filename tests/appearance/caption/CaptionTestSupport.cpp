#include "CaptionTestSupport.h"

#include <sstream>

#include "toolkit/Win32Gdi.h"

namespace kavrix::testing {
namespace {

CaptionFill FillOf(TGradientForm& form, bool active) {
  CaptionFill fill;
  fill.colors = active ? CaptionGradientColors{ColorToRGB(form.GradientStartColor()),
                                               ColorToRGB(form.GradientStopColor())}
                       : CaptionGradientColors{ColorToRGB(form.GradientInactiveStartColor()),
                                               ColorToRGB(form.GradientInactiveStopColor())};
  fill.bandColors = form.BandColors(active);
  fill.dither = form.UseDithering();
  return fill;
}

}  // namespace

TestGradientForm* MakeInstallerForm(TComponent* owner, int clientWidth, int clientHeight) {
  auto* form = new TestGradientForm(owner);
  form->SetBorderStyle(bsSingle);
  form->SetBorderIcons(0);
  form->SetClientWidth(clientWidth);
  form->SetClientHeight(clientHeight);
  form->SetCaptionTextColor(clCaptionText);
  form->SetInactiveCaptionTextColor(clInactiveCaptionText);
  form->SetGradientColors(512);
  form->SetGradientInactiveStartColor(clInactiveCaption);
  form->SetGradientInactiveStopColor(clBlack);
  form->SetGradientStartColor(clActiveCaption);
  form->SetGradientStopColor(clBlack);
  form->SetUseDithering(true);
  form->SetUseSystemCaptionFont(false);
  form->SetUseWin98Gradient(false);
  return form;
}

void ShowActive(TApplication& app, TForm& form) {
  form.Show();
  ::SetForegroundWindow(form.Handle());
  ::SetActiveWindow(form.Handle());
  app.ProcessMessages();
}

PixelBuffer ReadWindowPixels(HWND window, const TRect& rect) {
  const int width = rect.Width();
  const int height = rect.Height();
  PixelBuffer pixels(width, height);
  struct WindowDC {
    HWND window;
    HDC dc;
    ~WindowDC() { ::ReleaseDC(window, dc); }
  } const source{window, ::GetWindowDC(window)};
  const UniqueMemoryDC memory(::CreateCompatibleDC(source.dc));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const UniqueGdiObject bitmap(::CreateDIBSection(source.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return pixels;
  const SelectionScope selection(memory.Get(), bitmap.Get());
  ::BitBlt(memory.Get(), 0, 0, width, height, source.dc, rect.Left, rect.Top, SRCCOPY);
  ::GdiFlush();
  const auto* words = static_cast<const uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t bgr = words[y * width + x];  // 0x00RRGGBB
      pixels.SetPixel(x, y, MakeColor(static_cast<int>(bgr >> 16 & 0xFF), static_cast<int>(bgr >> 8 & 0xFF),
                                      static_cast<int>(bgr & 0xFF)));
    }
  }
  return pixels;
}

PixelBuffer ExpectedCaptionGradient(TGradientForm& form, const TRect& bar, bool active) {
  PixelBuffer pixels(bar.Width(), bar.Height());
  FillCaptionGradient(pixels, {0, 0, bar.Width(), bar.Height()}, FillOf(form, active));
  return pixels;
}

CaptionFillChoice ExpectedCaptionFill(TGradientForm& form, const TRect& bar, bool active) {
  return ChooseCaptionFill(bar.Width(), FillOf(form, active));
}

::testing::AssertionResult SamePixels(const PixelBuffer& actual, const PixelBuffer& expected) {
  if (actual.Width() != expected.Width() || actual.Height() != expected.Height()) {
    return ::testing::AssertionFailure() << "size " << actual.Width() << "x" << actual.Height() << ", expected "
                                         << expected.Width() << "x" << expected.Height();
  }
  int differing = 0;
  std::ostringstream first;
  for (int y = 0; y < actual.Height(); ++y) {
    for (int x = 0; x < actual.Width(); ++x) {
      if (actual.At(x, y) == expected.At(x, y)) continue;
      if (differing++ == 0) {
        first << std::hex << "first at (" << std::dec << x << "," << y << "): 0x" << std::hex << actual.At(x, y)
              << ", expected 0x" << expected.At(x, y);
      }
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " pixels differ; " << first.str();
}

}  // namespace kavrix::testing
