#pragma once
// What the archive commands share: the archive named as the user typed it, and the checks
// a path needs before the component takes it as a property.

#include <string>

namespace kavrix {
class TLZHBatch;
}

namespace kavrix::kvarc {

// Sets `batch`'s ArchiveFileName to the full path of `path`, which reads its contents if
// it exists. Throws ToolError when the full path is longer than the component keeps: cut,
// it would name another file.
void SetArchiveName(TLZHBatch& batch, const std::string& path);

// Points `batch` at the archive `path`, which reads its contents (they may still be
// invalid, see RequireValidArchive). Throws ToolError naming `path` when it cannot be
// opened or read, or as SetArchiveName does.
void OpenArchive(TLZHBatch& batch, const std::string& path);

// Throws the component's EInvalidArchive when the directory could not be read to its end.
void RequireValidArchive(const TLZHBatch& batch);

// The full path of directory `path` for a property of the component, which creates
// missing directories only below an existing one. Throws ToolError when `path` names
// something other than a directory, or nothing at all unless `mayBeMissing`, or when the
// full path is longer than the component keeps.
std::string CheckedDirectory(const std::string& path, bool mayBeMissing);

// The codec's largest buffers: fewer reads, writes and events per byte.
void UseLargeBuffers(TLZHBatch& batch);

}  // namespace kavrix::kvarc
