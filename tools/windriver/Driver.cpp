#include "Driver.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "Keyboard.h"
#include "Screenshot.h"
#include "WindowQuery.h"

namespace kavrix::windriver {

namespace {

using namespace std::chrono_literals;

constexpr auto kPollInterval = 50ms;

// A step that did not get the state it waited for.
class StepFailure : public std::runtime_error {
 public:
  StepFailure(const std::string& expected, std::string found)
      : std::runtime_error(expected), found_(std::move(found)) {}
  const std::string& Found() const noexcept { return found_; }

 private:
  std::string found_;
};

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool IsWholeNumber(std::string_view word, bool allowSign) {
  if (allowSign && !word.empty() && word.front() == '-') word.remove_prefix(1);
  return !word.empty() && word.size() <= 10 &&
         std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

long long Number(const std::string& word) { return std::strtoll(word.c_str(), nullptr, 10); }

bool KindAccepts(char kind, const std::string& word) {
  switch (kind) {
    case 'n': return IsWholeNumber(word, false);
    case 'i': return IsWholeNumber(word, true);
    case 'o': return word == "on" || word == "off";
    case 'y': return word == "yes" || word == "no";
    case 'k': return word == "enter" || word == "escape" || word == "tab" || word == "space" || word == "alt+f4";
    case 's': return word == "window" || word == "screen";
    case 'c': return ChordInput(word).has_value();
    default: return true;
  }
}

const char* KindName(char kind) {
  switch (kind) {
    case 'n': return "a whole number";
    case 'i': return "a whole number (may be negative)";
    case 'o': return "on or off";
    case 'y': return "yes or no";
    case 'k': return "enter, escape, tab, space or alt+f4";
    case 's': return "window or screen";
    case 'c': return "a key such as enter, shift+tab, alt+n, down or f4";
    default: return "text";
  }
}

UINT VirtualKey(const std::string& name) {
  if (name == "enter") return VK_RETURN;
  if (name == "escape") return VK_ESCAPE;
  if (name == "tab") return VK_TAB;
  if (name == "alt+f4") return VK_F4;
  return VK_SPACE;
}

// The window with the keyboard focus in `window`'s thread, or null.
HWND FocusInThreadOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Posts a key's down and up messages to `window`, as the system queues a key press;
// "alt+f4" arrives as the system keys it is.
void PostKey(HWND window, const std::string& name) {
  const UINT key = VirtualKey(name);
  const bool alt = name == "alt+f4";
  const auto scan = static_cast<LPARAM>(::MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
  const LPARAM context = alt ? 1L << 29 : 0;
  ::PostMessageA(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, scan | context | 1);
  ::PostMessageA(window, alt ? WM_SYSKEYUP : WM_KEYUP, key,
                 scan | context | 1 | (1L << 30) | static_cast<LPARAM>(1UL << 31));
}

// The command line that gives the program exactly these arguments under the usual
// parsing of the C run-time.
std::string CommandLine(const std::vector<std::string>& words) {
  std::string line;
  for (const auto& word : words) {
    if (!line.empty()) line += ' ';
    if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) {
      line += word;
      continue;
    }
    line += '"';
    size_t backslashes = 0;
    for (char c : word) {
      if (c == '\\') {
        ++backslashes;
        continue;
      }
      // Backslashes double only in front of a quote.
      line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
      backslashes = 0;
      line += c;
    }
    line.append(backslashes * 2, '\\');
    line += '"';
  }
  return line;
}

}  // namespace

const std::vector<CommandInfo>& Commands() {
  static const std::vector<CommandInfo> commands = {
      {"window", "<caption> [<class> [<child text>]]", 1, 3, "t",
       "waits for a visible top-level window with exactly this caption (and this class, unless\n"
       "the class is \"\" or *, and with a visible descendant captioned <child text>) and\n"
       "makes it the current window; the topmost one if several match"},
      {"wait-gone", "<caption> [<class> [<child text>]]", 1, 3, "t",
       "waits until no visible top-level window matches, as for window"},
      {"start", "<program> [<argument>...]", 1, -1, "t",
       "starts a program (found as CreateProcess finds it: the driver's folder, the current\n"
       "folder, the system folders, the PATH); arguments are quoted as needed"},
      {"start-command", "<command line>", 1, 1, "t",
       "starts a command line exactly as written, quotes and all, the way the system runs a\n"
       "command stored in the registry"},
      {"wait-process-exit", "", 0, 0, "", "waits until the started program has ended"},
      {"expect-exit", "<code>", 1, 1, "i", "waits until the started program has ended with this exit code"},
      {"click", "<button text>", 1, 1, "t",
       "waits for a visible, enabled BUTTON with this caption in the current window and\n"
       "clicks it (posted BM_CLICK: a modal window it opens does not hold the driver)"},
      {"key", "<enter|escape|tab|space|alt+f4>", 1, 1, "k",
       "waits until the keyboard focus of the current window's thread is in the current\n"
       "window and posts the key's down and up messages to the focused window"},
      {"post-click", "<button text>", 1, 1, "t",
       "posts BM_CLICK to a visible button of the current window, enabled or not, without\n"
       "waiting for it to become usable: a click that arrives while the program is busy"},
      {"post-key", "<enter|escape|tab|space|alt+f4>", 1, 1, "k",
       "posts the key's down and up messages at once to the focused window of the current\n"
       "window's thread, or to the current window when nothing there has the focus"},
      {"press", "<key>...", 1, -1, "c",
       "waits until the current window is the foreground window and presses the keys as the\n"
       "keyboard does (enter, escape, tab, space, up, down, left, right, home, end, f1..f12,\n"
       "a letter or digit, each with shift+, ctrl+ or alt+ before it), one after the other"},
      {"type", "<text>", 1, 1, "t",
       "waits as press does and types the text's characters into the focused control"},
      {"close", "<caption> [<class> [<child text>]]", 1, 3, "t",
       "posts WM_CLOSE, as the system menu's Close or another program asks, to every visible\n"
       "top-level window that matches as for window (the current window stays as it was)"},
      {"expect-responsive", "<milliseconds>", 1, 1, "n",
       "sends WM_NULL to the current window and fails unless its program answers within\n"
       "<milliseconds>, the question the system asks before it marks a window as not responding"},
      {"check", "<button text> <on|off>", 2, 2, "to",
       "clicks a check box of the current window if its state differs, and waits for the state"},
      {"expect-checked", "<button text> <on|off>", 2, 2, "to", "waits until the check box has this state"},
      {"expect-enabled", "<button text> <yes|no>", 2, 2, "ty",
       "waits until the button (a visible one if any) is enabled or disabled"},
      {"expect-visible", "<button text> <yes|no>", 2, 2, "ty",
       "yes: waits until a visible button has this caption; no: waits until the button\n"
       "exists and none with this caption is visible"},
      {"expect-focus", "<button text>", 1, 1, "t",
       "waits until the keyboard focus is on the current window's button with this caption"},
      {"expect-focused", "<class> [<text>]", 1, 2, "t",
       "waits until the keyboard focus is on a control of the current window of this class\n"
       "(and with this WM_GETTEXT text)"},
      {"set-text", "<class> <index> <text>", 3, 3, "tnt",
       "sets the text of a control (WM_SETTEXT); <index> counts the visible controls of\n"
       "<class> in the current window in window order, from 0"},
      {"expect-text", "<class> <index> <text>", 3, 3, "tnt", "waits until the control's WM_GETTEXT text is <text>"},
      {"expect-progress", "<index> <position> [<maximum>]", 2, 3, "n",
       "waits until the <index>th visible progress bar stands at <position> (and its range\n"
       "ends at <maximum>)"},
      {"listbox-select", "<index> <item>", 2, 2, "nt",
       "selects an entry of the <index>th visible LISTBOX, by its exact text or as #<number>,\n"
       "and tells the parent (LBN_SELCHANGE) as a click does"},
      {"listbox-open", "<index>", 1, 1, "n",
       "opens the selected entry of the <index>th visible LISTBOX: the parent gets LBN_DBLCLK,\n"
       "as from a double click"},
      {"combo-select", "<index> <item>", 2, 2, "nt",
       "selects an entry of the <index>th visible COMBOBOX (exact text or #<number>) and tells\n"
       "the parent (CBN_SELCHANGE)"},
      {"screenshot", "<file.bmp> [window|screen]", 1, 2, "ts",
       "saves the screen (the default) or the current window's area as a 24-bit BMP"},
      {"failure-screenshot", "<file.bmp>", 1, 1, "t", "if a later step fails, saves the screen there"},
      {"timeout", "<seconds>", 1, 1, "n", "sets how long each later step may wait (at start 30)"},
      {"sleep", "<milliseconds>", 1, 1, "n", "waits this long"},
      {"echo", "[<text>...]", 0, -1, "t", "prints the text"},
      {"clock", "[<text>...]", 0, -1, "t", "prints the text and the milliseconds since the driver started"},
      {"peak-memory", "", 0, 0, "",
       "prints the started program's peak private memory and peak working set, in bytes"},
      {"dump", "", 0, 0, "", "prints the visible top-level windows and their descendants"},
      {"expect-file-locked", "<file>", 1, 1, "t",
       "fails unless this process may neither open the file for writing, nor rename it, nor\n"
       "delete it (another program holds it)"},
  };
  return commands;
}

void ValidateSteps(const std::vector<Step>& steps) {
  for (const auto& step : steps) {
    const std::string& name = step.words.front();
    const auto command = std::find_if(Commands().begin(), Commands().end(),
                                      [&](const CommandInfo& info) { return name == info.name; });
    const std::string where = step.origin + ": " + step.text + ": ";
    if (command == Commands().end()) throw ScriptError(where + "unknown command " + Quoted(name));
    const int count = static_cast<int>(step.words.size()) - 1;
    if (count < command->minArguments || (command->maxArguments >= 0 && count > command->maxArguments)) {
      throw ScriptError(where + "wrong number of arguments; usage: " + command->name + " " + command->arguments);
    }
    const std::string_view kinds = command->kinds;
    for (int i = 0; i < count; ++i) {
      const char kind = kinds.empty() ? 't' : kinds[std::min<size_t>(static_cast<size_t>(i), kinds.size() - 1)];
      if (!KindAccepts(kind, step.words[static_cast<size_t>(i) + 1])) {
        throw ScriptError(where + "argument " + std::to_string(i + 1) + " must be " + KindName(kind) +
                          "; usage: " + command->name + " " + command->arguments);
      }
    }
  }
}

int Driver::Run(const std::vector<Step>& steps) {
  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    out_ << "[" << (i + 1) << "] " << step.text << std::endl;
    deadline_ = std::chrono::steady_clock::now() + timeout_;
    try {
      RunStep(step.words);
    } catch (const StepFailure& failure) {
      ReportFailure(i + 1, step, failure.what(), failure.Found());
      return kStepFailed;
    } catch (const std::exception& error) {
      ReportFailure(i + 1, step, "the step to run", error.what());
      return kStepFailed;
    }
  }
  out_ << "windriver: all " << steps.size() << " steps passed" << std::endl;
  return kAllStepsPassed;
}

void Driver::ReportFailure(size_t number, const Step& step, const std::string& expected,
                           const std::string& found) {
  out_ << "windriver: step " << number << " FAILED (" << step.origin << "): " << step.text << "\n"
       << "  current window: " << CurrentName() << "\n"
       << "  expected: " << expected << "\n"
       << "  found:    " << found << "\n";
  DumpWindows(out_);
  if (!failureScreenshot_.empty()) {
    try {
      SaveScreenshot(ScreenArea(), failureScreenshot_);
      out_ << "screenshot saved: " << failureScreenshot_ << "\n";
    } catch (const std::exception& error) {
      out_ << "no screenshot: " << error.what() << "\n";
    }
  }
  // A failed run must not leave the program waiting on its windows for ever.
  if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_.Get(), kStepFailed);
    out_ << "ended " << processName_ << "\n";
  }
  out_.flush();
}

