#pragma once
// The payload's SHA-256 digest, which the build stores in setup.exe beside the form data
// that carries the archive, computed with OpenSSL's libcrypto.

#include <cstdint>
#include <span>
#include <vector>

namespace kavrix::payload {

// The 32 bytes of the digest.
std::vector<uint8_t> Sha256Of(std::span<const uint8_t> bytes);

}  // namespace kavrix::payload
