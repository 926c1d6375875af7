#include "system/regedit.h"

#include <cstring>

#include "foundation/ErrorBox.h"
#include "system/Registry.h"


namespace kavrix {
namespace {

HKEY RootHandle(TRootKey rootKey) {
  switch (rootKey) {
    case rkAllUsers:
      return HKEY_USERS;
    case rkCurrentUser:
      return HKEY_CURRENT_USER;
    case rkLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case rkClassesRoot:
      return HKEY_CLASSES_ROOT;
    case rkCurrentConfig:
      return HKEY_CURRENT_CONFIG;
    case rkDynData:
      return HKEY_DYN_DATA;
  }
  return HKEY_USERS;
}

// The path of `key` below the root: below `regKey`, or below the root itself when `key`
// begins with a backslash. Empty when it addresses the root.
std::string KeyPath(const std::string& regKey, const std::string& key) {
  if (!key.empty() && key.front() == '\\') return key.substr(1);
  const std::string parent = registry::WithoutLeadingBackslash(regKey);
  if (parent.empty() || key.empty()) return parent.empty() ? key : parent;
  return parent + '\\' + key;
}

// Reads value `name` of `path` below `root`, asking for read access only so that an
// account without write rights can read. False when the key or the value does not exist.
bool ReadValue(HKEY root, const std::string& path, const std::string& name, registry::ValueData& value) {
  UniqueRegKey key;
  return registry::OpenKey(root, path, KEY_READ, key) == ERROR_SUCCESS &&
         registry::QueryValue(key.Get(), name, value);
}

}  // namespace

TRegistryEdit::TRegistryEdit(TComponent* owner) : TComponent(owner) {}

void TRegistryEdit::WriteString(const std::string& dataName, const std::string& dataValue) {
  UniqueRegKey key;
  registry::CreateKey(RootHandle(rootKey_), registry::WithoutLeadingBackslash(regKey_), key);
  registry::WriteValue(key.Get(), dataName, REG_SZ, dataValue.c_str(), dataValue.size() + 1);
}

void TRegistryEdit::WriteInteger(const std::string& dataName, int32_t dataValue) {
  UniqueRegKey key;
  registry::CreateKey(RootHandle(rootKey_), registry::WithoutLeadingBackslash(regKey_), key);
  const DWORD data = static_cast<DWORD>(dataValue);
  registry::WriteValue(key.Get(), dataName, REG_DWORD, &data, sizeof data);
}

void TRegistryEdit::WriteBoolean(const std::string& dataName, bool dataValue) {
  WriteInteger(dataName, dataValue ? 1 : 0);
}

void TRegistryEdit::WriteDateTime(const std::string& dataName, double dataValue) {
  static_assert(sizeof(double) == 8);
  UniqueRegKey key;
  registry::CreateKey(RootHandle(rootKey_), registry::WithoutLeadingBackslash(regKey_), key);
  registry::WriteValue(key.Get(), dataName, REG_BINARY, &dataValue, sizeof dataValue);
}

void TRegistryEdit::OpenKey(const std::string& key) {
  const HKEY root = RootHandle(rootKey_);
  UniqueRegKey parent;
  if (registry::OpenKey(root, registry::WithoutLeadingBackslash(regKey_), KEY_ALL_ACCESS, parent) !=
      ERROR_SUCCESS) {
    ShowErrorBox("Key \"" + key + "\" not created: Parent Key \"" + regKey_ + "\" does not exist!", "Error");
    return;
  }
  const bool fromRoot = !key.empty() && key.front() == '\\';
  UniqueRegKey created;
  if (registry::CreateKey(fromRoot ? root : parent.Get(), fromRoot ? key.substr(1) : key, created) !=
      ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to create key %s", key));
}

bool TRegistryEdit::ReadString(const std::string& dataName, std::string& dataValue) const {
  registry::ValueData value;
  if (!ReadValue(RootHandle(rootKey_), KeyPath(regKey_, {}), dataName, value)) return false;
  dataValue = registry::StringData(value, dataName);
  return true;
}

bool TRegistryEdit::ReadInteger(const std::string& dataName, int32_t& dataValue) const {
  registry::ValueData value;
  if (!ReadValue(RootHandle(rootKey_), KeyPath(regKey_, {}), dataName, value)) return false;
  if (value.type != REG_DWORD || value.bytes.size() != sizeof(DWORD))
    throw ERegistryException(Format("Invalid data type for '%s'", dataName));
  DWORD data;
  std::memcpy(&data, value.bytes.data(), sizeof data);
  dataValue = static_cast<int32_t>(data);
  return true;
}

bool TRegistryEdit::ReadBoolean(const std::string& dataName, bool& dataValue) const {
  int32_t data;
  if (!ReadInteger(dataName, data)) return false;
  dataValue = data != 0;
  return true;
}

bool TRegistryEdit::ReadDateTime(const std::string& dataName, double& dataValue) const {
  registry::ValueData value;
  if (!ReadValue(RootHandle(rootKey_), KeyPath(regKey_, {}), dataName, value)) return false;
  if (value.type != REG_BINARY || value.bytes.size() != sizeof(double))
    throw ERegistryException(Format("Invalid data type for '%s'", dataName));
  std::memcpy(&dataValue, value.bytes.data(), sizeof dataValue);
  return true;
}

bool TRegistryEdit::DeleteKey(const std::string& key) {
  if (registry::WithoutLeadingBackslash(key).empty()) return false;
  const std::string path = KeyPath(regKey_, key);
  const size_t split = path.find_last_of('\\');
  const std::string parentPath = split == std::string::npos ? std::string() : path.substr(0, split);
  const std::string name = split == std::string::npos ? path : path.substr(split + 1);
  if (name.empty()) return false;
  UniqueRegKey parent;
  if (registry::OpenKey(RootHandle(rootKey_), parentPath, KEY_ALL_ACCESS, parent) != ERROR_SUCCESS)
    return false;
  return registry::DeleteTree(parent.Get(), name);
}

bool TRegistryEdit::DeleteDataValue(const std::string& dataName) {
  UniqueRegKey key;
  return registry::OpenKey(RootHandle(rootKey_), KeyPath(regKey_, {}), KEY_ALL_ACCESS, key) ==
             ERROR_SUCCESS &&
         ::RegDeleteValueA(key.Get(), dataName.c_str()) == ERROR_SUCCESS;
}

bool TRegistryEdit::KeyExists(const std::string& key) const {
  UniqueRegKey opened;
  const LSTATUS result = registry::OpenKey(RootHandle(rootKey_), KeyPath(regKey_, key), KEY_READ, opened);
  // A key the account may not read is there all the same.
  return result == ERROR_SUCCESS || result == ERROR_ACCESS_DENIED;
}

bool TRegistryEdit::HasSubKeys(const std::string& key) const {
  UniqueRegKey opened;
  DWORD subKeys = 0;
  return registry::OpenKey(RootHandle(rootKey_), KeyPath(regKey_, key), KEY_READ, opened) == ERROR_SUCCESS &&
         ::RegQueryInfoKeyA(opened.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subKeys > 0;
}

bool TRegistryEdit::DataValueExists(const std::string& dataName) const {
  UniqueRegKey key;
  return registry::OpenKey(RootHandle(rootKey_), KeyPath(regKey_, {}), KEY_READ, key) == ERROR_SUCCESS &&
         ::RegQueryValueExA(key.Get(), dataName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void TRegistryEdit::GetKeyNames(std::vector<std::string>& keys) const {
  keys.clear();
  UniqueRegKey key;
  if (registry::OpenKey(RootHandle(rootKey_), KeyPath(regKey_, {}), KEY_READ, key) != ERROR_SUCCESS) return;
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    const LSTATUS result =
        ::RegEnumKeyExA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) break;
    keys.emplace_back(name, length);
  }
}

}  // namespace kavrix