void Driver::RunStep(const Arguments& words) {
  const std::string& name = words.front();
  const Arguments args(words.begin() + 1, words.end());
  if (name == "window") return SelectWindow(args);
  if (name == "wait-gone") return WaitGone(args);
  if (name == "start") return Start(args);
  if (name == "start-command") return StartCommand(args[0]);
  if (name == "wait-process-exit") return WaitProcessExit();
  if (name == "expect-exit") return ExpectExit(args);
  if (name == "click") return Click(args);
  if (name == "key") return Key(args);
  if (name == "post-click") return PostClick(args);
  if (name == "post-key") return PostKeyToFocus(args);
  if (name == "press") return Press(args, false);
  if (name == "type") return Press(args, true);
  if (name == "expect-focused") return ExpectFocused(args);
  if (name == "close") return PostClose(args);
  if (name == "expect-responsive") return ExpectResponsive(args);
  if (name == "check") return Check(args);
  if (name == "expect-checked") return ExpectChecked(args);
  if (name == "expect-enabled") return ExpectEnabled(args);
  if (name == "expect-visible") return ExpectVisible(args);
  if (name == "expect-focus") return ExpectFocus(args);
  if (name == "set-text") return SetText(args);
  if (name == "expect-text") return ExpectText(args);
  if (name == "expect-file-locked") return ExpectFileLocked(args);
  if (name == "expect-progress") return ExpectProgress(args);
  if (name == "listbox-select") return SelectItem(args, true);
  if (name == "listbox-open") return OpenListItem(args);
  if (name == "combo-select") return SelectItem(args, false);
  if (name == "screenshot") return Screenshot(args);
  if (name == "failure-screenshot") {
    failureScreenshot_ = args[0];
    return;
  }
  if (name == "timeout") {
    timeout_ = std::chrono::seconds(Number(args[0]));
    return;
  }
  if (name == "sleep") {
    std::this_thread::sleep_for(std::chrono::milliseconds(Number(args[0])));
    return;
  }
  if (name == "echo" || name == "clock") {
    std::string text;
    for (const auto& word : args) text += (text.empty() ? "" : " ") + word;
    if (name == "clock") {
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started_);
      text += (text.empty() ? "" : " ") + std::to_string(elapsed.count()) + " ms";
    }
    out_ << text << std::endl;
    return;
  }
  if (name == "peak-memory") return PrintPeakMemory();
  if (name == "dump") return DumpWindows(out_);
  throw std::logic_error("command without implementation: " + name);
}

