#pragma once
// TRegistryEdit: reads and writes the registry without its caller handling keys. It is
// configured with a root (RootKey) and a key path under that root (RegKey); every
// operation opens what it needs, acts and closes everything before it returns, so the
// caller may change RootKey or RegKey between two calls.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/Component.h"
#include "system/RegistryException.h"

namespace kavrix {

// rkAllUsers selects HKEY_USERS, not a machine-wide key.
enum TRootKey : uint8_t {
  rkAllUsers,
  rkCurrentUser,
  rkLocalMachine,
  rkClassesRoot,
  rkCurrentConfig,
  rkDynData
};

class TRegistryEdit : public TComponent {
 public:
  explicit TRegistryEdit(TComponent* owner = nullptr);

  // Takes effect at the next operation. A new component works under rkAllUsers.
  TRootKey RootKey() const noexcept { return rootKey_; }
  void SetRootKey(TRootKey value) noexcept { rootKey_ = value; }
  // Levels separated by backslashes; a leading backslash has no effect.
  const std::string& RegKey() const noexcept { return regKey_; }
  void SetRegKey(std::string value) { regKey_ = std::move(value); }

  // Stores `dataValue` as the REG_SZ value `dataName` (empty: the key's default value) of
  // RegKey, creating RegKey and every missing level of it first. Raises
  // ERegistryException "Failed to set data for '<dataName>'" when the key cannot be
  // created or opened or the write is refused.
  void WriteString(const std::string& dataName, const std::string& dataValue);

  // Makes sure that `key` (one or more levels) exists below RegKey, or below the root
  // when it begins with a backslash; a key that exists is left unchanged. RegKey itself
  // must exist: when it cannot be opened, shows the error box
  //   Key "<key>" not created: Parent Key "<RegKey>" does not exist!
  // and returns normally, having created nothing. Raises ERegistryException
  // "Failed to create key <key>" when the creation fails.
  void OpenKey(const std::string& key);

  // Like WriteString, for a REG_DWORD; a Boolean is stored as 1 or 0, a date-time (days
  // since 30 December 1899, fraction of the day after the point) as the eight bytes of
  // the double in REG_BINARY.
  void WriteInteger(const std::string& dataName, int32_t dataValue);
  void WriteBoolean(const std::string& dataName, bool dataValue);
  void WriteDateTime(const std::string& dataName, double dataValue);

  // Each returns false, leaving `dataValue` unchanged, when RegKey or the value does not
  // exist. Raises ERegistryException "Invalid data type for '<dataName>'" when the value
  // is not of the type written by the matching Write (a string may be REG_SZ or
  // REG_EXPAND_SZ and is returned unexpanded, up to its first zero character), and
  // "Failed to get data for '<dataName>'" when its data cannot be read.
  bool ReadString(const std::string& dataName, std::string& dataValue) const;
  bool ReadInteger(const std::string& dataName, int32_t& dataValue) const;
  bool ReadBoolean(const std::string& dataName, bool& dataValue) const;
  bool ReadDateTime(const std::string& dataName, double& dataValue) const;

  // Deletes `key` (below RegKey, or below the root with a leading backslash) with all its
  // sub-keys and values. True when the key is gone; false when it did not exist, could
  // not be deleted entirely, or names no key at all (an empty name never deletes RegKey
  // or the root).
  bool DeleteKey(const std::string& key);
  // Deletes the value `dataName` of RegKey; true when it existed and is gone.
  bool DeleteDataValue(const std::string& dataName);

  // `key` is addressed as for DeleteKey; an empty one means RegKey itself.
  bool KeyExists(const std::string& key) const;
  bool HasSubKeys(const std::string& key) const;
  bool DataValueExists(const std::string& dataName) const;
  // Replaces `keys` with the names of RegKey's sub-keys, in the registry's order; empty
  // when RegKey does not exist.
  void GetKeyNames(std::vector<std::string>& keys) const;

 private:
  TRootKey rootKey_ = rkAllUsers;
  std::string regKey_;
};

}  // namespace kavrix
