// kvpayload: the build's payload steps for setup.exe.
//
//   kvpayload pack [--dates-not-after SECONDS] PRODUCT_DIR ARCHIVE FORM
//                                             pack the product tree (relative names,
//                                             recursive) and save the backdrop form's
//                                             data holding that archive; with the
//                                             option, no file date is later than
//                                             SECONDS since 1970 (UTC)
//   kvpayload check SETUP_EXE ARCHIVE         verify that the form data inside SETUP_EXE
//                                             holds exactly ARCHIVE and that every entry
//                                             decodes to its stored size
//   kvpayload version PROGRAM                 print PROGRAM's version information, one
//                                             "Name: value" line each, the fixed
//                                             versions first
//
// Exit status: 0 success, 1 failure (with a one-line reason), 2 usage error.

#include <array>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/FStorage.h"
#include "archive/Lzh_btch.h"
#include "archive/PayloadForm.h"
#include "archive/PeVersionInfo.h"
#include "payload/PayloadDates.h"

namespace kavrix::payload {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open '" + path.string() + "'");
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteWholeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write '" + path.string() + "'");
}

void Pack(const std::string& productDir, const std::string& archive, const std::string& form,
          std::optional<int64_t> datesNotAfter) {
  if (!fs::is_directory(productDir)) throw std::runtime_error("no product folder '" + productDir + "'");
  fs::remove(archive);
  TLZHBatch batch;
  batch.SetArchiveFileName(archive);
  batch.SetRootDirectory(productDir);
  batch.InputFiles().Add(productDir);
  batch.SetRecurseDirectories(true);
  batch.SetDirectoryInfo(diRelativePath);
  batch.Compress();
  if (!batch.ValidArchive() || batch.Contents().Count() == 0) {
    throw std::runtime_error("the product folder '" + productDir + "' gave no archive");
  }
  if (datesNotAfter) {
    std::vector<uint8_t> bytes = ReadWholeFile(archive);
    ClampArchiveDates(bytes, LocalDayCount(*datesNotAfter));
    WriteWholeFile(archive, bytes);
  }

  // The storage records the name it loaded from; the caller passes a name relative to
  // the build folder so no path of the build machine goes into the program.
  TFileStorage storage;
  storage.LoadFromFile(archive);
  if (storage.Empty()) throw std::runtime_error("cannot read '" + archive + "'");
  std::vector<uint8_t> stream;
  WritePayloadForm(storage, stream);
  WriteWholeFile(form, stream);
  std::printf("kvpayload: %s: %d files, %d bytes packed into the form data\n", productDir.c_str(),
              batch.Contents().Count(), storage.DataSize());
}

void Check(const std::string& setup, const std::string& archive) {
  const std::vector<uint8_t> program = ReadWholeFile(setup);
  const std::vector<uint8_t> packed = ReadWholeFile(archive);
  const int entries =
      VerifyCarriedPayload(program, packed, fs::path(setup).replace_extension(".payload.qv2").string());
  std::printf("kvpayload: %s carries %zu bytes: %d files, all of them whole\n", setup.c_str(), packed.size(),
              entries);
}

std::string Dotted(const std::array<uint16_t, 4>& parts) {
  return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." + std::to_string(parts[2]) + "." +
         std::to_string(parts[3]);
}

void PrintVersion(const std::string& program) {
  const std::optional<archive::PeVersionInfo> info = archive::ReadPeVersionInfo(ReadWholeFile(program));
  if (!info) throw std::runtime_error("'" + program + "' carries no version information");
  std::printf("FILEVERSION: %s\nPRODUCTVERSION: %s\n", Dotted(info->fileVersion).c_str(),
              Dotted(info->productVersion).c_str());
  for (const auto& [name, value] : info->strings) std::printf("%s: %s\n", name.c_str(), value.c_str());
}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

// Whole seconds since 1970, or nothing.
std::optional<int64_t> Seconds(const std::string& text) {
  if (text.empty() || text.size() > 15 || text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::stoll(text);
}

int Run(const std::vector<std::string>& args) {
  if (args.size() == 4 && args[0] == "pack") {
    Pack(args[1], args[2], args[3], std::nullopt);
    return 0;
  }
  if (args.size() == 6 && args[0] == "pack" && args[1] == "--dates-not-after" && Seconds(args[2])) {
    Pack(args[3], args[4], args[5], Seconds(args[2]));
    return 0;
  }
  if (args.size() == 3 && args[0] == "check") {
    Check(args[1], args[2]);
    return 0;
  }
  if (args.size() == 2 && args[0] == "version") {
    PrintVersion(args[1]);
    return 0;
  }
  std::fprintf(stderr,
               "usage: kvpayload pack [--dates-not-after SECONDS] PRODUCT_DIR ARCHIVE FORM\n"
               "       kvpayload check SETUP_EXE ARCHIVE\n"
               "       kvpayload version PROGRAM\n");
  return 2;
}

}  // namespace
}  // namespace kavrix::payload

int main(int argc, char** argv) {
  try {
    return kavrix::payload::Run({argv + 1, argv + argc});
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kvpayload: %s\n", kavrix::payload::OneLine(e.what()).c_str());
    return 1;
  }
}