void Driver::WaitFor(const std::string& expected, const Probe& probe) {
  std::string found;
  for (;;) {
    found.clear();
    if (probe(found)) return;
    if (std::chrono::steady_clock::now() >= deadline_) {
      throw StepFailure(expected + " within " + std::to_string(timeout_.count() / 1000) + " s", found);
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

DWORD Driver::RemainingMilliseconds() const {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now());
  return static_cast<DWORD>(std::max<long long>(left.count(), 0));
}

HWND Driver::Current(const std::string& forWhat) const {
  if (!current_) throw StepFailure("a current window for " + forWhat, "no window step has run yet");
  if (!::IsWindow(current_)) throw StepFailure("a current window for " + forWhat, "the window has been destroyed");
  return current_;
}

std::string Driver::CurrentName() const {
  if (!current_) return "none";
  return Quoted(currentCaption_) + (::IsWindow(current_) ? " (" + ClassOf(current_) + ")" : " (destroyed)");
}

std::vector<HWND> Driver::MatchingWindows(const Arguments& pattern) const {
  const std::string& caption = pattern[0];
  const bool anyClass = pattern.size() < 2 || pattern[1].empty() || pattern[1] == "*";
  std::vector<HWND> matches;
  for (HWND top : TopLevelWindows()) {
    if (!::IsWindowVisible(top) || CaptionOf(top) != caption) continue;
    if (!anyClass && !HasClass(top, pattern[1])) continue;
    if (pattern.size() == 3) {
      const auto children = Descendants(top);
      if (std::none_of(children.begin(), children.end(), [&](HWND child) {
            return ::IsWindowVisible(child) && CaptionOf(child) == pattern[2];
          })) {
        continue;
      }
    }
    matches.push_back(top);
  }
  return matches;
}

std::vector<HWND> Driver::Buttons(const std::string& text) const {
  std::vector<HWND> buttons;
  for (HWND child : Descendants(Current("button " + Quoted(text)))) {
    if (HasClass(child, "Button") && CaptionOf(child) == text) buttons.push_back(child);
  }
  std::stable_partition(buttons.begin(), buttons.end(), [](HWND button) { return ::IsWindowVisible(button) != 0; });
  return buttons;
}

HWND Driver::Control(const std::string& className, int index) const {
  int seen = 0;
  for (HWND child : Descendants(Current(className + " " + std::to_string(index)))) {
    if (::IsWindowVisible(child) && HasClass(child, className) && seen++ == index) return child;
  }
  return nullptr;
}

HWND Driver::WaitForButton(const std::string& expected, const std::string& text, bool needEnabled) {
  HWND found = nullptr;
  WaitFor(expected, [&](std::string& seen) {
    const auto buttons = Buttons(text);
    if (buttons.empty()) {
      seen = "no button " + Quoted(text) + " in the current window";
      return false;
    }
    found = buttons.front();
    seen = Describe(found);
    return ::IsWindowVisible(found) && (!needEnabled || ::IsWindowEnabled(found));
  });
  return found;
}

HWND Driver::WaitForControl(const std::string& className, const std::string& index) {
  HWND found = nullptr;
  WaitFor("a visible " + className + " number " + index + " in the current window", [&](std::string& seen) {
    found = Control(className, static_cast<int>(Number(index)));
    seen = "fewer visible " + className + " controls";
    return found != nullptr;
  });
  return found;
}

void Driver::SelectWindow(const Arguments& args) {
  WaitFor("a visible window matching " + Quoted(args[0]) + (args.size() > 1 ? " class " + Quoted(args[1]) : "") +
              (args.size() > 2 ? " with child " + Quoted(args[2]) : ""),
          [&](std::string& seen) {
            const auto matches = MatchingWindows(args);
            if (matches.empty()) {
              const auto captioned = MatchingWindows({args[0]});
              seen = captioned.empty() ? "no visible window captioned " + Quoted(args[0])
                                       : std::to_string(captioned.size()) +
                                             " visible windows with this caption, none matching (first: " +
                                             Describe(captioned.front()) + ")";
              return false;
            }
            current_ = matches.front();
            currentCaption_ = args[0];
            return true;
          });
}

void Driver::WaitGone(const Arguments& args) {
  WaitFor("no visible window matching " + Quoted(args[0]), [&](std::string& seen) {
    const auto matches = MatchingWindows(args);
    if (!matches.empty()) seen = Describe(matches.front());
    return matches.empty();
  });
}

void Driver::Start(const Arguments& args) { StartCommand(CommandLine(args)); }

void Driver::StartCommand(std::string line) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    throw StepFailure("to start " + line, "CreateProcess failed with error " + std::to_string(::GetLastError()));
  }
  UniqueHandle thread(started.hThread);
  process_.Reset(started.hProcess);
  processName_ = line;
  out_ << "started " << line << " as process " << started.dwProcessId << std::endl;
}

