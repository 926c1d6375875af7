#include "Script.h"

#include <fstream>

namespace kavrix::windriver {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<std::string> SplitWords(std::string_view line) {
  line = Trim(line);
  std::vector<std::string> words;
  if (line.empty() || line.front() == '#') return words;
  size_t at = 0;
  while (at < line.size()) {
    if (IsBlank(line[at])) {
      ++at;
      continue;
    }
    std::string word;
    if (line[at] == '"') {
      ++at;
      for (;;) {
        if (at == line.size()) throw ScriptError("a quoted word has no closing quote");
        if (line[at] == '"') {
          if (at + 1 < line.size() && line[at + 1] == '"') {
            word += '"';
            at += 2;
            continue;
          }
          ++at;
          break;
        }
        word += line[at++];
      }
      if (at < line.size() && !IsBlank(line[at])) throw ScriptError("a closing quote must end its word");
    } else {
      while (at < line.size() && !IsBlank(line[at])) {
        if (line[at] == '"') throw ScriptError("a quote inside a word (quote the whole word)");
        word += line[at++];
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

void AddStep(std::vector<Step>& steps, std::string_view line, std::string origin) {
  std::vector<std::string> words;
  try {
    words = SplitWords(line);
  } catch (const ScriptError& error) {
    throw ScriptError(origin + ": " + error.what());
  }
  if (words.empty()) return;
  steps.push_back(Step{std::move(origin), std::string(Trim(line)), std::move(words)});
}

void ReadScriptFile(std::vector<Step>& steps, const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw ScriptError("cannot open the script " + path);
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    AddStep(steps, line, path + ":" + std::to_string(number));
  }
  if (file.bad()) throw ScriptError("cannot read the script " + path);
}

}  // namespace kavrix::windriver
