#pragma once
// A registry key as it was at one moment, to be put back later: its values and sub-keys
// at every level or, when it did not exist, the first level of its path that was
// missing.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "system/Registry.h"

namespace kavrix {

class TRegistrySnapshot {
 public:
  // Reads key `path` below `root` now.
  TRegistrySnapshot(HKEY root, std::string path);

  // Puts the key back as it was read: what is there now is deleted and every value and
  // sub-key written again, or, for a key that did not exist, the first missing level is
  // deleted with all below it. Best effort: false when a step was refused.
  bool Restore() const;
  // The key's path below its root.
  const std::string& Path() const noexcept { return path_; }

 private:
  struct Key {
    std::vector<std::pair<std::string, registry::ValueData>> values;
    std::vector<std::pair<std::string, Key>> subKeys;
  };
  static Key Read(HKEY key);
  static bool Write(HKEY key, const Key& contents);

  HKEY root_;
  std::string path_;
  std::optional<Key> contents_;  // nothing: the key did not exist
  std::string firstMissingLevel_;
};

}  // namespace kavrix