void Driver::WaitProcessExit() {
  if (!process_) throw StepFailure("a program started by this script", "no start step has run");
  if (::WaitForSingleObject(process_.Get(), RemainingMilliseconds()) != WAIT_OBJECT_0) {
    throw StepFailure(processName_ + " to end within " + std::to_string(timeout_.count() / 1000) + " s",
                      "it still runs");
  }
}

void Driver::ExpectExit(const Arguments& args) {
  WaitProcessExit();
  DWORD code = 0;
  ::GetExitCodeProcess(process_.Get(), &code);
  const auto expected = static_cast<DWORD>(Number(args[0]));
  if (code != expected) {
    throw StepFailure(processName_ + " to end with exit code " + args[0],
                      "exit code " + std::to_string(static_cast<long>(code)));
  }
}

void Driver::Click(const Arguments& args) {
  HWND button = WaitForButton("a visible, enabled button " + Quoted(args[0]), args[0], true);
  ::PostMessageA(button, BM_CLICK, 0, 0);
}

void Driver::Key(const Arguments& args) {
  HWND focus = nullptr;
  WaitFor("the keyboard focus in the current window", [&](std::string& seen) {
    HWND window = Current("a key");
    focus = FocusInThreadOf(window);
    if (!focus) {
      seen = "no focused window in the current window's thread";
      return false;
    }
    seen = "the focus on " + Describe(focus);
    return focus == window || ::IsChild(window, focus);
  });
  PostKey(focus, args[0]);
}

