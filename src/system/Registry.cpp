#include "system/Registry.h"

#include <algorithm>


namespace kavrix::registry {

bool QueryValue(HKEY key, const std::string& name, ValueData& value) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  value.type = type;
  value.bytes.assign(size, 0);
  if (size == 0) return true;
  // The data query reports the size it really wrote, which for string data read through
  // the ANSI interface may be less than the size announced.
  if (::RegQueryValueExA(key, name.c_str(), nullptr, &type, value.bytes.data(), &size) != ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to get data for '%s'", name));
  value.type = type;
  value.bytes.resize(std::min<size_t>(size, value.bytes.size()));
  return true;
}

std::string StringData(const ValueData& value, const std::string& name) {
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ)
    throw ERegistryException(Format("Invalid data type for '%s'", name));
  const auto end = std::find(value.bytes.begin(), value.bytes.end(), uint8_t{0});
  return std::string(value.bytes.begin(), end);
}

std::string ReadString(HKEY key, const std::string& name) {
  ValueData value;
  if (!QueryValue(key, name, value) || value.bytes.empty()) return {};
  return StringData(value, name);
}

LSTATUS OpenKey(HKEY root, const std::string& path, REGSAM access, UniqueRegKey& key) {
  return ::RegOpenKeyExA(root, path.c_str(), 0, access, key.Put());
}

LSTATUS CreateKey(HKEY root, const std::string& path, UniqueRegKey& key) {
  if (path.empty()) return OpenKey(root, path, KEY_ALL_ACCESS, key);
  return ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                           key.Put(), nullptr);
}

void WriteValue(HKEY key, const std::string& name, DWORD type, const void* data, size_t size) {
  if (key == nullptr || ::RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                                         static_cast<DWORD>(size)) != ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to set data for '%s'", name));
}

std::string WithoutLeadingBackslash(const std::string& path) {
  return !path.empty() && path.front() == '\\' ? path.substr(1) : path;
}

// Deletes `name` below `parent` after all of its sub-keys, deepest first, as a key with
// sub-keys cannot be deleted on every system.
bool DeleteTree(HKEY parent, const std::string& name) {
  {
    UniqueRegKey key;
    if (OpenKey(parent, name, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) return false;
    // Names of at most 255 characters; each deletion renumbers the rest, so the first is
    // taken each time. A sub-key that resists deletion ends the walk.
    char subKey[256];
    for (;;) {
      DWORD length = sizeof subKey;
      if (::RegEnumKeyExA(key.Get(), 0, subKey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        break;
      if (!DeleteTree(key.Get(), std::string(subKey, length))) return false;
    }
  }
  return ::RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

}  // namespace kavrix::registry
