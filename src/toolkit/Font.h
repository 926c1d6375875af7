#pragma once
// A logical font described by face name, height, style and colour. The GDI font is made
// on first use and remade after a change; the owner of the TFont owns that handle.

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/Graphics.h"

struct HFONT__;

namespace kavrix {

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
// A set of TFontStyle bits.
using TFontStyles = uint8_t;
// fpDefault leaves the pitch to the face.
enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };

class TFont {
 public:
  TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;
  ~TFont();

  const std::string& Name() const noexcept { return name_; }
  void SetName(const std::string& name);
  // Negative: character height in pixels; positive: cell height (as in LOGFONT).
  int Height() const noexcept { return height_; }
  void SetHeight(int height);
  TFontStyles Style() const noexcept { return style_; }
  void SetStyle(TFontStyles style);
  TColor Color() const noexcept { return color_; }
  void SetColor(TColor color);
  TFontPitch Pitch() const noexcept { return pitch_; }
  void SetPitch(TFontPitch pitch);

  // Takes every attribute of `source`, raising OnChange once when anything differs.
  void Assign(const TFont& source);

  // The GDI font, valid until the next change or the TFont's end.
  HFONT__* Handle() const;

  std::function<void(TFont& sender)> OnChange;

 private:
  void Changed();
  void ReleaseHandle() const noexcept;

  std::string name_ = "MS Sans Serif";
  int height_ = -11;
  TFontStyles style_ = 0;
  TColor color_ = clWindowText;
  TFontPitch pitch_ = fpDefault;
  mutable HFONT__* handle_ = nullptr;
};

}  // namespace kavrix