void Driver::PostClick(const Arguments& args) {
  HWND button = WaitForButton("a visible button " + Quoted(args[0]), args[0], false);
  ::PostMessageA(button, BM_CLICK, 0, 0);
}

void Driver::PostKeyToFocus(const Arguments& args) {
  HWND window = Current("a key");
  HWND focus = FocusInThreadOf(window);
  PostKey(focus ? focus : window, args[0]);
}

void Driver::Press(const Arguments& args, bool text) {
  WaitFor("the current window in the foreground", [&](std::string& seen) {
    HWND window = Current("keys");
    HWND foreground = ::GetForegroundWindow();
    seen = foreground ? "the foreground window " + Describe(foreground, false) : "no foreground window";
    return foreground == window;
  });
  for (const std::string& keys : args) {
    const std::vector<INPUT> input = text ? TextInput(keys) : *ChordInput(keys);
    if (!SendKeyboardInput(input)) {
      throw StepFailure("the system to take the keys " + Quoted(keys),
                        "SendInput failed with error " + std::to_string(::GetLastError()));
    }
  }
}

void Driver::PostClose(const Arguments& args) {
  const std::vector<HWND> windows = MatchingWindows(args);
  if (windows.empty()) throw StepFailure("a visible window " + Quoted(args[0]), "none");
  for (HWND window : windows) ::PostMessageA(window, WM_CLOSE, 0, 0);
}

