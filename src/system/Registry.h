#pragma once
// The registry object shared by the folder-path and registry components: value reading
// with its fixed failure messages, key opening and creation. Every function works on a
// key handle the caller owns and keeps nothing open.

#include <cstdint>
#include <string>
#include <vector>

#include "system/RegistryException.h"
#include "system/Win32Handles.h"

namespace kavrix::registry {

struct ValueData {
  DWORD type = REG_NONE;
  std::vector<uint8_t> bytes;
};

// Reads a value in two steps, its size and then its data. Returns false when the size
// cannot be had (above all, when the value does not exist); a value of size 0 returns
// true with no bytes and no data query. Raises "Failed to get data for '<name>'" when
// the data query fails.
bool QueryValue(HKEY key, const std::string& name, ValueData& value);

// The text of string data (REG_SZ or REG_EXPAND_SZ) up to its first zero byte, or all of
// it when it has none; environment references stay unexpanded. Raises
// "Invalid data type for '<name>'" for any other type.
std::string StringData(const ValueData& value, const std::string& name);

// A string value as the folder-path component reads it: empty when missing or of size 0,
// otherwise StringData of it (with its exceptions).
std::string ReadString(HKEY key, const std::string& name);

// Opens `path` below `root` without creating it; an empty path opens a new handle to the
// root itself. Returns the platform's result code.
LSTATUS OpenKey(HKEY root, const std::string& path, REGSAM access, UniqueRegKey& key);

// Opens `path` below `root`, creating it and every missing level first (non-volatile,
// full access); an empty path opens the root itself. Returns the platform's result code.
LSTATUS CreateKey(HKEY root, const std::string& path, UniqueRegKey& key);

// Stores `size` bytes from `data` as value `name` of type `type`; raises
// "Failed to set data for '<name>'" when no key is open or the platform refuses the write.
void WriteValue(HKEY key, const std::string& name, DWORD type, const void* data, size_t size);

// Deletes `name` below `parent` with every sub-key and value; true when it is gone.
bool DeleteTree(HKEY parent, const std::string& name);

// `path` without its leading backslash, if it has one.
std::string WithoutLeadingBackslash(const std::string& path);

}  // namespace kavrix::registry
