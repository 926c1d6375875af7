#pragma once
// The system's progress bar. Range and position are 0..2^31-1, so that a count of
// kibibytes of any file fits: values outside are clamped, and the position always lies
// within the range. A maximum below the minimum is kept as set, and the bar then shows an
// empty range at the minimum.

#include <cstdint>

#include "toolkit/WinControl.h"

namespace kavrix {

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner);

  int Min() const noexcept { return min_; }
  int Max() const noexcept { return max_; }
  int Position() const noexcept { return position_; }
  void SetMin(int min);
  void SetMax(int max);
  void SetPosition(int position);

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;

 private:
  // Clamps the position into the range and gives the window range and position.
  void Apply();

  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};

}  // namespace kavrix
