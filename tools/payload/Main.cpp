// kvpayload: the build's payload steps for setup.exe.
//
//   kvpayload pack [--depfile DEPFILE] [--dates-not-after SECONDS] [--digest DIGEST] PRODUCT_DIR ARCHIVE FORM
//       pack the product tree (relative names, recursive) and save the backdrop form's
//       data holding that archive (with --digest, also the archive's SHA-256 digest,
//       32 bytes, which setup.exe carries beside the form data). Symbolic links to files and folders inside the tree
//       are followed and stored under the link's name; links that dangle or leave the
//       tree, unreadable entries, names the archive cannot carry and sizes past its
//       32-bit limits stop the packing with a one-line reason. Empty files are carried;
//       empty folders are not (the archive holds files only): each is reported on
//       standard output as dropped. With --depfile, also writes a make-style
//       dependency file naming every file and folder packed, for the build to know when
//       to pack again; with --dates-not-after, no file date is later than SECONDS since
//       1970 (UTC).
//   kvpayload check SETUP_EXE ARCHIVE
//       verify that the form data inside SETUP_EXE holds exactly ARCHIVE, that the digest
//       beside it is ARCHIVE's, and that every entry decodes to its stored size
//   kvpayload version PROGRAM
//       print PROGRAM's version information, one "Name: value" line each, the fixed
//       versions first
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

#include "ProductFolder.h"
#include "archive/FStorage.h"
#include "archive/Lzh_btch.h"
#include "archive/PayloadForm.h"
#include "archive/PeVersionInfo.h"
#include "payload/PayloadDates.h"
#include "payload/PayloadDigest.h"

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

// Make's syntax: a space, '#' and '$' in a path would otherwise end or change it.
std::string MakeEscaped(const std::string& path) {
  std::string escaped;
  for (const char c : path) {
    if (c == ' ' || c == '#') escaped += '\\';
    if (c == '$') escaped += '$';
    escaped += c;
  }
  return escaped;
}

// Files and folders both: a folder's time changes when an entry is added or removed.
void WriteDependencyFile(const fs::path& path, const fs::path& target, const ProductFolder& folder) {
  std::string text = MakeEscaped(fs::absolute(target).string()) + ":";
  for (const std::vector<std::string>* paths : {&folder.folders, &folder.files}) {
    for (const std::string& dependency : *paths) {
      text += " \\\n  " + MakeEscaped(fs::absolute(dependency).string());
    }
  }
  text += "\n";
  WriteWholeFile(path, {text.begin(), text.end()});
}

void Pack(const std::string& productDir, const std::string& archive, const std::string& form,
          const std::string& dependencyFile, const std::string& digestFile, std::optional<int64_t> datesNotAfter) {
  // A failed pack leaves nothing that a later build could take for its result.
  for (const std::string& output : {archive, form, dependencyFile, digestFile}) {
    if (!output.empty()) fs::remove(output);
  }
  const ProductFolder folder = ScanProductFolder(productDir);
  for (const std::string& empty : folder.emptyFolders) {
    std::printf("kvpayload: %s: an empty folder, not carried (the archive holds files only)\n",
                empty.c_str());
  }
  TLZHBatch batch;
  batch.SetArchiveFileName(archive);
  batch.SetRootDirectory(productDir);
  // The scan has walked the tree by its rules for links; the archive takes the files it
  // found rather than walking again.
  for (const std::string& file : folder.files) batch.InputFiles().Add(file);
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
  if (!digestFile.empty()) WriteWholeFile(digestFile, Sha256Of(storage.Data()));
  if (!dependencyFile.empty()) WriteDependencyFile(dependencyFile, archive, folder);
  std::printf("kvpayload: %s: %d files, %d bytes packed into the form data\n", productDir.c_str(),
              batch.Contents().Count(), storage.DataSize());
}

void Check(const std::string& setup, const std::string& archive) {
  const std::vector<uint8_t> program = ReadWholeFile(setup);
  const std::vector<uint8_t> packed = ReadWholeFile(archive);
  const int entries = VerifyCarriedPayload(program, packed,
                                           fs::path(setup).replace_extension(".payload.qv2").string(), Sha256Of);
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
  if (!args.empty() && args[0] == "pack") {
    std::string dependencyFile;
    std::string digestFile;
    std::optional<int64_t> datesNotAfter;
    size_t next = 1;
    for (; next + 1 < args.size() && args[next].starts_with("--"); next += 2) {
      if (args[next] == "--depfile") {
        dependencyFile = args[next + 1];
      } else if (args[next] == "--digest") {
        digestFile = args[next + 1];
      } else if (args[next] == "--dates-not-after" && Seconds(args[next + 1])) {
        datesNotAfter = Seconds(args[next + 1]);
      } else {
        break;
      }
    }
    if (args.size() - next == 3) {
      Pack(args[next], args[next + 1], args[next + 2], dependencyFile, digestFile, datesNotAfter);
      return 0;
    }
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
               "usage: kvpayload pack [--depfile DEPFILE] [--dates-not-after SECONDS] [--digest DIGEST] PRODUCT_DIR "
               "ARCHIVE FORM\n"
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
