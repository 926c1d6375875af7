#include "toolkit/Bitmap.h"

#include "foundation/Exceptions.h"
#include "toolkit/FormResource.h"
#include "toolkit/PackedBitmap.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {

struct TBitmap::CanvasContext {
  CanvasContext(HBITMAP bitmap) noexcept : dc(::CreateCompatibleDC(nullptr)), selection(dc.Get(), bitmap) {
    canvas.SetHandle(dc.Get());
  }
  UniqueMemoryDC dc;
  SelectionScope selection;
  TCanvas canvas;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() { Replace(nullptr); }

void TBitmap::Replace(HBITMAP handle) {
  canvas_.reset();
  if (handle_) ::DeleteObject(handle_);
  handle_ = handle;
  BITMAP info{};
  if (handle_) ::GetObjectA(handle_, sizeof info, &info);
  width_ = info.bmWidth;
  height_ = info.bmHeight;
}

void TBitmap::SetSize(int width, int height) {
  if (width <= 0 || height <= 0) {
    Replace(nullptr);
    return;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) throw Exception("Out of system resources");
  Replace(bitmap);
  Canvas().SetBrushColor(clWhite);
  Canvas().FillRect({0, 0, width, height});
}

void TBitmap::LoadFromResourceName(HINSTANCE module, const std::string& name, int dpi) {
  if (!module) module = ::GetModuleHandleA(nullptr);
  for (const ArtworkDensity& density : ArtworkDensitiesFor(dpi)) {
    const std::string drawn = name + density.suffix;
    HBITMAP loaded =
        static_cast<HBITMAP>(::LoadImageA(module, drawn.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!loaded) loaded = LoadPackedBitmap(module, drawn);
    if (loaded) {
      Replace(loaded);
      return;
    }
  }
  throw EResNotFound(Format("Resource %s not found", name));
}

HDC__* TBitmap::CanvasHandle() const noexcept { return canvas_ ? canvas_->canvas.Handle() : nullptr; }

TCanvas& TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<CanvasContext>(handle_);
  return canvas_->canvas;
}

}  // namespace kavrix
