#pragma once
// TPBSystemPath: the well-known folders of this Windows installation and of the current
// user, looked up once when the component is created and offered read-only.

#include <array>
#include <string>

#include "foundation/Component.h"

namespace kavrix {

class TPBSystemPath : public TComponent {
 public:
  // Fills every property; a folder whose source gives nothing stays empty. Raises
  // ERegistryException (system/RegistryException.h) "Invalid data type for '<value>'"
  // when a registry value it reads is not a string, and "Failed to get data for
  // '<value>'" when its data cannot be read.
  explicit TPBSystemPath(TComponent* owner = nullptr);

  // Each is the text exactly as its source gave it: nothing appended, trimmed or expanded.
  // There are no setters: the values only ever come from the constructor.
  const std::string& AppData() const noexcept { return values_[kAppData]; }
  const std::string& Cache() const noexcept { return values_[kCache]; }
  const std::string& Cookies() const noexcept { return values_[kCookies]; }
  const std::string& DeskTop() const noexcept { return values_[kDeskTop]; }
  const std::string& Favorites() const noexcept { return values_[kFavorites]; }
  const std::string& Fonts() const noexcept { return values_[kFonts]; }
  const std::string& History() const noexcept { return values_[kHistory]; }
  const std::string& NetHood() const noexcept { return values_[kNetHood]; }
  const std::string& Personal() const noexcept { return values_[kPersonal]; }
  const std::string& PrintHood() const noexcept { return values_[kPrintHood]; }
  const std::string& Programs() const noexcept { return values_[kPrograms]; }
  const std::string& Recent() const noexcept { return values_[kRecent]; }
  const std::string& SendTo() const noexcept { return values_[kSendTo]; }
  const std::string& StartMenu() const noexcept { return values_[kStartMenu]; }
  const std::string& StartUp() const noexcept { return values_[kStartUp]; }
  const std::string& Templates() const noexcept { return values_[kTemplates]; }
  // No trailing backslash unless Windows lives in a drive root.
  const std::string& Windows() const noexcept { return values_[kWindows]; }
  const std::string& System() const noexcept { return values_[kSystem]; }
  // Always ends with a backslash, so a bare file name can be appended.
  const std::string& Temp() const noexcept { return values_[kTemp]; }
  const std::string& CommonFiles() const noexcept { return values_[kCommonFiles]; }
  const std::string& Config() const noexcept { return values_[kConfig]; }
  const std::string& Device() const noexcept { return values_[kDevice]; }
  const std::string& Media() const noexcept { return values_[kMedia]; }
  const std::string& OtherDevice() const noexcept { return values_[kOtherDevice]; }
  // On NT-family systems the registry holds the unexpanded "%ProgramFiles%" here.
  const std::string& ProgramFiles() const noexcept { return values_[kProgramFiles]; }
  const std::string& SystemRoot() const noexcept { return values_[kSystemRoot]; }
  const std::string& WallPaper() const noexcept { return values_[kWallPaper]; }
  const std::string& ComponentVersion() const noexcept { return values_[kComponentVersion]; }
  const std::string& MyPictures() const noexcept { return values_[kMyPictures]; }
  const std::string& LocalSettings() const noexcept { return values_[kLocalSettings]; }
  const std::string& LocalAppData() const noexcept { return values_[kLocalAppData]; }
  const std::string& Content() const noexcept { return values_[kContent]; }

 private:
  enum Property {
    kAppData,
    kCache,
    kCookies,
    kDeskTop,
    kFavorites,
    kFonts,
    kHistory,
    kNetHood,
    kPersonal,
    kPrintHood,
    kPrograms,
    kRecent,
    kSendTo,
    kStartMenu,
    kStartUp,
    kTemplates,
    kWindows,
    kSystem,
    kTemp,
    kCommonFiles,
    kConfig,
    kDevice,
    kMedia,
    kOtherDevice,
    kProgramFiles,
    kSystemRoot,
    kWallPaper,
    kComponentVersion,
    kMyPictures,
    kLocalSettings,
    kLocalAppData,
    kContent,
    kPropertyCount
  };

  std::array<std::string, kPropertyCount> values_;
};

}  // namespace kavrix
