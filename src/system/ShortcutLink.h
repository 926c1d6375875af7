#pragma once
// TShortcutLink: writes shell shortcut (.lnk) files through the shell's link object and
// tells where the shell's special folders are. The properties describe one shortcut;
// CreateShortcut changes none of them, so consecutive shortcuts share whatever the
// caller does not change.

#include <cstdint>
#include <string>

#include "foundation/Component.h"
#include "foundation/Exceptions.h"

namespace kavrix {

class EShortcutError : public Exception {
 public:
  EShortcutError() : Exception("Unable to create .lnk file") {}
};

enum TShowCmd : uint8_t { scShowMaximized, scShowMinimized, scShowNormal };

class TShortcutLink : public TComponent {
 public:
  explicit TShortcutLink(TComponent* owner = nullptr);

  // Writes ShortcutFile from the current properties, replacing an existing file. The
  // folder must exist already. Raises EShortcutError when the link object is not
  // available, the path does not fit in MAX_PATH characters, or the save is refused.
  void CreateShortcut();

  // The file-system path of a shell special folder (a CSIDL number) as the shell gives
  // it, with no trailing backslash unless it is a drive root; empty when the shell cannot
  // locate the folder or it is not part of the file system.
  std::string GetSpecialFolder(int folder) const;
  // The current user's Start-menu Programs folder.
  std::string GetProgramsFolder() const;

  const std::string& ShortcutFile() const noexcept { return shortcutFile_; }
  void SetShortcutFile(std::string value) { shortcutFile_ = std::move(value); }
  const std::string& Target() const noexcept { return target_; }
  void SetTarget(std::string value) { target_ = std::move(value); }
  const std::string& WorkingDir() const noexcept { return workingDir_; }
  void SetWorkingDir(std::string value) { workingDir_ = std::move(value); }
  const std::string& Description() const noexcept { return description_; }
  void SetDescription(std::string value) { description_ = std::move(value); }
  const std::string& Arguments() const noexcept { return arguments_; }
  void SetArguments(std::string value) { arguments_ = std::move(value); }
  const std::string& IconLocation() const noexcept { return iconLocation_; }
  void SetIconLocation(std::string value) { iconLocation_ = std::move(value); }
  uint16_t IconNumber() const noexcept { return iconNumber_; }
  void SetIconNumber(uint16_t value) noexcept { iconNumber_ = value; }

  // The key of the shortcut's Ctrl+Alt hot key as one character; a space when there is none.
  std::string HotKey() const;
  // Only the first character counts, with a to z upper-cased; an empty text or a control
  // character means no hot key.
  void SetHotKey(const std::string& value);

  TShowCmd ShowCmd() const noexcept;
  void SetShowCmd(TShowCmd value) noexcept;

 private:
  static constexpr uint16_t kNoHotKey = 32;

  std::string shortcutFile_;
  std::string target_;
  std::string workingDir_;
  std::string description_;
  std::string arguments_;
  std::string iconLocation_;
  uint16_t hotKeyCode_ = kNoHotKey;  // character code, serving as the virtual-key code
  int32_t showCommand_;              // the show-window value written into the file
  uint16_t iconNumber_ = 0;
};

}  // namespace kavrix
