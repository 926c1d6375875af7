#include "FileIo.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kavrix::kvarc {

namespace {

// The C library's text for `error`, which is what users know from other tools. Some
// failures (a short fwrite on a stream that sets no errno) leave errno at 0.
std::string Reason(int error) {
  return error != 0 ? std::string(std::strerror(error)) : std::string("input/output error");
}

[[noreturn]] void Fail(const char* what, const std::string& path, int error) {
  throw ToolError(std::string(what) + " '" + path + "': " + Reason(error));
}

}  // namespace

InputFile::InputFile(std::string path) : path_(std::move(path)) {
  errno = 0;
  file_ = std::fopen(path_.c_str(), "rb");
  if (file_ == nullptr) Fail("cannot open", path_, errno);
}

InputFile::~InputFile() { std::fclose(file_); }

size_t InputFile::Read(uint8_t* buffer, size_t size) {
  errno = 0;
  const size_t count = std::fread(buffer, 1, size, file_);
  if (count < size && std::ferror(file_)) Fail("cannot read", path_, errno);
  return count;
}

void InputFile::Seek(int32_t position) {
  errno = 0;
  if (std::fseek(file_, position, SEEK_SET) != 0) Fail("cannot read", path_, errno);
}

bool SameFile(const std::string& first, const std::string& second) {
  std::error_code ignored;
  return std::filesystem::equivalent(first, second, ignored);
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  InputFile file(path);
  std::vector<uint8_t> bytes;
  constexpr size_t kChunk = 64 * 1024;
  for (;;) {
    const size_t used = bytes.size();
    bytes.resize(used + kChunk);
    const size_t count = file.Read(bytes.data() + used, kChunk);
    bytes.resize(used + count);
    if (count < kChunk) return bytes;
  }
}

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
  // Only a file this object creates or replaces may be removed on failure: removing
  // e.g. /dev/full after a failed write would delete the device node.
  std::error_code ignored;
  const auto status = std::filesystem::status(path_, ignored);
  removable_ = !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
  errno = 0;
  file_ = std::fopen(path_.c_str(), "wb");
  if (file_ == nullptr) Fail("cannot create", path_, errno);
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) Discard();
}

void OutputFile::Write(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) Fail("cannot write", path_, errno);
}

void OutputFile::Commit() {
  errno = 0;
  const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
  const int flushError = errno;
  errno = 0;
  const bool closed = std::fclose(file_) == 0;
  const int closeError = errno;
  file_ = nullptr;
  if (flushed && closed) return;
  if (removable_) std::remove(path_.c_str());
  Fail("cannot write", path_, flushed ? closeError : flushError);
}

void OutputFile::Discard() noexcept {
  std::fclose(file_);
  file_ = nullptr;
  if (removable_) std::remove(path_.c_str());
}

}  // namespace kavrix::kvarc
