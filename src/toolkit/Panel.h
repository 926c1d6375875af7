#pragma once
// A container that paints itself and its windowless children, with an optional bevel
// and border.

#include "toolkit/Form.h"

namespace kavrix {

enum TPanelBevel : uint8_t { bvNone, bvLowered, bvRaised };

class TPanel : public TCustomControl {
 public:
  explicit TPanel(TComponent* owner);

  TPanelBevel BevelOuter() const noexcept { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel bevel);
  // bsSingle: a sunken client edge around the panel; other values mean none.
  TBorderStyle BorderStyle() const noexcept { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);

  TRect ClientRect() const override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint(TCanvas& canvas) override;

 private:
  TPanelBevel bevelOuter_ = bvRaised;
  TBorderStyle borderStyle_ = bsNone;
};

}  // namespace kavrix