void Driver::ExpectFocused(const Arguments& args) {
  std::string expected = "the keyboard focus on a " + args[0] + " control";
  if (args.size() > 1) expected += " with the text " + Quoted(args[1]);
  WaitForFocus(expected, [&](HWND focus) {
    return HasClass(focus, args[0]) && (args.size() < 2 || ControlText(focus) == args[1]);
  });
}

void Driver::ExpectResponsive(const Arguments& args) {
  HWND window = Current("a question");
  const auto limit = static_cast<DWORD>(Number(args[0]));
  const auto asked = std::chrono::steady_clock::now();
  if (!Ask(window, WM_NULL, 0, 0, limit)) {
    throw StepFailure("an answer to WM_NULL within " + args[0] + " ms", "no answer from " + Describe(window, false));
  }
  const auto answered = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - asked);
  out_ << "answered in " << answered.count() << " ms" << std::endl;
}

void Driver::PrintPeakMemory() {
  if (!process_) throw StepFailure("a program started by this script", "no start step has run");
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(process_.Get(), &counters, sizeof counters)) {
    throw StepFailure("the memory counters of " + processName_,
                      "GetProcessMemoryInfo failed with error " + std::to_string(::GetLastError()));
  }
  out_ << "peak private bytes " << counters.PeakPagefileUsage << ", peak working set "
       << counters.PeakWorkingSetSize << std::endl;
}

