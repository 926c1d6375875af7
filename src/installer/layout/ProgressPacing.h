#pragma once
// When the progress page shows a new state. The extraction reports every 4 KiB decoded,
// thousands of times a second, far more often than anyone can follow; painting each
// report made the painting, not the extraction, the installation's cost. A report is
// shown when the interval has passed since the last one shown, and the extraction's last
// report always, so the page ends on the full bars.

#include <cstdint>

namespace kavrix {

class ProgressPacer {
 public:
  // About 25 pictures a second: smooth to the eye, and each costs only a few
  // milliseconds of a second's extraction.
  static constexpr uint32_t kIntervalMs = 40;

  // Whether the report arriving at `nowMs` (a millisecond tick that may wrap around) is
  // shown; `last` marks the extraction's last report. The first report is always shown.
  bool Due(uint32_t nowMs, bool last) noexcept;

 private:
  bool shownAny_ = false;
  uint32_t lastShownMs_ = 0;
};

}  // namespace kavrix
