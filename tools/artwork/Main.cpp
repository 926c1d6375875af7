// kvartwork <output-dir>: writes the installer's icons and bitmaps into the folder
// (creating it), for the resource compiler to pick up.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>

#include "artwork/Artwork.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kvartwork <output-dir>\n");
    return 2;
  }
  try {
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const auto& file : kavrix::artwork::DrawArtwork()) {
      std::ofstream out(folder / file.name, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
      out.close();
      if (!out) {
        std::fprintf(stderr, "kvartwork: cannot write %s\n", (folder / file.name).string().c_str());
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kvartwork: %s\n", e.what());
    return 1;
  }
  return 0;
}
