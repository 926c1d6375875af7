#pragma once
// The installer's pictures, drawn from code so that no binary file is kept in the
// sources: the program's icons, the backdrop logo, the wizard banner, the message box's
// animation strips and the new-folder button glyph.

#include <string>
#include <vector>

#include "artwork/ImageFiles.h"

namespace kavrix::artwork {

struct ArtworkFile {
  std::string name;
  Bytes bytes;
};

// Every file, in a fixed order; the same bytes on every call.
std::vector<ArtworkFile> DrawArtwork();

}  // namespace kavrix::artwork
