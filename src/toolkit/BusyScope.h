#pragma once
// A long operation that runs inside a message handler on the GUI thread (an installation
// inside a click) keeps the program's windows alive through a TBusyScope: its Pump
// handles what waits in the thread's queue (painting, activation, the system's and other
// programs' queries) so the system never takes the program for hung, while the user's
// input is dropped and the forms act on no click, dialog key or close request. Nothing
// the user did during the operation acts then or afterwards, and nothing the pumped
// messages trigger can start the operation a second time.
//
// The scope blocks input for every window of the thread: a modal window that the
// operation needs to show must be one with a loop of its own (a system message box).

#include <cstdint>

namespace kavrix {

class TBusyScope {
 public:
  TBusyScope();
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;
  // Handles what is still waiting, still busy, so that no click posted during the
  // operation is acted on later.
  ~TBusyScope();

  // Handles every message waiting now, less the user's input. Only while a scope lives:
  // otherwise the input would be handled in the middle of the operation.
  static void Pump();
  // Waits `milliseconds`, handling messages as they come; only while a scope lives.
  static void Wait(uint32_t milliseconds);

 private:
  bool wasBusy_;
};

// True for the mouse, keyboard and pointer messages a busy program drops.
bool IsUserInput(uint32_t message) noexcept;

}  // namespace kavrix
