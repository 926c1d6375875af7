#include "installer/PayloadCheck.h"

#include <windows.h>

#include <algorithm>

#include "archive/PayloadForm.h"

namespace kavrix {

std::optional<Sha256Digest> StoredPayloadDigest(HINSTANCE__* module) {
  HRSRC resource = ::FindResourceA(module, kPayloadDigestResource, MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
  const auto* bytes = loaded ? static_cast<const uint8_t*>(::LockResource(loaded)) : nullptr;
  Sha256Digest digest{};
  if (bytes == nullptr || ::SizeofResource(module, resource) != digest.size()) return std::nullopt;
  std::copy_n(bytes, digest.size(), digest.begin());
  return digest;
}

bool HasDigest(std::span<const uint8_t> bytes, const Sha256Digest& expected) {
  return Sha256::Of(bytes) == expected;
}

}  // namespace kavrix
