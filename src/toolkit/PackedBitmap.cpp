#include "toolkit/PackedBitmap.h"

#include <windows.h>

#include <cstring>
#include <span>
#include <vector>

#include "archive/LzhMemory.h"
#include "toolkit/layout/BitmapFile.h"

namespace kavrix {

namespace {

std::span<const uint8_t> ResourceBytes(HMODULE module, const std::string& name) noexcept {
  HRSRC found = ::FindResourceA(module, name.c_str(), kPackedBitmapType);
  // Resources are mapped with the module and need no unlocking or freeing.
  const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes) return {};
  return {static_cast<const uint8_t*>(bytes), ::SizeofResource(module, found)};
}

}  // namespace

HBITMAP LoadPackedBitmap(HINSTANCE module, const std::string& name) {
  const std::span<const uint8_t> packed = ResourceBytes(module, name);
  if (packed.empty()) return nullptr;
  const std::vector<uint8_t> file = lzh::LzhDecodeBuffer(packed);
  const auto parts = SplitBitmapFile(file);
  if (!parts) return nullptr;

  // The header follows the 14-byte file header; the system reads it as a structure, so
  // it gets an aligned copy.
  std::vector<uint32_t> info((parts->info.size() + 3) / 4);
  std::memcpy(info.data(), parts->info.data(), parts->info.size());
  void* bits = nullptr;
  HBITMAP bitmap =
      ::CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap) std::memcpy(bits, parts->bits.data(), parts->bits.size());
  return bitmap;
}

}  // namespace kavrix
