#include "payload/PayloadDigest.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace kavrix::payload {

std::vector<uint8_t> Sha256Of(std::span<const uint8_t> bytes) {
  std::vector<uint8_t> digest(EVP_MAX_MD_SIZE);
  unsigned int size = 0;
  if (!EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha256(), nullptr)) {
    throw std::runtime_error("SHA-256 is not available");
  }
  digest.resize(size);
  return digest;
}

}  // namespace kavrix::payload
