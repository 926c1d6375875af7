#include "system/Sha256.h"

#include <algorithm>
#include <limits>

namespace kavrix {

Sha256::Sha256() {
  // A verification context needs no key container: nothing is stored for the user.
  failed_ = !::CryptAcquireContextA(provider_.Put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) ||
            !::CryptCreateHash(provider_.Get(), CALG_SHA_256, 0, 0, hash_.Put());
}

void Sha256::Add(std::span<const uint8_t> bytes) {
  while (!failed_ && !bytes.empty()) {
    const size_t part = std::min<size_t>(bytes.size(), std::numeric_limits<DWORD>::max());
    failed_ = !::CryptHashData(hash_.Get(), bytes.data(), static_cast<DWORD>(part), 0);
    bytes = bytes.subspan(part);
  }
}

std::optional<Sha256Digest> Sha256::Finish() {
  Sha256Digest digest{};
  DWORD size = static_cast<DWORD>(digest.size());
  if (failed_ || !::CryptGetHashParam(hash_.Get(), HP_HASHVAL, digest.data(), &size, 0) || size != digest.size()) {
    failed_ = true;
    return std::nullopt;
  }
  failed_ = true;  // CryptoAPI refuses further data once the value was read
  return digest;
}

std::optional<Sha256Digest> Sha256::Of(std::span<const uint8_t> bytes) {
  Sha256 hash;
  hash.Add(bytes);
  return hash.Finish();
}

}  // namespace kavrix
