#include "toolkit/CustomControl.h"

#include "toolkit/Win32Gdi.h"

namespace kavrix {

void TCustomControl::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.exStyle |= WS_EX_CONTROLPARENT;
}

void TCustomControl::Paint(TCanvas& canvas) {
  canvas.SetBrushColor(Color());
  canvas.FillRect(ClientRect());
}

intptr_t TCustomControl::WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // Paint covers the whole area
    case WM_PAINT:
      PaintHandler();
      return 0;
    default:
      return TWinControl::WndProc(message, wParam, lParam);
  }
}

void TCustomControl::PaintHandler() {
  const PaintScope paint(Handle());
  const RECT& area = paint.Area();
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  const UniqueMemoryDC buffer(::CreateCompatibleDC(paint.Get()));
  const UniqueGdiObject bitmap(::CreateCompatibleBitmap(paint.Get(), width, height));
  {
    const SelectionScope selection(buffer.Get(), bitmap.Get());
    // The buffer holds only the invalid area; client coordinates still apply.
    ::SetViewportOrgEx(buffer.Get(), -area.left, -area.top, nullptr);
    TCanvas canvas(buffer.Get());
    canvas.Font().Assign(Font());
    Paint(canvas);
    PaintControls(canvas, {area.left, area.top, area.right, area.bottom});
    ::SetViewportOrgEx(buffer.Get(), 0, 0, nullptr);
    ::BitBlt(paint.Get(), area.left, area.top, width, height, buffer.Get(), 0, 0, SRCCOPY);
  }
}

}  // namespace kavrix
