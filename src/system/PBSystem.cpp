#include "system/PBSystem.h"

#include "system/Registry.h"

namespace kavrix {
namespace {

constexpr char kUserShellFolderKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kMachineVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// The text a directory call wrote into a MAX_PATH buffer. A result of 0 is a failure and
// one of MAX_PATH or more is the size the call would have needed; in both cases the
// buffer holds nothing reliable, so the folder counts as not given.
template <typename Call>
std::string DirectoryText(Call call) {
  char buffer[MAX_PATH] = {};
  const DWORD length = call(buffer);
  return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

}  // namespace

TPBSystemPath::TPBSystemPath(TComponent* owner) : TComponent(owner) {
  values_[kWindows] = DirectoryText([](LPSTR buffer) { return ::GetWindowsDirectoryA(buffer, MAX_PATH); });
  values_[kSystem] = DirectoryText([](LPSTR buffer) { return ::GetSystemDirectoryA(buffer, MAX_PATH); });
  values_[kTemp] = DirectoryText([](LPSTR buffer) { return ::GetTempPathA(MAX_PATH, buffer); });

  struct Source {
    Property property;
    const char* valueName;
  };
  static constexpr Source kUserValues[] = {
      {kAppData, "AppData"},
      {kCache, "Cache"},
      {kCookies, "Cookies"},
      {kDeskTop, "DeskTop"},
      {kFavorites, "Favorites"},
      {kFonts, "Fonts"},
      {kHistory, "History"},
      {kNetHood, "NetHood"},
      {kPersonal, "Personal"},
      {kPrintHood, "PrintHood"},
      {kPrograms, "Programs"},
      {kRecent, "Recent"},
      {kSendTo, "SendTo"},
      {kStartMenu, "Start Menu"},
      {kStartUp, "StartUp"},
      {kTemplates, "Templates"},
      {kMyPictures, "My Pictures"},
      {kLocalSettings, "Local Settings"},
      {kLocalAppData, "Local AppData"},
      {kContent, "Content"},
  };
  static constexpr Source kMachineValues[] = {
      {kCommonFiles, "CommonFilesDir"},  {kConfig, "ConfigPath"},
      {kDevice, "DevicePath"},           {kMedia, "MediaPath"},
      {kOtherDevice, "OtherDevicePath"}, {kProgramFiles, "ProgramFilesPath"},
      {kSystemRoot, "SystemRoot"},       {kWallPaper, "WallPaperDir"},
  };

  // Both keys are opened for full access, as the installer runs with administrative
  // rights; an account that may not have full access gets no values from that key.
  // A 32-bit process on 64-bit Windows reads the 32-bit view of the machine key, whose
  // program-files folder is the one a 32-bit product belongs in.
  const auto readAll = [this](HKEY root, const char* path, const auto& sources) {
    UniqueRegKey key;
    if (registry::OpenKey(root, path, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) return;
    for (const Source& source : sources)
      values_[source.property] = registry::ReadString(key.Get(), source.valueName);
  };
  readAll(HKEY_CURRENT_USER, kUserShellFolderKey, kUserValues);
  readAll(HKEY_LOCAL_MACHINE, kMachineVersionKey, kMachineValues);

  values_[kComponentVersion] = "3.00.00.00";
}

}  // namespace kavrix
