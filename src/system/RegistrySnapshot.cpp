#include "system/RegistrySnapshot.h"

namespace kavrix {
namespace {

// Names of keys are at most 255 characters, names of values at most 16,383.
constexpr DWORD kMaxKeyName = 256;
constexpr DWORD kMaxValueName = 16384;

// `path` without its last level, and the level.
std::pair<std::string, std::string> SplitLast(const std::string& path) {
  const size_t split = path.find_last_of('\\');
  if (split == std::string::npos) return {std::string(), path};
  return {path.substr(0, split), path.substr(split + 1)};
}

}  // namespace

TRegistrySnapshot::TRegistrySnapshot(HKEY root, std::string path)
    : root_(root), path_(registry::WithoutLeadingBackslash(path)) {
  UniqueRegKey key;
  if (registry::OpenKey(root_, path_, KEY_READ, key) == ERROR_SUCCESS) {
    contents_ = Read(key.Get());
    return;
  }
  for (size_t end = path_.find('\\');; end = path_.find('\\', end + 1)) {
    firstMissingLevel_ = path_.substr(0, end);
    UniqueRegKey level;
    if (registry::OpenKey(root_, firstMissingLevel_, KEY_READ, level) != ERROR_SUCCESS || end == std::string::npos) {
      break;
    }
  }
}

TRegistrySnapshot::Key TRegistrySnapshot::Read(HKEY key) {
  Key contents;
  std::string name(kMaxValueName, '\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = kMaxValueName;
    if (::RegEnumValueA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    registry::ValueData value;
    const std::string valueName(name.data(), length);
    if (registry::QueryValue(key, valueName, value)) contents.values.emplace_back(valueName, std::move(value));
  }
  char subKey[kMaxKeyName];
  for (DWORD index = 0;; ++index) {
    DWORD length = kMaxKeyName;
    if (::RegEnumKeyExA(key, index, subKey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    UniqueRegKey opened;
    const std::string subKeyName(subKey, length);
    if (registry::OpenKey(key, subKeyName, KEY_READ, opened) == ERROR_SUCCESS) {
      contents.subKeys.emplace_back(subKeyName, Read(opened.Get()));
    }
  }
  return contents;
}

bool TRegistrySnapshot::Write(HKEY key, const Key& contents) {
  bool whole = true;
  for (const auto& [name, value] : contents.values) {
    whole &= ::RegSetValueExA(key, name.c_str(), 0, value.type, value.bytes.data(),
                              static_cast<DWORD>(value.bytes.size())) == ERROR_SUCCESS;
  }
  for (const auto& [name, subKey] : contents.subKeys) {
    UniqueRegKey created;
    whole &= registry::CreateKey(key, name, created) == ERROR_SUCCESS && Write(created.Get(), subKey);
  }
  return whole;
}

bool TRegistrySnapshot::Restore() const {
  const auto [parentPath, name] = SplitLast(contents_ ? path_ : firstMissingLevel_);
  UniqueRegKey parent;
  if (registry::OpenKey(root_, parentPath, KEY_ALL_ACCESS, parent) != ERROR_SUCCESS) return !contents_;
  registry::DeleteTree(parent.Get(), name);
  if (!contents_) return true;
  UniqueRegKey key;
  return registry::CreateKey(parent.Get(), name, key) == ERROR_SUCCESS && Write(key.Get(), *contents_);
}

}  // namespace kavrix
