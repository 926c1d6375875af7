#pragma once
// SHA-256 through the system's cryptographic provider (the AES provider of CryptoAPI,
// the one that has SHA-256 from Windows XP SP3 on).

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "system/Win32Handles.h"

namespace kavrix {

using Sha256Digest = std::array<uint8_t, 32>;

// Hashes data fed in parts. A provider that is missing or refuses a step gives no digest.
class Sha256 {
 public:
  Sha256();

  void Add(std::span<const uint8_t> bytes);
  // The digest of everything added; nothing more can be added afterwards.
  std::optional<Sha256Digest> Finish();

  static std::optional<Sha256Digest> Of(std::span<const uint8_t> bytes);

 private:
  UniqueCryptProvider provider_;
  UniqueCryptHash hash_;
  bool failed_ = false;
};

}  // namespace kavrix
