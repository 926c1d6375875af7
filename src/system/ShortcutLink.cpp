#include "system/ShortcutLink.h"

#include "system/Win32Handles.h"

namespace kavrix {
namespace {

// The link object needs COM on the GUI thread for the whole run. Initialising it when
// the module is set up, before main, puts it on the program's first thread, which is the
// GUI thread; it is uninitialised when static objects are destroyed at exit.
const ComInitialization kModuleComInitialization;

// SW_RESTORE for normal windows: shell link readers treat every value other than
// SW_SHOWMAXIMIZED and SW_SHOWMINNOACTIVE as SW_SHOWNORMAL.
constexpr int32_t kShowCommands[] = {SW_SHOWMAXIMIZED, SW_SHOWMINNOACTIVE, SW_RESTORE};

// Ctrl and Alt (HOTKEYF_CONTROL | HOTKEYF_ALT) in the modifier byte.
constexpr WORD kCtrlAltModifiers = 0x0600;

}  // namespace

TShortcutLink::TShortcutLink(TComponent* owner)
    : TComponent(owner), showCommand_(kShowCommands[scShowNormal]) {}

std::string TShortcutLink::HotKey() const { return std::string(1, static_cast<char>(hotKeyCode_)); }

void TShortcutLink::SetHotKey(const std::string& value) {
  // Text is ANSI: characters above 127 keep their code and are not upper-cased.
  unsigned char key = value.empty() ? ' ' : static_cast<unsigned char>(value.front());
  if (key >= 'a' && key <= 'z') key = static_cast<unsigned char>(key - 'a' + 'A');
  hotKeyCode_ = key < kNoHotKey ? kNoHotKey : key;
}

TShowCmd TShortcutLink::ShowCmd() const noexcept {
  if (showCommand_ == kShowCommands[scShowMaximized]) return scShowMaximized;
  if (showCommand_ == kShowCommands[scShowMinimized]) return scShowMinimized;
  return scShowNormal;
}

void TShortcutLink::SetShowCmd(TShowCmd value) noexcept {
  showCommand_ = kShowCommands[value <= scShowNormal ? value : scShowNormal];
}

void TShortcutLink::CreateShortcut() {
  ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.PutVoid())))
    throw EShortcutError();

  // A setter that fails leaves that part of the shortcut as the link object has it; the
  // shortcut is still saved.
  link->SetPath(target_.c_str());
  link->SetWorkingDirectory(workingDir_.c_str());
  link->SetArguments(arguments_.c_str());
  link->SetDescription(description_.c_str());
  link->SetShowCmd(showCommand_);
  if (hotKeyCode_ > kNoHotKey) link->SetHotkey(static_cast<WORD>(hotKeyCode_ | kCtrlAltModifiers));
  link->SetIconLocation(iconLocation_.c_str(), iconNumber_);

  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) throw EShortcutError();

  // A path that does not fit, terminating zero included, is refused rather than cut.
  wchar_t path[MAX_PATH];
  if (::MultiByteToWideChar(CP_ACP, 0, shortcutFile_.c_str(), -1, path, MAX_PATH) == 0)
    throw EShortcutError();
  if (FAILED(file->Save(path, TRUE))) throw EShortcutError();
}

std::string TShortcutLink::GetSpecialFolder(int folder) const {
  // The owner window is documented as reserved, so none is passed and any owner will do.
  UniqueItemIdList list;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, folder, list.Put())) || !list) return {};
  char path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListA(list.Get(), path)) return {};
  return path;
}

std::string TShortcutLink::GetProgramsFolder() const { return GetSpecialFolder(CSIDL_PROGRAMS); }

}  // namespace kavrix
