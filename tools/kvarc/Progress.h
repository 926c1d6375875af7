#pragma once
// Following a long archive operation through the component's OnProgress: a bar on stderr
// while stderr is a terminal, and Ctrl-C turned into a failure raised from that event.
// The component then removes the file it was writing, instead of the process dying with
// a cut-short file in place that looks complete.

#include <chrono>
#include <cstdint>
#include <string>

namespace kavrix {
class TLZHBatch;
}

namespace kavrix::kvarc {

class ProgressReport {
 public:
  // `verb` starts the bar's line ("extracting"). Ctrl-C is caught from here on; a second
  // one ends the process at once.
  explicit ProgressReport(std::string verb);
  // Erases the bar, so that an error message starts at the beginning of the line, and
  // gives Ctrl-C back.
  ~ProgressReport();
  ProgressReport(const ProgressReport&) = delete;
  ProgressReport& operator=(const ProgressReport&) = delete;

  // Sets `batch`'s OnProgress. It throws ToolError "interrupted" after a Ctrl-C.
  void Attach(TLZHBatch& batch);

 private:
  using Clock = std::chrono::steady_clock;

  void Update(const std::string& name, int64_t done, int64_t total);

  std::string verb_;
  bool enabled_;  // stderr is a terminal
  Clock::time_point start_ = Clock::now();
  Clock::time_point lastDraw_{};
  bool drawn_ = false;
  void (*previousHandler_)(int) = nullptr;
};

}  // namespace kavrix::kvarc
