#include "toolkit/Image.h"

#include "toolkit/FormResource.h"
#include "toolkit/GlyphDraw.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {

TImage::TImage(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 105, 105); }

TImage::~TImage() { ClearIcon(); }

void TImage::ClearIcon() noexcept {
  if (icon_) ::DestroyIcon(icon_);
  icon_ = nullptr;
}

void TImage::LoadBitmapResource(const std::string& name) {
  ClearIcon();
  try {
    picture_.LoadFromResourceName(nullptr, name);
  } catch (const EResNotFound&) {
    picture_.SetSize(0, 0);
  }
  Invalidate();
}

void TImage::LoadIconResource(const std::string& name) {
  ClearIcon();
  picture_.SetSize(0, 0);
  // The system's icon size; Paint stretches it when asked to.
  icon_ = static_cast<HICON>(
      ::LoadImageA(::GetModuleHandleA(nullptr), name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  Invalidate();
}

void TImage::SetStretch(bool stretch) {
  if (stretch == stretch_) return;
  stretch_ = stretch;
  Invalidate();
}

void TImage::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Invalidate();
}

void TImage::Paint(TCanvas& canvas) {
  if (icon_) {
    ::DrawIconEx(canvas.Handle(), 0, 0, icon_, stretch_ ? Width() : 0, stretch_ ? Height() : 0, 0, nullptr, DI_NORMAL);
    return;
  }
  if (picture_.Empty()) return;
  const TRect target = stretch_ ? TRect{0, 0, Width(), Height()}
                                : TRect{0, 0, ScaleToDpi(picture_.Width(), pixelsPerInch_),
                                        ScaleToDpi(picture_.Height(), pixelsPerInch_)};
  if (transparent_) {
    DrawTransparent(canvas.Handle(), target, picture_, {0, 0, picture_.Width(), picture_.Height()},
                    TransparentColorOf(picture_));
  } else {
    // Enlarged for the display, a picture is smoothed rather than blocky.
    if (pixelsPerInch_ != kDesignDpi) {
      ::SetStretchBltMode(canvas.Handle(), HALFTONE);
      ::SetBrushOrgEx(canvas.Handle(), 0, 0, nullptr);
    } else {
      ::SetStretchBltMode(canvas.Handle(), COLORONCOLOR);
    }
    ::StretchBlt(canvas.Handle(), target.Left, target.Top, target.Width(), target.Height(), picture_.Canvas().Handle(),
                 0, 0, picture_.Width(), picture_.Height(), SRCCOPY);
  }
}

void TImage::ChangeScale(int toDpi, int fromDpi) {
  TGraphicControl::ChangeScale(toDpi, fromDpi);
  pixelsPerInch_ = toDpi;
  Invalidate();
}

}  // namespace kavrix
