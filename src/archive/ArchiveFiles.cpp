// The parts of the file interface that need no platform of their own.

#include "archive/ArchiveFiles.h"

#include <algorithm>
#include <utility>

namespace kavrix::files {

File::~File() { Close(); }

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, kInvalidHandle)), errorText_(std::move(other.errorText_)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, kInvalidHandle);
    errorText_ = std::move(other.errorText_);
  }
  return *this;
}

bool File::ReadFully(std::span<uint8_t> bytes) {
  while (!bytes.empty()) {
    uint32_t done = 0;
    const uint32_t wanted = static_cast<uint32_t>(std::min<size_t>(bytes.size(), UINT32_MAX));
    if (!Read(bytes.data(), wanted, done) || done == 0) return false;
    bytes = bytes.subspan(done);
  }
  return true;
}

}  // namespace kavrix::files
