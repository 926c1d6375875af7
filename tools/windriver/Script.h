#pragma once
// The driver's script: one step per line, words separated by blanks. A word in double
// quotes may hold blanks; inside it a doubled quote stands for one quote. Backslashes
// are ordinary characters, so Windows paths need no escaping. Lines that are empty or
// start with '#' are not steps.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kavrix::windriver {

// A script that cannot be read or parsed; nothing of it has run.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Step {
  std::string origin;  // where it came from, for messages: "login.txt:12" or "argument 3"
  std::string text;    // the line as written, without surrounding blanks
  std::vector<std::string> words;
};

// Splits a line into words; an empty result means the line is not a step.
// Throws ScriptError for an unterminated quote or a quote glued to other text.
std::vector<std::string> SplitWords(std::string_view line);

// Appends the steps of one line; `origin` names the line in messages.
void AddStep(std::vector<Step>& steps, std::string_view line, std::string origin);

// Appends the steps of the script file `path`.
void ReadScriptFile(std::vector<Step>& steps, const std::string& path);

}  // namespace kavrix::windriver
