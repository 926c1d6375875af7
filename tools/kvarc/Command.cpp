#include "Command.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace kavrix::kvarc {

namespace {

constexpr std::array kEncodeOptions{Option{"--parse", true}};

constexpr std::array kCommands{
    Command{"encode", "[--parse greedy|lazy|optimal] IN OUT",
            "pack IN into the raw LZH stream OUT (default parse: optimal)", kEncodeOptions, RunEncode},
    Command{"decode", "IN OUT", "unpack the raw LZH stream IN into OUT", {}, RunDecode},
    Command{"create", "ARCHIVE DIR", "pack every file below DIR into ARCHIVE, named relative to DIR",
            {}, RunCreate},
    Command{"list", "ARCHIVE",
            "print one line per entry: name, size, packed size, attributes, date; fails if the\n"
            "directory is damaged or a name would be refused by extract",
            {}, RunList},
    Command{"extract", "ARCHIVE DIR",
            "unpack ARCHIVE into DIR, with directories, dates and attributes (replaces files)", {},
            RunExtract},
    Command{"test", "ARCHIVE",
            "decode every entry without writing; checks that the directory reads whole, that\n"
            "every name is safe to extract and that each entry decodes to its stored size.\n"
            "The format has no checksums: damage that keeps every size passes",
            {}, RunTest},
    Command{"sfx", "STUB.exe ARCHIVE OUT.exe",
            "write STUB.exe followed by ARCHIVE as OUT.exe, its string 1 set to where ARCHIVE begins", {},
            RunSfx},
    Command{"help", "[COMMAND]", "show this help, or the usage of COMMAND", {}, RunHelp},
};

// A summary's lines, each after `indent`.
void PrintSummary(std::string_view summary, std::string_view indent) {
  for (size_t start = 0; start < summary.size();) {
    const size_t end = std::min(summary.find('\n', start), summary.size());
    std::printf("%.*s%.*s\n", static_cast<int>(indent.size()), indent.data(), static_cast<int>(end - start),
                summary.data() + start);
    start = end + 1;
  }
}

}  // namespace

CommandLine::CommandLine(std::string_view command, std::span<const std::string> arguments,
                         std::span<const Option> accepted)
    : command_(command) {
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument == "-" || !argument.starts_with("-")) {
      operands_.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    const auto known = std::find_if(accepted.begin(), accepted.end(),
                                   [&](const Option& o) { return o.name == name; });
    if (known == accepted.end()) throw UsageError(command_ + ": unknown option '" + name + "'");
    if (Has(name)) throw UsageError(command_ + ": option '" + name + "' given twice");
    std::string value;
    if (known->takesValue) {
      if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        throw UsageError(command_ + ": option '" + name + "' needs a value");
      }
    } else if (equals != std::string::npos) {
      throw UsageError(command_ + ": option '" + name + "' takes no value");
    }
    options_.emplace_back(name, std::move(value));
  }
}

void CommandLine::ExpectOperands(size_t count, std::string_view names) const {
  if (operands_.size() == count) return;
  std::string message = command_ + ": expected " + std::string(names) + ", got ";
  if (operands_.empty()) {
    message += "no file names";
  } else {
    message += std::to_string(operands_.size()) + (operands_.size() == 1 ? " file name" : " file names");
  }
  throw UsageError(message + " (see 'kvarc help " + command_ + "')");
}

std::optional<std::string> CommandLine::Value(std::string_view option) const {
  for (const auto& [name, value] : options_) {
    if (name == option) return value;
  }
  return std::nullopt;
}

std::span<const Command> CommandTable() { return kCommands; }

const Command* FindCommand(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

void PrintHelp() {
  std::printf("usage: kvarc COMMAND [ARGUMENTS]\n\nCommands:\n");
  for (const Command& command : kCommands) {
    std::printf("  %.*s %.*s\n", static_cast<int>(command.name.size()), command.name.data(),
                static_cast<int>(command.synopsis.size()), command.synopsis.data());
    PrintSummary(command.summary, "      ");
  }
  std::printf(
      "\nA raw LZH stream is the packed data alone, without an archive header. An ARCHIVE\n"
      "whose name ends in .exe is read from where its string resource 1 says it begins; sfx\n"
      "needs a STUB.exe whose string 1 is a field of 1 to 14 spaces or zeros to write that to.\n"
      "'--' ends the options, for file names that start with '-'. A progress bar shows on\n"
      "a terminal during long operations.\n"
      "\nExit status: 0 success; 1 the command failed (unreadable input, write error, damaged\n"
      "archive); 2 usage error (nothing was done).\n");
}

void PrintUsage(const Command& command) {
  std::printf("usage: kvarc %.*s %.*s\n", static_cast<int>(command.name.size()), command.name.data(),
              static_cast<int>(command.synopsis.size()), command.synopsis.data());
  PrintSummary(command.summary, "  ");
}

void RunHelp(const CommandLine& line) {
  const auto& operands = line.Operands();
  if (operands.size() > 1) throw UsageError("help: expected at most one command name");
  if (operands.empty()) {
    PrintHelp();
    return;
  }
  const Command* command = FindCommand(operands[0]);
  if (command == nullptr) throw UsageError("help: unknown command '" + operands[0] + "'");
  PrintUsage(*command);
}

std::string TerminalText(std::string_view text) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string printable;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
      printable += {'\\', 'x', kHexDigits[byte >> 4], kHexDigits[byte & 0xF]};
    } else {
      printable += c;
    }
  }
  return printable;
}

}  // namespace kavrix::kvarc