void Driver::Check(const Arguments& args) {
  const bool wanted = args[1] == "on";
  HWND box = WaitForButton("a visible, enabled check box " + Quoted(args[0]), args[0], true);
  const auto state = CheckState(box);
  if (!state) throw StepFailure("a check box " + Quoted(args[0]), Describe(box));
  if (*state != wanted) ::PostMessageA(box, BM_CLICK, 0, 0);
  ExpectChecked(args);
}

void Driver::WaitForButtonState(const std::string& expected, const std::string& text,
                                const std::function<bool(HWND)>& holds) {
  WaitFor(expected, [&](std::string& seen) {
    const auto buttons = Buttons(text);
    if (buttons.empty()) {
      seen = "no button " + Quoted(text) + " in the current window";
      return false;
    }
    seen = Describe(buttons.front());
    return holds(buttons.front());
  });
}

void Driver::ExpectChecked(const Arguments& args) {
  const bool wanted = args[1] == "on";
  WaitForButtonState("the check box " + Quoted(args[0]) + " " + args[1], args[0],
                     [&](HWND button) { return CheckState(button) == wanted; });
}

void Driver::ExpectEnabled(const Arguments& args) {
  const bool wanted = args[1] == "yes";
  WaitForButtonState("the button " + Quoted(args[0]) + (wanted ? " enabled" : " disabled"), args[0],
                     [&](HWND button) { return (::IsWindowEnabled(button) != 0) == wanted; });
}

void Driver::ExpectFileLocked(const Arguments& args) {
  const std::string& path = args[0];
  if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    throw StepFailure("the file " + Quoted(path), "no such file");
  }
  const UniqueHandle written(::CreateFileA(path.c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (written) throw StepFailure(Quoted(path) + " refused for writing", "opened for writing");
  const std::string moved = path + ".moved";
  if (::MoveFileA(path.c_str(), moved.c_str())) {
    ::MoveFileA(moved.c_str(), path.c_str());
    throw StepFailure(Quoted(path) + " refused for renaming", "renamed");
  }
  if (::DeleteFileA(path.c_str())) throw StepFailure(Quoted(path) + " refused for deleting", "deleted");
}

void Driver::ExpectVisible(const Arguments& args) {
  const bool wanted = args[1] == "yes";
  WaitForButtonState("the button " + Quoted(args[0]) + (wanted ? " visible" : " hidden"), args[0],
                     [&](HWND button) { return (::IsWindowVisible(button) != 0) == wanted; });
}

void Driver::WaitForFocus(const std::string& expected, const std::function<bool(HWND)>& holds) {
  WaitFor(expected, [&](std::string& seen) {
    HWND window = Current("the focus");
    HWND focus = FocusInThreadOf(window);
    if (!focus) {
      seen = "no focused window in the current window's thread";
      return false;
    }
    seen = "the focus on " + Describe(focus);
    return ::IsChild(window, focus) && holds(focus);
  });
}

void Driver::ExpectFocus(const Arguments& args) {
  WaitForFocus("the keyboard focus on the button " + Quoted(args[0]),
               [&](HWND focus) { return HasClass(focus, "Button") && CaptionOf(focus) == args[0]; });
}

void Driver::SetText(const Arguments& args) {
  HWND control = WaitForControl(args[0], args[1]);
  const std::wstring text = Widen(args[2]);
  // One attempt with all the time left: a message that timed out may still arrive later,
  // so it is not sent twice.
  if (!Ask(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), std::max<DWORD>(RemainingMilliseconds(), 1))) {
    throw StepFailure("the control to take the text", "no answer from " + Describe(control, false));
  }
}

