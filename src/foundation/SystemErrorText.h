#pragma once
// The operating system's own words for its error codes, for the messages that report a
// failed file or system call. Windows build only.

#include <cstdint>
#include <optional>
#include <string>

namespace kavrix {

// The system's text for `code` in the user's language, without the line break the system
// ends it with; none when the system has no text for the code.
std::optional<std::string> SystemErrorText(uint32_t code);

}  // namespace kavrix
