// kvarc: the vendor's tool for Kavrix payloads. Usage errors exit with 2, failures
// while running with 1; each prints one line "kvarc: ..." on stderr.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "Command.h"
#include "FileIo.h"

namespace kavrix::kvarc {
namespace {

bool IsHelpFlag(std::string_view argument) { return argument == "-h" || argument == "--help"; }

// "-h" before any "--" asks for the command's usage instead of running it.
bool AsksForHelp(std::span<const std::string> arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--") return false;
    if (IsHelpFlag(argument)) return true;
  }
  return false;
}

void Run(const std::vector<std::string>& arguments) {
  if (arguments.empty()) throw UsageError("no command given (see 'kvarc help')");
  if (IsHelpFlag(arguments[0])) {
    PrintHelp();
    return;
  }
  const Command* command = FindCommand(arguments[0]);
  if (command == nullptr) throw UsageError("unknown command '" + arguments[0] + "' (see 'kvarc help')");
  const std::span<const std::string> rest(arguments.begin() + 1, arguments.end());
  if (AsksForHelp(rest)) {
    PrintUsage(*command);
    return;
  }
  command->run(CommandLine(command->name, rest, command->options));
}

// One line whatever the message: the archive component's texts may carry CR LF and the
// system's own description, which ends in one.
void PrintError(std::string_view message) {
  std::string line;
  bool lineBreak = false;
  for (const char c : message) {
    if (c == '\r' || c == '\n') {
      lineBreak = true;
      continue;
    }
    if (lineBreak && !line.empty()) line += ' ';
    lineBreak = false;
    line += c;
  }
  std::fprintf(stderr, "kvarc: %s\n", TerminalText(line).c_str());
}

}  // namespace
}  // namespace kavrix::kvarc

int main(int argc, char** argv) {
  using namespace kavrix::kvarc;
  try {
    Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& e) {
    PrintError(e.what());
    return kExitUsage;
  } catch (const ToolError& e) {
    PrintError(e.what());
    return kExitFailure;
  } catch (const std::bad_alloc&) {
    PrintError("out of memory");
    return kExitFailure;
  } catch (const std::exception& e) {
    PrintError(e.what());
    return kExitFailure;
  }
  // Help text lost to a full disk or a closed pipe is a failure too.
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    const std::string message = std::string("cannot write standard output: ") + std::strerror(errno);
    PrintError(message);
    return kExitFailure;
  }
  return kExitOk;
}
