// Build-time generator of the caption form's dithering mask bitmaps: writes
// GF_DITHGRADMASK1.bmp and GF_DITHGRADMASK2.bmp into the given folder, from the same
// tables the portable fill uses, so the resources can never disagree with them.

#include <cstdio>
#include <fstream>
#include <string>

#include "appearance/caption/DitherMaskBitmap.h"

namespace {

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_dither_masks OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const bool written = WriteFile(folder + "/GF_DITHGRADMASK1.bmp", kavrix::DitherMaskBmpFile(kavrix::DitherMask1())) &&
                       WriteFile(folder + "/GF_DITHGRADMASK2.bmp", kavrix::DitherMaskBmpFile(kavrix::DitherMask2()));
  if (!written) {
    std::fprintf(stderr, "make_dither_masks: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
