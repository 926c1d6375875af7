#pragma once
// A container framing its children under a caption; it paints itself and its windowless
// children.

#include "toolkit/CustomControl.h"

namespace kavrix {

class TGroupBox : public TCustomControl {
 public:
  explicit TGroupBox(TComponent* owner);

 protected:
  void Paint(TCanvas& canvas) override;
  void TextChanged() override { Invalidate(); }
};

}  // namespace kavrix
