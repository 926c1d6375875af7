#pragma once
// kvarc's commands. Each command is one function in a file of its own, registered in
// the table in Command.cpp with its synopsis and the options it accepts; main() parses
// the command line against that entry, so a new command needs no parsing code.

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kavrix::kvarc {

// The tool's exit status.
enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,  // the command could not be carried out (I/O error, unreadable input, damage)
  kExitUsage = 2,    // the command line is wrong; nothing was done
};

// A command line the tool cannot act on. Printed after "kvarc: "; exits with kExitUsage.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Option {
  std::string_view name;  // with the dashes: "--parse"
  bool takesValue;
};

// A command's arguments: options (anywhere before "--", "--name VALUE" or
// "--name=VALUE", each at most once) and operands, in their order.
class CommandLine {
 public:
  // Throws UsageError for an option the command does not accept, a missing value or a
  // repeated option.
  CommandLine(std::string_view command, std::span<const std::string> arguments,
              std::span<const Option> accepted);

  // Throws UsageError unless there are exactly `count` operands, naming them after
  // `names` ("IN OUT").
  void ExpectOperands(size_t count, std::string_view names) const;

  const std::vector<std::string>& Operands() const noexcept { return operands_; }
  std::optional<std::string> Value(std::string_view option) const;
  bool Has(std::string_view option) const { return Value(option).has_value(); }

 private:
  std::string command_;
  std::vector<std::string> operands_;
  std::vector<std::pair<std::string, std::string>> options_;
};

struct Command {
  std::string_view name;
  std::string_view synopsis;  // what follows the name in a usage line
  std::string_view summary;  // lines separated by '\n', printed indented
  std::span<const Option> options;
  // Throws UsageError, ToolError, or the archive component's exceptions.
  void (*run)(const CommandLine& line);
};

std::span<const Command> CommandTable();
const Command* FindCommand(std::string_view name);

// Writes the tool's help (every command) or one command's usage to stdout.
void PrintHelp();
void PrintUsage(const Command& command);

// `text` safe to print on a terminal: each control character but TAB (a stored name may
// hold any byte, an escape sequence too) as \xHH.
std::string TerminalText(std::string_view text);

// The commands.
void RunEncode(const CommandLine& line);
void RunDecode(const CommandLine& line);
void RunCreate(const CommandLine& line);
void RunList(const CommandLine& line);
void RunExtract(const CommandLine& line);
void RunTest(const CommandLine& line);
void RunSfx(const CommandLine& line);
void RunHelp(const CommandLine& line);

}  // namespace kavrix::kvarc
