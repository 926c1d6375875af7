#pragma once
// A caption drawn on its parent: on the label's colour, or on whatever the parent has
// painted there when transparent. With AutoSize the label takes the size of its text
// (keeping its width when it wraps words).

#include "toolkit/Control.h"

namespace kavrix {

class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* owner);

  bool AutoSize() const noexcept { return autoSize_; }
  void SetAutoSize(bool autoSize);
  bool WordWrap() const noexcept { return wordWrap_; }
  void SetWordWrap(bool wordWrap);
  bool Transparent() const noexcept { return transparent_; }
  void SetTransparent(bool transparent);
  // When set, "&" underlines the next character; when not, it is shown as it is.
  bool ShowAccelChar() const noexcept { return showAccelChar_; }
  void SetShowAccelChar(bool showAccelChar);

  // The size the caption takes as Paint lays it out: wrapped at `width` when WordWrap is
  // set, on one line otherwise; an empty caption has the height of one line.
  TPoint TextExtent(int width) const;

  void Paint(TCanvas& canvas) override;
  // A label that sizes itself measures its text again at its new width.
  void ChangeScale(int toDpi, int fromDpi) override;

 protected:
  void TextChanged() override;
  void FontChanged() override;

 private:
  uint32_t TextFormat() const noexcept;
  void AdjustBounds();

  bool autoSize_ = true;
  bool wordWrap_ = false;
  bool transparent_ = false;
  bool showAccelChar_ = true;
};

}  // namespace kavrix
