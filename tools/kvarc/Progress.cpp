#include "Progress.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string_view>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "Command.h"
#include "FileIo.h"
#include "archive/Lzh_btch.h"

namespace kavrix::kvarc {

namespace {

constexpr size_t kLineWidth = 79;  // a full line on an 80-column terminal moves the cursor on
constexpr size_t kBarCells = 24;
// Quick operations show no bar at all, and a redraw at most every tenth of a second
// keeps a slow terminal from slowing the operation down.
constexpr auto kFirstDrawDelay = std::chrono::milliseconds(500);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
  std::signal(SIGINT, SIG_DFL);
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

// "VERB [#######.......]  45%  NAME", at most `width` columns: a longer line would wrap,
// and the carriage return would then redraw only its last row. NAME loses its start
// first, so the file name stays visible.
std::string ProgressLine(std::string_view verb, int64_t done, int64_t total, std::string_view name,
                         size_t width) {
  const int64_t shown = total > 0 ? std::clamp<int64_t>(done, 0, total) : 1;
  const int64_t whole = total > 0 ? total : 1;
  const auto cells = static_cast<size_t>(shown * static_cast<int64_t>(kBarCells) / whole);
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(shown * 100 / whole));

  std::string line = std::string(verb) + " [" + std::string(cells, '#') +
                     std::string(kBarCells - cells, '.') + "] " + percent;
  if (line.size() >= width) return line.substr(0, width);
  const size_t room = width - line.size();
  constexpr std::string_view kCut = "...";
  if (name.empty() || room <= 2 + kCut.size()) return line;
  line += "  ";
  if (name.size() <= room - 2) return line + std::string(name);
  return line + std::string(kCut) + std::string(name.substr(name.size() - (room - 2 - kCut.size())));
}

}  // namespace

ProgressReport::ProgressReport(std::string verb) : verb_(std::move(verb)), enabled_(StderrIsTerminal()) {
  interrupted = 0;
  previousHandler_ = std::signal(SIGINT, OnInterrupt);
}

ProgressReport::~ProgressReport() {
  std::signal(SIGINT, previousHandler_ == SIG_ERR ? SIG_DFL : previousHandler_);
  if (drawn_) std::fprintf(stderr, "\r%*s\r", static_cast<int>(kLineWidth), "");
}

void ProgressReport::Attach(TLZHBatch& batch) {
  batch.OnProgress = [this](TObject&, const std::string& fileName, int32_t, int32_t, int32_t totalDone,
                            int32_t total, bool&) {
    if (interrupted != 0) throw ToolError("interrupted");
    if (enabled_) Update(fileName, totalDone, total);
  };
}

void ProgressReport::Update(const std::string& name, int64_t done, int64_t total) {
  const Clock::time_point now = Clock::now();
  if (now - start_ < kFirstDrawDelay || now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  const std::string line = ProgressLine(verb_, done, total, TerminalText(name), kLineWidth);
  // Padded to the full width, so a shorter line covers the previous one.
  std::fprintf(stderr, "\r%-*s", static_cast<int>(kLineWidth), line.c_str());
  drawn_ = true;
}

}  // namespace kavrix::kvarc
