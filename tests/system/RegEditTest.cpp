#include <gtest/gtest.h>

#include <algorithm>

#include "SystemTestSupport.h"
#include "system/RegistryException.h"
#include "system/regedit.h"

#include <sddl.h>  // after <windows.h>, which it needs

namespace kavrix {
namespace {

using testing::QueryKeyFromOutside;

class RegistryEditTest : public ::testing::Test {
 protected:
  RegistryEditTest() {
    edit_.SetRootKey(rkCurrentUser);
    edit_.SetRegKey(key_.Path());
  }

  bool Exists(const std::string& path) const {
    UniqueRegKey key;
    return ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
  }

  template <typename Action>
  void ExpectRegistryError(Action action, const std::string& message) {
    try {
      action();
      ADD_FAILURE() << "no exception; expected " << message;
    } catch (const ERegistryException& error) {
      EXPECT_EQ(error.Message(), message);
    }
  }

  testing::TestRegistryKey key_{"RegEdit"};
  testing::ErrorBoxCapture errorBoxes_;
  TRegistryEdit edit_;
};

TEST_F(RegistryEditTest, WriteStringCreatesEveryMissingLevelAndIsSeenOutside) {
  edit_.SetRegKey(key_.Path() + "\\Uninstall\\Quorvel 2.0\\deep");
  edit_.WriteString("DisplayName", "first");
  edit_.WriteString("DisplayName", "Quorvel 2.0");
  edit_.WriteString("", "default text");
  edit_.SetRegKey("\\" + key_.Path() + "\\Uninstall\\Quorvel 2.0\\deep");  // leading backslash: same key
  edit_.WriteString("Spaced", "C:\\Program Files\\Quorvel 2.0");
  const auto values = QueryKeyFromOutside(key_.FullName() + "\\Uninstall\\Quorvel 2.0\\deep");
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values.at("displayname").type, "REG_SZ");
  EXPECT_EQ(values.at("displayname").data, "Quorvel 2.0");
  EXPECT_EQ(values.at("").data, "default text");
  EXPECT_EQ(values.at("spaced").data, "C:\\Program Files\\Quorvel 2.0");
  EXPECT_TRUE(errorBoxes_.boxes.empty());
}

TEST_F(RegistryEditTest, WriteStringFailureNamesTheValue) {
  // A key name of more than 255 characters cannot be created.
  edit_.SetRegKey(key_.Path() + "\\" + std::string(300, 'k'));
  ExpectRegistryError([&] { edit_.WriteString("InstallDir", "x"); }, "Failed to set data for 'InstallDir'");
  ExpectRegistryError([&] { edit_.WriteInteger("Count", 1); }, "Failed to set data for 'Count'");
}

TEST_F(RegistryEditTest, OpenKeyCreatesEveryLevelOfKeyAndLeavesExistingKeysAlone) {
  edit_.OpenKey("shell\\Edit with Quorvel 2.0\\command");
  EXPECT_TRUE(Exists(key_.Path() + "\\shell\\Edit with Quorvel 2.0\\command"));
  edit_.SetRegKey(key_.Path() + "\\shell");
  edit_.WriteString("kept", "value");
  edit_.SetRegKey(key_.Path());
  edit_.OpenKey("shell");
  std::string kept;
  edit_.SetRegKey(key_.Path() + "\\shell");
  EXPECT_TRUE(edit_.ReadString("kept", kept));
  EXPECT_EQ(kept, "value");
  EXPECT_TRUE(errorBoxes_.boxes.empty());
}

TEST_F(RegistryEditTest, OpenKeyUnderAMissingRegKeyShowsTheBoxAndCreatesNothing) {
  edit_.SetRegKey(key_.Path() + "\\missing");
  edit_.OpenKey("verb\\command");
  ASSERT_EQ(errorBoxes_.boxes.size(), 1u);
  EXPECT_EQ(errorBoxes_.boxes[0].text,
            "Key \"verb\\command\" not created: Parent Key \"" + key_.Path() + "\\missing\" does not exist!");
  EXPECT_EQ(errorBoxes_.boxes[0].caption, "Error");
  EXPECT_FALSE(Exists(key_.Path() + "\\missing"));
  edit_.SetRegKey(key_.Path());
  edit_.OpenKey("verb\\command");
  EXPECT_EQ(errorBoxes_.boxes.size(), 1u);
  EXPECT_TRUE(Exists(key_.Path() + "\\verb\\command"));
}

TEST_F(RegistryEditTest, OpenKeyWithALeadingBackslashStartsAtTheRoot) {
  edit_.OpenKey("\\" + key_.Path() + "\\absolute\\two");
  EXPECT_TRUE(Exists(key_.Path() + "\\absolute\\two"));
  EXPECT_FALSE(Exists(key_.Path() + "\\" + key_.Path()));
}

TEST_F(RegistryEditTest, OpenKeyFailureNamesTheKey) {
  const std::string key = "ok\\" + std::string(300, 'k');
  ExpectRegistryError([&] { edit_.OpenKey(key); }, "Failed to create key " + key);
}

TEST_F(RegistryEditTest, AllUsersIsTheUsersRootAndTheDefaultOfANewComponent) {
  // The current user's hive below HKEY_USERS is HKEY_CURRENT_USER.
  UniqueHandle token;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put()));
  uint8_t buffer[256];
  DWORD size = 0;
  ASSERT_TRUE(::GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size));
  char* sid = nullptr;
  ASSERT_TRUE(::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid));
  const std::string userHive = sid;
  ::LocalFree(sid);

  TRegistryEdit fresh;
  EXPECT_EQ(fresh.RootKey(), rkAllUsers);
  fresh.SetRegKey(userHive + "\\" + key_.Path() + "\\users");
  fresh.WriteString("Where", "HKEY_USERS");
  edit_.SetRegKey(key_.Path() + "\\users");
  std::string where;
  EXPECT_TRUE(edit_.ReadString("Where", where));
  EXPECT_EQ(where, "HKEY_USERS");
}

