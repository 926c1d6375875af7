#pragma once
// The root of the system's own exception classes. Every failure the components report
// is an exception of a class of its own carrying one fixed message text; the
// application's handler shows `Message()` and abandons the interrupted operation.

#include <exception>
#include <string>

namespace kavrix {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Formats a fixed message that has one %s placeholder, e.g. "Cannot open file %s".
std::string Format(const char* pattern, const std::string& argument);

}  // namespace kavrix
