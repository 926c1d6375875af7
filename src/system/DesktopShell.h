#pragma once
// Starting a program as the user logged on to the desktop. setup.exe runs with
// administrator rights; what it starts directly inherits them. The desktop's shell runs
// with the user's own rights, and a program it starts on request gets those instead.

#include <string>

namespace kavrix {

// Asks the shell of the desktop (the process that shows it, normally explorer) to start
// `program`, a full path without quotes, with the command-line text `parameters`, its
// window shown as `showCommand` (SW_*). True when the shell took the request. False when
// no desktop shell could be reached or it offers no such service (no shell running, a
// replacement shell, a system without it): nothing was started then, and the caller may
// start the program itself.
bool StartAsDesktopUser(const std::string& program, const std::string& parameters, int showCommand);

}  // namespace kavrix
