#pragma once
// A window-message timer: OnTimer is raised on the GUI thread every Interval
// milliseconds while Enabled and Interval > 0, between other messages.

#include <cstdint>
#include <memory>

#include "foundation/Component.h"

namespace kavrix {

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled);
  // Milliseconds; changing it restarts a running timer.
  uint32_t Interval() const noexcept { return interval_; }
  void SetInterval(uint32_t interval);

  TNotifyEvent OnTimer;

 private:
  void UpdateTimer();

  // The hidden window the system's timer messages go to, made when first needed.
  struct Window;
  bool enabled_ = true;
  uint32_t interval_ = 1000;
  std::unique_ptr<Window> window_;
};

}  // namespace kavrix
