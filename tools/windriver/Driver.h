#pragma once
// Runs a script of steps against the windows of other programs, as a user would work
// them. Each step either succeeds or stops the run with what it expected and what it
// found; every wait is bounded by the step timeout.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "Script.h"
#include "system/Win32Handles.h"

namespace kavrix::windriver {

// A step's argument kinds, one character each; the last one repeats for further arguments:
// 't' any text, 'n' a whole number >= 0, 'i' a whole number, 'o' on|off, 'y' yes|no,
// 'k' a key name, 's' window|screen, 'c' a key chord (Keyboard.h).
struct CommandInfo {
  const char* name;
  const char* arguments;  // as shown in the usage
  int minArguments;
  int maxArguments;  // -1: no limit
  const char* kinds;
  const char* help;
};

// The commands, in the order the usage lists them.
const std::vector<CommandInfo>& Commands();

// Throws ScriptError naming the first step with an unknown command or unfit arguments.
void ValidateSteps(const std::vector<Step>& steps);

// Exit codes of the driver.
constexpr int kAllStepsPassed = 0;
constexpr int kStepFailed = 1;
constexpr int kBadScript = 2;

class Driver {
 public:
  explicit Driver(std::ostream& out) : out_(out) {}

  // Runs the (validated) steps in order and stops at the first that fails, after
  // printing the failure, the window tree and, if asked, a screenshot, and ending the
  // program the script started. Returns kAllStepsPassed or kStepFailed.
  int Run(const std::vector<Step>& steps);

 private:
  using Arguments = std::vector<std::string>;
  // Fills `found` with what it saw and returns whether the awaited state holds.
  using Probe = std::function<bool(std::string& found)>;

  void RunStep(const Arguments& words);
  void ReportFailure(size_t number, const Step& step, const std::string& expected, const std::string& found);

  // Probes until the state holds or the step's time is up, then fails with `expected`.
  void WaitFor(const std::string& expected, const Probe& probe);
  DWORD RemainingMilliseconds() const;

  HWND Current(const std::string& forWhat) const;
  std::string CurrentName() const;
  std::vector<HWND> MatchingWindows(const Arguments& pattern) const;
  // The current window's buttons captioned `text`, visible ones first.
  std::vector<HWND> Buttons(const std::string& text) const;
  // The current window's `index`th visible control of class `className`, or null.
  HWND Control(const std::string& className, int index) const;
  // Waits for a visible button; `needEnabled` also waits until it is enabled.
  HWND WaitForButton(const std::string& expected, const std::string& text, bool needEnabled);
  // Waits until the current window's first button captioned `text` satisfies `holds`.
  void WaitForButtonState(const std::string& expected, const std::string& text,
                          const std::function<bool(HWND)>& holds);
  HWND WaitForControl(const std::string& className, const std::string& index);

  void SelectWindow(const Arguments& args);
  void WaitGone(const Arguments& args);
  void Start(const Arguments& args);
  void StartCommand(std::string line);
  void WaitProcessExit();
  void ExpectExit(const Arguments& args);
  void Click(const Arguments& args);
  void Key(const Arguments& args);
  void PostClick(const Arguments& args);
  void PostKeyToFocus(const Arguments& args);
  // Keyboard input to the foreground window: key chords, or with `text` characters.
  void Press(const Arguments& args, bool text);
  void ExpectFocused(const Arguments& args);
  void PostClose(const Arguments& args);
  void ExpectResponsive(const Arguments& args);
  void PrintPeakMemory();
  void Check(const Arguments& args);
  void ExpectChecked(const Arguments& args);
  void ExpectEnabled(const Arguments& args);
  void ExpectVisible(const Arguments& args);
  // Waits until the keyboard focus is on a control of the current window that satisfies
  // `holds`.
  void WaitForFocus(const std::string& expected, const std::function<bool(HWND)>& holds);
  void ExpectFocus(const Arguments& args);
  void SetText(const Arguments& args);
  void ExpectText(const Arguments& args);
  void ExpectFileLocked(const Arguments& args);
  void ExpectProgress(const Arguments& args);
  void SelectItem(const Arguments& args, bool isList);
  void OpenListItem(const Arguments& args);
  void Screenshot(const Arguments& args);

  std::ostream& out_;
  std::chrono::milliseconds timeout_{30000};
  std::chrono::steady_clock::time_point deadline_;
  HWND current_ = nullptr;
  std::string currentCaption_;
  UniqueHandle process_;
  std::string processName_;
  std::string failureScreenshot_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

}  // namespace kavrix::windriver
