#include <gtest/gtest.h>

#include <chrono>
#include <utility>
#include <vector>

#include "SystemTestSupport.h"
#include "system/PBSystem.h"
#include "system/RegistryException.h"

namespace kavrix {
namespace {

using testing::TestRegistryKey;
using Getter = const std::string& (TPBSystemPath::*)() const noexcept;

struct RegistryFed {
  Getter property;
  const char* valueName;
};

const std::vector<RegistryFed> kUserFed = {
    {&TPBSystemPath::AppData, "AppData"},
    {&TPBSystemPath::Cache, "Cache"},
    {&TPBSystemPath::Cookies, "Cookies"},
    {&TPBSystemPath::DeskTop, "DeskTop"},
    {&TPBSystemPath::Favorites, "Favorites"},
    {&TPBSystemPath::Fonts, "Fonts"},
    {&TPBSystemPath::History, "History"},
    {&TPBSystemPath::NetHood, "NetHood"},
    {&TPBSystemPath::Personal, "Personal"},
    {&TPBSystemPath::PrintHood, "PrintHood"},
    {&TPBSystemPath::Programs, "Programs"},
    {&TPBSystemPath::Recent, "Recent"},
    {&TPBSystemPath::SendTo, "SendTo"},
    {&TPBSystemPath::StartMenu, "Start Menu"},
    {&TPBSystemPath::StartUp, "StartUp"},
    {&TPBSystemPath::Templates, "Templates"},
    {&TPBSystemPath::MyPictures, "My Pictures"},
    {&TPBSystemPath::LocalSettings, "Local Settings"},
    {&TPBSystemPath::LocalAppData, "Local AppData"},
    {&TPBSystemPath::Content, "Content"},
};
const std::vector<RegistryFed> kMachineFed = {
    {&TPBSystemPath::CommonFiles, "CommonFilesDir"},  {&TPBSystemPath::Config, "ConfigPath"},
    {&TPBSystemPath::Device, "DevicePath"},           {&TPBSystemPath::Media, "MediaPath"},
    {&TPBSystemPath::OtherDevice, "OtherDevicePath"}, {&TPBSystemPath::ProgramFiles, "ProgramFilesPath"},
    {&TPBSystemPath::SystemRoot, "SystemRoot"},       {&TPBSystemPath::WallPaper, "WallPaperDir"},
};

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(PBSystemPath, RegistryFoldersAreThoseTheRegToolSees) {
  const TPBSystemPath paths;
  const auto user = testing::QueryKeyFromOutside(std::string("HKCU\\") + kShellFolders);
  const auto machine = testing::QueryKeyFromOutside(std::string("HKLM\\") + kVersionKey);
  ASSERT_FALSE(user.empty());
  ASSERT_FALSE(machine.empty());
  for (const auto& [fed, outside] : {std::pair{&kUserFed, &user}, std::pair{&kMachineFed, &machine}}) {
    for (const RegistryFed& source : *fed) {
      const auto found = outside->find(Lower(source.valueName));
      EXPECT_EQ((paths.*source.property)(), found == outside->end() ? "" : found->second.data)
          << source.valueName;
    }
  }
  // Stored as an expandable string on NT-family systems, and returned as stored.
  const auto programFiles = machine.find("programfilespath");
  if (programFiles != machine.end() && programFiles->second.type == "REG_EXPAND_SZ") {
    EXPECT_NE(paths.ProgramFiles().find('%'), std::string::npos);
  }
  EXPECT_EQ(paths.ComponentVersion(), "3.00.00.00");
}

TEST(PBSystemPath, PlatformFoldersKeepThePlatformsForm) {
  const TPBSystemPath paths;
  ASSERT_GE(paths.Windows().size(), 3u);
  EXPECT_TRUE(paths.Windows().back() != '\\' || paths.Windows().size() == 3) << paths.Windows();
  EXPECT_EQ(paths.System().rfind(paths.Windows(), 0), 0u) << paths.System();
  EXPECT_NE(paths.System().back(), '\\');
  ASSERT_FALSE(paths.Temp().empty());
  EXPECT_EQ(paths.Temp().back(), '\\');
  // The installer names its temporary archive by appending a bare file name.
  const std::string archive = paths.Temp() + "kavrix-setup-check.qv2";
  testing::WriteTextFile(archive, "x");
  EXPECT_TRUE(testing::FileExists(archive));
  ::DeleteFileA(archive.c_str());
}

// Runs `test` while HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are redirected to scratch
// keys "User" and "Machine" of the test key.
class PBSystemPathRedirected : public ::testing::Test {
 protected:
  TestRegistryKey key_{"PBSystem"};
  UniqueRegKey user_ = key_.Create("User");
  UniqueRegKey machine_ = key_.Create("Machine");
};

TEST_F(PBSystemPathRedirected, MissingKeysLeaveTheirPropertiesEmptyAndNothingElse) {
  const TPBSystemPath real;
  UniqueRegKey version = key_.Create(std::string("Machine\\") + kVersionKey);
  TestRegistryKey::SetRaw(version.Get(), "CommonFilesDir", REG_SZ, std::string("D:\\Common", 10));
  {
    testing::PredefinedKeyOverride userOverride(HKEY_CURRENT_USER, user_.Get());
    testing::PredefinedKeyOverride machineOverride(HKEY_LOCAL_MACHINE, machine_.Get());
    const TPBSystemPath paths;
    for (const RegistryFed& source : kUserFed) EXPECT_EQ((paths.*source.property)(), "") << source.valueName;
    EXPECT_EQ(paths.CommonFiles(), "D:\\Common");
    EXPECT_EQ(paths.ProgramFiles(), "");
    EXPECT_EQ(paths.Temp(), real.Temp());
    EXPECT_EQ(paths.Windows(), real.Windows());
  }
  {
    testing::PredefinedKeyOverride machineOverride(HKEY_LOCAL_MACHINE, machine_.Get());
    // The machine version key goes; the user key is the real one again.
    version.Reset();
    ASSERT_EQ(::RegDeleteKeyA(machine_.Get(), kVersionKey), ERROR_SUCCESS);
    const TPBSystemPath paths;
    EXPECT_EQ(paths.Programs(), real.Programs());
    for (const RegistryFed& source : kMachineFed)
      EXPECT_EQ((paths.*source.property)(), "") << source.valueName;
  }
}

TEST_F(PBSystemPathRedirected, ValuesAreTakenAsStoredUpToTheirFirstZero) {
  UniqueRegKey folders = key_.Create(std::string("User\\") + kShellFolders);
  UniqueRegKey version = key_.Create(std::string("Machine\\") + kVersionKey);
  TestRegistryKey::SetRaw(folders.Get(), "AppData", REG_EXPAND_SZ, std::string("%USERPROFILE%\\Data\0", 20));
  TestRegistryKey::SetRaw(folders.Get(), "Cache", REG_SZ, std::string("first\0second\0\0", 14));
  TestRegistryKey::SetRaw(folders.Get(), "Cookies", REG_SZ, std::string());
  TestRegistryKey::SetRaw(folders.Get(), "DeskTop", REG_SZ, std::string("unterminated"));
  TestRegistryKey::SetRaw(folders.Get(), "Fonts", REG_BINARY, std::string());  // size 0: no type check
  TestRegistryKey::SetRaw(folders.Get(), "Content", REG_SZ, std::string("C:\\\0", 4));
  TestRegistryKey::SetRaw(version.Get(), "ProgramFilesPath", REG_EXPAND_SZ,
                          std::string("%ProgramFiles%\0", 15));
  testing::PredefinedKeyOverride userOverride(HKEY_CURRENT_USER, user_.Get());
  testing::PredefinedKeyOverride machineOverride(HKEY_LOCAL_MACHINE, machine_.Get());
  const TPBSystemPath paths;
  EXPECT_EQ(paths.AppData(), "%USERPROFILE%\\Data");
  EXPECT_EQ(paths.Cache(), "first");
  EXPECT_EQ(paths.Cookies(), "");
  EXPECT_EQ(paths.DeskTop(), "unterminated");
  EXPECT_EQ(paths.Fonts(), "");
  EXPECT_EQ(paths.Content(), "C:\\");
  EXPECT_EQ(paths.ProgramFiles(), "%ProgramFiles%");
  EXPECT_EQ(paths.Personal(), "");
}

TEST_F(PBSystemPathRedirected, NonStringValueFailsConstructionNamingTheValue) {
  UniqueRegKey folders = key_.Create(std::string("User\\") + kShellFolders);
  UniqueRegKey version = key_.Create(std::string("Machine\\") + kVersionKey);
  const auto expectFailure = [&](const char* message) {
    testing::PredefinedKeyOverride userOverride(HKEY_CURRENT_USER, user_.Get());
    testing::PredefinedKeyOverride machineOverride(HKEY_LOCAL_MACHINE, machine_.Get());
    try {
      TPBSystemPath paths;
      ADD_FAILURE() << "constructed without " << message;
    } catch (const ERegistryException& error) {
      EXPECT_EQ(error.Message(), message);
    }
  };
  TestRegistryKey::SetRaw(folders.Get(), "Personal", REG_DWORD, std::string("\x07\0\0\0", 4));
  expectFailure("Invalid data type for 'Personal'");
  ::RegDeleteValueA(folders.Get(), "Personal");
  TestRegistryKey::SetRaw(folders.Get(), "Templates", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
  expectFailure("Invalid data type for 'Templates'");
  ::RegDeleteValueA(folders.Get(), "Templates");
  TestRegistryKey::SetRaw(version.Get(), "MediaPath", REG_BINARY, std::string("\x01", 1));
  expectFailure("Invalid data type for 'MediaPath'");
}

TEST(PBSystemPath, AThousandConstructionsLeaveNoHandleOpen) {
  const unsigned before = testing::ProcessHandleCount();
  for (int i = 0; i < 1000; ++i) TPBSystemPath paths;
  EXPECT_EQ(testing::ProcessHandleCount(), before);
}

}  // namespace
}  // namespace kavrix
