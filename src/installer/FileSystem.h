#pragma once
// The few file-system questions and changes the installer's forms make directly.

#include <string>

namespace kavrix {

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Deletes the file if there is one; the result is not examined by design.
void DeleteFileIfExists(const std::string& path);
// Creates one directory level; raises EInOutError with the system's reason.
void CreateDirectoryOrRaise(const std::string& path);
// The system's text for an error code, without its line break; "Error <code>" when it has none.
std::string SystemMessage(unsigned long code);
// The directory with environment references ("%ProgramFiles%") replaced.
std::string ExpandEnvironment(const std::string& text);

}  // namespace kavrix
