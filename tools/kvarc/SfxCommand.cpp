// kvarc sfx: a self-extracting archive is the stub's image with its reserved string 1 set
// to where the archive begins, followed by the archive's bytes unchanged. Data offsets
// count from the archive's own data start, so they need no adjustment.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "ArchiveAccess.h"
#include "Command.h"
#include "FileIo.h"
#include "archive/ArchiveFormat.h"
#include "archive/ArchiveReader.h"
#include "archive/Lzh_btch.h"
#include "archive/PeResources.h"

namespace kavrix::kvarc {

namespace {

// LoadString's buffer keeps one character less than it holds; a longer field would be
// read cut short, as another number.
constexpr size_t kMaxFieldChars = archive::kArchiveStartBufferChars - 1;

bool EndsInExe(const std::string& path) {
  constexpr std::string_view kExtension = ".exe";
  if (path.size() < kExtension.size()) return false;
  return std::equal(
      kExtension.begin(), kExtension.end(), path.end() - kExtension.size(),
      [](char expected, char c) { return expected == (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
}

// Writes `start` as decimal text into the stub's string 1, in place: the string's length
// is fixed by the strings that follow it in its block, so the text fills it with leading
// zeros. The field must hold nothing but spaces and zeros, so that no real string, and no
// stub that already carries an archive, is overwritten.
void WriteArchiveStart(std::vector<uint8_t>& stub, const std::string& stubPath, int64_t start) {
  const auto location = archive::LocatePeStringResource(stub, archive::kArchiveStartStringId);
  if (!location) throw ToolError("'" + stubPath + "' has no string resource 1 to hold the archive start");
  uint8_t* const units = stub.data() + static_cast<size_t>(location->fileOffset);
  std::string field(location->length, '?');
  for (size_t i = 0; i < field.size(); ++i) {
    if (units[2 * i + 1] == 0 && units[2 * i] < 0x80) field[i] = static_cast<char>(units[2 * i]);
  }
  const std::string where = "'" + stubPath + "': string resource 1";
  if (field.find_first_not_of("0 ") != std::string::npos) {
    throw ToolError(where + " holds \"" + field + "\", not a reserved field of spaces or zeros");
  }
  if (field.size() > kMaxFieldChars) {
    throw ToolError(where + " has " + std::to_string(field.size()) + " characters, more than the " +
                    std::to_string(kMaxFieldChars) + " readers take");
  }
  const std::string digits = std::to_string(start);
  if (start > std::numeric_limits<int32_t>::max() || digits.size() > field.size()) {
    throw ToolError(where + " has " + std::to_string(field.size()) +
                    " characters, too few for the archive start " + digits);
  }
  const std::string text = std::string(field.size() - digits.size(), '0') + digits;
  for (size_t i = 0; i < text.size(); ++i) {
    units[2 * i] = static_cast<uint8_t>(text[i]);
    units[2 * i + 1] = 0;
  }
}

}  // namespace

void RunSfx(const CommandLine& line) {
  line.ExpectOperands(3, "STUB.exe ARCHIVE OUT.exe");
  const std::string& stubPath = line.Operands()[0];
  const std::string& archivePath = line.Operands()[1];
  const std::string& outPath = line.Operands()[2];
  if (!EndsInExe(outPath)) {
    throw UsageError("sfx: '" + outPath +
                     "' must end in .exe: readers look inside no other file for an archive");
  }
  // Opening the output would truncate an input before it is read.
  for (const std::string* input : {&stubPath, &archivePath}) {
    if (SameFile(*input, outPath)) throw UsageError("sfx: '" + outPath + "' is both input and output");
  }

  TLZHBatch batch;
  OpenArchive(batch, archivePath);
  RequireValidArchive(batch);
  std::vector<uint8_t> image = ReadWholeFile(stubPath);
  WriteArchiveStart(image, stubPath, static_cast<int64_t>(image.size()));

  InputFile archive(archivePath);
  // An archive that is itself self-extracting comes without its old host.
  archive.Seek(archive::ArchiveStartOf(batch.ArchiveFileName()));
  OutputFile output(outPath);
  output.Write(image);
  std::vector<uint8_t> buffer(64 * 1024);
  while (const size_t count = archive.Read(buffer.data(), buffer.size())) {
    output.Write({buffer.data(), count});
  }
  output.Commit();
}

}  // namespace kavrix::kvarc
