#pragma once
// Archives store names as 8-bit Windows ANSI text, code page 1252, because that is what
// the installer hands to the ANSI file calls. Hosts that name files in UTF-8 convert
// through here.

#include <optional>
#include <string>
#include <string_view>

namespace kavrix::archive {

// The code page 1252 bytes of the UTF-8 text `utf8`. Nothing when the text is not well-
// formed UTF-8 (overlong forms, surrogates, stray or missing continuation bytes) or holds
// a character the code page has no byte for, such as U+0100 and above outside its 27
// typographic characters, or U+0080 to U+009F.
std::optional<std::string> Utf8ToCodePage1252(std::string_view utf8);

}  // namespace kavrix::archive
