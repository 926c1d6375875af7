#pragma once
// kvarc's file access: binary std::FILE streams (so Windows never translates line
// ends or stops at a Ctrl-Z) that report every failure as a ToolError naming the file.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavrix::kvarc {

// A failure while carrying out a command, e.g. "cannot open 'a.bin': No such file or
// directory". The tool prints it after "kvarc: " and exits with kExitFailure.
class ToolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file opened for reading, closed when destroyed.
class InputFile {
 public:
  explicit InputFile(std::string path);  // throws ToolError "cannot open"
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Reads up to `size` bytes; fewer only at the end of the file, and 0 from then on.
  // Throws ToolError "cannot read" when the system reports an error.
  size_t Read(uint8_t* buffer, size_t size);

  // Moves to `position` bytes from the start; throws ToolError "cannot read".
  void Seek(int32_t position);

  const std::string& Path() const noexcept { return path_; }

 private:
  std::string path_;
  std::FILE* file_;
};

// True when both names refer to one existing file, as "a" and "./a" do.
bool SameFile(const std::string& first, const std::string& second);

// The whole content of a file; throws ToolError.
std::vector<uint8_t> ReadWholeFile(const std::string& path);

// A file being written. Unless Commit() succeeds, the destructor removes it again, so
// a failed command never leaves a truncated result that looks complete. A path that
// names something other than a regular file (a device, a pipe) is written but never
// removed.
class OutputFile {
 public:
  explicit OutputFile(std::string path);  // creates or truncates; throws ToolError "cannot create"
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Throws ToolError "cannot write". Errors the C library buffers up, such as a full
  // disk, may surface only at Commit().
  void Write(std::span<const uint8_t> bytes);

  // Flushes and closes the file and keeps it; throws ToolError "cannot write" when the
  // data did not reach the file, which is then removed.
  void Commit();

  const std::string& Path() const noexcept { return path_; }

 private:
  void Discard() noexcept;

  std::string path_;
  std::FILE* file_;
  bool removable_;
};

}  // namespace kavrix::kvarc
