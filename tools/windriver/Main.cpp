// windriver: works the windows of other programs from outside, as a user would, for
// end-to-end tests. One run executes a whole script, so a test costs one Wine start.
//
//   windriver.exe SCRIPT...          run the steps of the script files in order
//   windriver.exe -e STEP ...        run steps given on the command line
//   windriver.exe --help             print the command list
//   (files and -e steps can be mixed; they run in the order given)
//
// A script has one step per line: a command and its arguments, separated by blanks.
// Quote an argument that holds blanks: "Quorvel 2.0 Kavrix"; "" inside quotes is one quote.
// Backslashes are plain characters. Empty lines and lines starting with # are ignored.
// All steps are checked before the first runs: an unknown command or an unfit argument
// stops the run at once with exit code 2.
//
// Commands:
//   window <caption> [<class> [<child text>]]
//       make the topmost visible top-level window with exactly this caption the current
//       window; <class> ("" or * for any) and a visible descendant captioned <child text>
//       tell apart windows of the same caption
//   wait-gone <caption> [<class> [<child text>]]    until no such window is visible
//   start <program> [<argument>...]    start a program (one at a time)
//   wait-process-exit                  until the started program has ended
//   expect-exit <code>                 ... and its exit code is <code>
//   click <button text>                click a visible, enabled BUTTON (posted BM_CLICK)
//   key <enter|escape|tab|space>       post the key to the focused control of the
//                                      current window (found with GetGUIThreadInfo)
//   check <button text> <on|off>       set a check box by clicking it when needed
//   expect-checked <button text> <on|off>
//   expect-enabled <button text> <yes|no>
//   expect-visible <button text> <yes|no>   (no: the button exists but is hidden)
//   expect-focus <button text>
//   set-text <class> <index> <text>    WM_SETTEXT to the <index>th visible control of
//                                      <class> in the current window (window order, from 0)
//   expect-text <class> <index> <text> its WM_GETTEXT text
//   expect-progress <index> <position> [<maximum>]   of the <index>th visible progress bar
//   listbox-select <index> <item>      select an entry (exact text, or #<number>) of a
//                                      LISTBOX and send LBN_SELCHANGE to its parent
//   listbox-open <index>               send LBN_DBLCLK, as a double click on the selection
//   combo-select <index> <item>        the same for a COMBOBOX (CBN_SELCHANGE)
//   screenshot <file.bmp> [window|screen]   the screen (default) or the current window's area
//   failure-screenshot <file.bmp>      save the screen there if a later step fails
//   timeout <seconds>                  how long each later step may wait (default 30)
//   sleep <milliseconds>
//   echo [<text>...]
//   dump                               print the window tree
//
// Every expect-, wait- and window step waits until its state holds, up to the timeout:
// actions are posted, so the program handles them after the driver has moved on. A
// negative expectation that already holds passes at once, so expect the positive sign of
// an action's effect first. Programs that are busy in a message handler do not answer
// messages; the driver then keeps waiting instead of hanging.
//
// Exit codes: 0 every step passed; 1 a step failed (the message names the step, what it
// expected and what it found, then the window tree follows, and the started program is
// ended); 2 the script or command line is wrong.

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "Driver.h"
#include "Script.h"

namespace {

using namespace kavrix::windriver;

void PrintUsage(std::ostream& out) {
  out << "usage: windriver.exe [SCRIPT | -e STEP]...\n\ncommands:\n";
  for (const auto& command : Commands()) {
    out << "  " << command.name << " " << command.arguments << "\n      ";
    for (const char* c = command.help; *c; ++c) out << (*c == '\n' ? std::string("\n      ") : std::string(1, *c));
    out << "\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "help")) {
    PrintUsage(std::cout);
    return kAllStepsPassed;
  }
  std::vector<Step> steps;
  try {
    if (args.empty()) throw ScriptError("no script and no steps given");
    for (size_t i = 0; i < args.size(); ++i) {
      if (args[i] == "-e") {
        if (++i == args.size()) throw ScriptError("-e needs a step");
        AddStep(steps, args[i], "argument " + std::to_string(i + 1));
      } else {
        ReadScriptFile(steps, args[i]);
      }
    }
    ValidateSteps(steps);
  } catch (const ScriptError& error) {
    std::cout << "windriver: " << error.what() << "\n(windriver.exe --help lists the commands)" << std::endl;
    return kBadScript;
  }
  try {
    Driver driver(std::cout);
    return driver.Run(steps);
  } catch (const std::exception& error) {
    std::cout << "windriver: " << error.what() << std::endl;
    return kStepFailed;
  }
}
