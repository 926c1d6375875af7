#pragma once
// The payload's integrity: the build stores the SHA-256 digest of the archive in a
// resource of its own beside the form data that carries it, and setup.exe checks the
// archive it holds, and the copy it writes, against it before anything is installed.

#include <optional>
#include <span>

#include "system/Sha256.h"

struct HINSTANCE__;

namespace kavrix {

inline constexpr char kDamagedSetupMessage[] = "The setup program is damaged. Download it again.";

// The digest stored in `module` (null: the running program); nothing when it carries
// none of the right size.
std::optional<Sha256Digest> StoredPayloadDigest(HINSTANCE__* module);

// Whether `bytes` hash to `expected`; false when the system cannot hash them.
bool HasDigest(std::span<const uint8_t> bytes, const Sha256Digest& expected);

}  // namespace kavrix
