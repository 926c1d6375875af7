#pragma once
// A device-independent bitmap with a canvas to draw on it. The bitmap owns its GDI bitmap
// and, once Canvas() was asked for, a memory context with the bitmap selected into it.

#include <memory>
#include <string>

#include "toolkit/Canvas.h"
#include "toolkit/layout/DpiScale.h"

struct HBITMAP__;
struct HDC__;
struct HINSTANCE__;

namespace kavrix {

class TBitmap {
 public:
  TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;
  ~TBitmap();

  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  bool Empty() const noexcept { return handle_ == nullptr; }
  HBITMAP__* Handle() const noexcept { return handle_; }

  // A new 32-bit bitmap of that size, filled white; 0 × 0 empties the bitmap.
  void SetSize(int width, int height);
  // Loads the BITMAP resource `name` of `module` (null: the running program), or its
  // packed bitmap of that name (PackedBitmap.h). For a display of `dpi` the picture drawn
  // for the nearest density the module carries comes first (ArtworkDensitiesFor); the
  // caller fits it to its size. Raises EResNotFound "Resource %s not found" when there
  // is none.
  void LoadFromResourceName(HINSTANCE__* module, const std::string& name, int dpi = kDesignDpi);

  TCanvas& Canvas();
  // The memory context the bitmap is selected into, if Canvas() made one: a bitmap can
  // be selected into one context only, so copies from it must read there.
  HDC__* CanvasHandle() const noexcept;

 private:
  struct CanvasContext;
  void Replace(HBITMAP__* handle);

  HBITMAP__* handle_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  // Declared after the handle: the context releases its selection before the bitmap dies.
  std::unique_ptr<CanvasContext> canvas_;
};

}  // namespace kavrix