TEST_F(RegistryEditTest, TypedValuesRoundTripAndMismatchesNameTheValue) {
  edit_.WriteInteger("Integer", -5);
  edit_.WriteBoolean("Boolean", true);
  edit_.WriteDateTime("Installed", 45000.75);
  edit_.WriteString("Text", "text");
  testing::TestRegistryKey::SetRaw(key_.Handle(), "Expandable", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9));
  int32_t integer = 0;
  bool boolean = false;
  double dateTime = 0;
  std::string text;
  EXPECT_TRUE(edit_.ReadInteger("Integer", integer));
  EXPECT_EQ(integer, -5);
  EXPECT_TRUE(edit_.ReadBoolean("Boolean", boolean));
  EXPECT_TRUE(boolean);
  EXPECT_TRUE(edit_.ReadDateTime("Installed", dateTime));
  EXPECT_EQ(dateTime, 45000.75);
  EXPECT_TRUE(edit_.ReadString("Expandable", text));
  EXPECT_EQ(text, "%TEMP%\\x");
  const auto outside = QueryKeyFromOutside(key_.FullName());
  EXPECT_EQ(outside.at("integer").type, "REG_DWORD");
  EXPECT_EQ(outside.at("installed").type, "REG_BINARY");

  ExpectRegistryError([&] { edit_.ReadInteger("Text", integer); }, "Invalid data type for 'Text'");
  ExpectRegistryError([&] { edit_.ReadString("Integer", text); }, "Invalid data type for 'Integer'");
  ExpectRegistryError([&] { edit_.ReadDateTime("Integer", dateTime); }, "Invalid data type for 'Integer'");
  EXPECT_EQ(integer, -5) << "a failed read changes nothing";

  text = "unchanged";
  EXPECT_FALSE(edit_.ReadString("Missing", text));
  EXPECT_EQ(text, "unchanged");
  edit_.SetRegKey(key_.Path() + "\\missing");
  EXPECT_FALSE(edit_.ReadString("Text", text));
  EXPECT_FALSE(edit_.KeyExists(""));
}

TEST_F(RegistryEditTest, KeysAndValuesCanBeListedTestedAndDeleted) {
  edit_.OpenKey("b\\deep\\deeper");
  edit_.OpenKey("a");
  edit_.WriteString("value", "x");
  std::vector<std::string> names;
  edit_.GetKeyNames(names);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(edit_.KeyExists("b\\deep"));
  EXPECT_TRUE(edit_.KeyExists("\\" + key_.Path() + "\\a"));
  EXPECT_FALSE(edit_.KeyExists("c"));
  EXPECT_TRUE(edit_.HasSubKeys("b"));
  EXPECT_FALSE(edit_.HasSubKeys("a"));
  EXPECT_TRUE(edit_.DataValueExists("value"));
  EXPECT_FALSE(edit_.DataValueExists("other"));

  EXPECT_TRUE(edit_.DeleteKey("b"));
  EXPECT_FALSE(Exists(key_.Path() + "\\b"));
  EXPECT_FALSE(edit_.DeleteKey("b"));
  EXPECT_TRUE(edit_.DeleteDataValue("value"));
  EXPECT_FALSE(edit_.DeleteDataValue("value"));
  // An empty name addresses no sub-key: neither RegKey nor the root is deleted.
  EXPECT_FALSE(edit_.DeleteKey(""));
  EXPECT_FALSE(edit_.DeleteKey("\\"));
  EXPECT_TRUE(Exists(key_.Path() + "\\a"));
  EXPECT_TRUE(edit_.DeleteKey("\\" + key_.Path() + "\\a"));
  EXPECT_FALSE(edit_.HasSubKeys(""));
}

TEST_F(RegistryEditTest, AThousandOperationsLeaveNoHandleOpen) {
  edit_.WriteString("warm", "up");
  const unsigned before = testing::ProcessHandleCount();
  std::string text;
  for (int i = 0; i < 1000; ++i) {
    edit_.SetRegKey(key_.Path() + (i % 2 ? "\\odd" : "\\even"));
    edit_.WriteString("Name", std::to_string(i));
    edit_.OpenKey("sub");
    edit_.ReadString("Name", text);
    edit_.KeyExists("sub");
  }
  edit_.SetRegKey(key_.Path() + "\\missing");
  for (int i = 0; i < 1000; ++i) edit_.OpenKey("x");  // the error-box path
  EXPECT_EQ(testing::ProcessHandleCount(), before);
  EXPECT_EQ(errorBoxes_.boxes.size(), 1000u);
  edit_.SetRegKey(key_.Path() + "\\odd");
  EXPECT_TRUE(edit_.ReadString("Name", text));
  EXPECT_EQ(text, "999") << "the last RegKey got the last value";
}

}  // namespace
}  // namespace kavrix
