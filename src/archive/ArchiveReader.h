#pragma once
// Finding and reading an archive inside its file, for the batch component's reading and
// adding.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "archive/ArchiveFiles.h"
#include "archive/ArchiveFormat.h"

namespace kavrix::archive {

// Where the archive begins in `fileName`: 0, or for a name ending in ".exe" (any case)
// the position the host's string resource 1 gives.
int32_t ArchiveStartOf(const std::string& fileName);

// Reads the directory that begins at `start` of `file`, passing each complete entry to
// `onEntry`. Returns the data start, or nothing when the directory is unreadable.
std::optional<int64_t> ReadArchiveDirectory(files::File& file, int32_t start,
                                            const std::function<void(DirectoryEntry&&)>& onEntry);

}  // namespace kavrix::archive
