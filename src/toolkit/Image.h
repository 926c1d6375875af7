#pragma once
// A windowless picture: a bitmap or an icon, drawn at the top-left corner or stretched
// over the control. Bitmaps are drawn for 96 DPI and scaled with the display; icons come
// in the system's size for the display.

#include <memory>
#include <string>

#include "toolkit/Bitmap.h"
#include "toolkit/Control.h"
#include "toolkit/layout/DpiScale.h"

struct HICON__;

namespace kavrix {

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;

  // The bitmap shown; after drawing on it or loading it, call Invalidate.
  TBitmap& Picture() noexcept { return picture_; }
  // Load from the program's own resources and show the bitmap or icon; a missing
  // resource leaves the image empty.
  void LoadBitmapResource(const std::string& name);
  void LoadIconResource(const std::string& name);

  bool Stretch() const noexcept { return stretch_; }
  void SetStretch(bool stretch);
  // For bitmaps: the colour of the bottom-left pixel is left out.
  bool Transparent() const noexcept { return transparent_; }
  void SetTransparent(bool transparent);

  bool HasIcon() const noexcept { return icon_ != nullptr; }

  void Paint(TCanvas& canvas) override;
  void ChangeScale(int toDpi, int fromDpi) override;

 private:
  void ClearIcon() noexcept;

  TBitmap picture_;
  HICON__* icon_ = nullptr;  // owned
  bool stretch_ = false;
  bool transparent_ = false;
  int pixelsPerInch_ = kDesignDpi;
};

}  // namespace kavrix