void Driver::ExpectText(const Arguments& args) {
  WaitFor(args[0] + " number " + args[1] + " with the text " + Quoted(args[2]), [&](std::string& seen) {
    HWND control = Control(args[0], static_cast<int>(Number(args[1])));
    if (!control) {
      seen = "fewer visible " + args[0] + " controls";
      return false;
    }
    const auto text = ControlText(control);
    seen = text ? "the text " + Quoted(*text) : "no answer from " + Describe(control, false);
    return text == args[2];
  });
}

void Driver::ExpectProgress(const Arguments& args) {
  std::string expected = "progress bar " + args[0] + " at " + args[1];
  if (args.size() > 2) expected += " of a range ending at " + args[2];
  WaitFor(expected, [&](std::string& seen) {
    HWND bar = Control(PROGRESS_CLASSA, static_cast<int>(Number(args[0])));
    if (!bar) {
      seen = "fewer visible progress bars";
      return false;
    }
    const auto position = Ask(bar, PBM_GETPOS, 0, 0);
    const auto high = Ask(bar, PBM_GETRANGE, FALSE, 0);
    if (!position || !high) {
      seen = "no answer from " + Describe(bar, false);
      return false;
    }
    seen = "position " + std::to_string(*position) + ", range ending at " + std::to_string(*high);
    return *position == Number(args[1]) && (args.size() < 3 || *high == Number(args[2]));
  });
}

void Driver::SelectItem(const Arguments& args, bool isList) {
  const std::string className = isList ? "ListBox" : "ComboBox";
  int index = -1;
  HWND control = nullptr;
  WaitFor(className + " number " + args[0] + " with the entry " + Quoted(args[1]), [&](std::string& seen) {
    control = Control(className, static_cast<int>(Number(args[0])));
    if (!control) {
      seen = "fewer visible " + className + " controls";
      return false;
    }
    const auto items = ListItems(control);
    if (!items) {
      seen = "no answer from " + Describe(control, false);
      return false;
    }
    seen = Describe(control);
    const auto match = std::find(items->begin(), items->end(), args[1]);
    if (match != items->end()) {
      index = static_cast<int>(match - items->begin());
    } else if (args[1].size() > 1 && args[1][0] == '#' && IsWholeNumber(args[1].substr(1), false) &&
               Number(args[1].substr(1)) < static_cast<long long>(items->size())) {
      index = static_cast<int>(Number(args[1].substr(1)));
    } else {
      return false;
    }
    return true;
  });
  if (!Ask(control, isList ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(index), 0, RemainingMilliseconds())) {
    throw StepFailure("the selection to be taken", "no answer from " + Describe(control, false));
  }
  const auto id = static_cast<WORD>(::GetDlgCtrlID(control));
  ::PostMessageA(::GetParent(control), WM_COMMAND, MAKEWPARAM(id, isList ? LBN_SELCHANGE : CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
}

void Driver::OpenListItem(const Arguments& args) {
  HWND list = WaitForControl("ListBox", args[0]);
  const auto id = static_cast<WORD>(::GetDlgCtrlID(list));
  ::PostMessageA(::GetParent(list), WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
}

void Driver::Screenshot(const Arguments& args) {
  RECT area = ScreenArea();
  if (args.size() > 1 && args[1] == "window") ::GetWindowRect(Current("a window screenshot"), &area);
  try {
    SaveScreenshot(area, args[0]);
  } catch (const std::exception& error) {
    throw StepFailure("a screenshot in " + args[0], error.what());
  }
  out_ << "saved " << args[0] << std::endl;
}

}  // namespace kavrix::windriver
