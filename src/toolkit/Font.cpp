#include "toolkit/Font.h"

#include <cstring>

#include "toolkit/Win32Gdi.h"

namespace kavrix {

TFont::TFont() = default;

TFont::~TFont() { ReleaseHandle(); }

void TFont::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Changed();
}

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == pitch_) return;
  pitch_ = pitch;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  // The colour is not part of the GDI font: the handle stays.
  if (OnChange) OnChange(*this);
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  const bool sameFace =
      name_ == source.name_ && height_ == source.height_ && style_ == source.style_ && pitch_ == source.pitch_;
  if (sameFace && color_ == source.color_) return;
  name_ = source.name_;
  height_ = source.height_;
  style_ = source.style_;
  pitch_ = source.pitch_;
  color_ = source.color_;
  if (!sameFace) ReleaseHandle();
  if (OnChange) OnChange(*this);
}

HFONT TFont::Handle() const {
  if (!handle_) {
    LOGFONTA font{};
    font.lfHeight = height_;
    font.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
    font.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
    font.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = pitch_ == fpFixed ? FIXED_PITCH : pitch_ == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    std::strncpy(font.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
    handle_ = ::CreateFontIndirectA(&font);
    // Out of GDI resources: the stock font keeps text visible rather than failing painting.
    if (!handle_) return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  }
  return handle_;
}

void TFont::Changed() {
  ReleaseHandle();
  if (OnChange) OnChange(*this);
}

void TFont::ReleaseHandle() const noexcept {
  // A window still using the old font receives the new one in OnChange before painting again.
  if (handle_) ::DeleteObject(std::exchange(handle_, nullptr));
}

}  // namespace kavrix
