#pragma once
// The backdrop form's saved data as the build writes it: the form record of class
// TForm1 named Form1, whose one child record is FileStorage1 holding the product
// archive. The form's other components are laid out in code.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "archive/FStorage.h"

namespace kavrix {

inline constexpr char kPayloadFormClass[] = "TForm1";
inline constexpr char kPayloadFormName[] = "Form1";
inline constexpr char kPayloadStorageClass[] = "TFileStorage";
inline constexpr char kPayloadStorageName[] = "FileStorage1";
// The RCDATA resource beside the form data that holds the archive's SHA-256 digest, 32
// bytes; the form data and the storage's record stay as they are.
inline constexpr char kPayloadDigestResource[] = "PAYLOADDIGEST";

// The SHA-256 digest of some bytes, by whatever implementation the platform offers.
using PayloadDigestFunction = std::function<std::vector<uint8_t>(std::span<const uint8_t> bytes)>;

// Appends the whole form stream ("TPF0" and the form record) to `output`.
void WritePayloadForm(TFileStorage& storage, std::vector<uint8_t>& output);

// A program that does not carry the payload it should.
class EPayloadError : public Exception {
 public:
  using Exception::Exception;
};

// Checks that `program` (a PE file's bytes) carries exactly `archive` in its backdrop
// form's data, with the digest `digestOf` gives for it beside, and that every entry of it
// decodes to its stored size; `scratchFile` is used to hold a copy and is removed again
// whatever happens. Returns the number of entries; raises EPayloadError, or the archive
// component's error for a damaged entry.
int VerifyCarriedPayload(std::span<const uint8_t> program, std::span<const uint8_t> archive,
                         const std::string& scratchFile, const PayloadDigestFunction& digestOf);

}  // namespace kavrix
