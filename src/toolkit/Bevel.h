#pragma once
// A windowless 3-D box, frame or line in the button shadow and highlight colours.

#include "toolkit/BevelStyle.h"
#include "toolkit/Control.h"

namespace kavrix {

enum TBevelShape : uint8_t { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };

class TBevel : public TGraphicControl {
 public:
  explicit TBevel(TComponent* owner);

  TBevelShape Shape() const noexcept { return shape_; }
  void SetShape(TBevelShape shape);
  TBevelStyle Style() const noexcept { return style_; }
  void SetStyle(TBevelStyle style);

  void Paint(TCanvas& canvas) override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

}  // namespace kavrix
