#include "Keyboard.h"

#include <cctype>

#include "WindowQuery.h"

namespace kavrix::windriver {
namespace {

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

std::optional<WORD> NamedKey(const std::string& name) {
  static const std::pair<const char*, WORD> kNames[] = {
      {"enter", VK_RETURN}, {"escape", VK_ESCAPE}, {"tab", VK_TAB},    {"space", VK_SPACE},
      {"up", VK_UP},        {"down", VK_DOWN},     {"left", VK_LEFT},  {"right", VK_RIGHT},
      {"home", VK_HOME},    {"end", VK_END},
  };
  for (const auto& [known, key] : kNames) {
    if (name == known) return key;
  }
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
    return static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
  }
  if (name.size() >= 2 && name[0] == 'f' && name.find_first_not_of("0123456789", 1) == std::string::npos) {
    const int number = std::stoi(name.substr(1));
    if (number >= 1 && number <= 12) return static_cast<WORD>(VK_F1 + number - 1);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<INPUT>> ChordInput(const std::string& chord) {
  std::vector<WORD> modifiers;
  std::string rest = chord;
  for (size_t plus = rest.find('+'); plus != std::string::npos && plus + 1 < rest.size(); plus = rest.find('+')) {
    const std::string modifier = rest.substr(0, plus);
    if (modifier == "shift") {
      modifiers.push_back(VK_SHIFT);
    } else if (modifier == "ctrl") {
      modifiers.push_back(VK_CONTROL);
    } else if (modifier == "alt") {
      modifiers.push_back(VK_MENU);
    } else {
      return std::nullopt;
    }
    rest.erase(0, plus + 1);
  }
  const std::optional<WORD> key = NamedKey(rest);
  if (!key) return std::nullopt;
  std::vector<INPUT> input;
  for (WORD modifier : modifiers) input.push_back(KeyInput(modifier, false));
  input.push_back(KeyInput(*key, false));
  input.push_back(KeyInput(*key, true));
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) input.push_back(KeyInput(*it, true));
  return input;
}

std::vector<INPUT> TextInput(const std::string& text) {
  std::vector<INPUT> input;
  for (wchar_t character : Widen(text)) {
    for (bool up : {false, true}) {
      INPUT press{};
      press.type = INPUT_KEYBOARD;
      press.ki.wScan = static_cast<WORD>(character);
      press.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      input.push_back(press);
    }
  }
  return input;
}

bool SendKeyboardInput(std::vector<INPUT> input) {
  if (input.empty()) return true;
  return ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) == input.size();
}

}  // namespace kavrix::windriver
