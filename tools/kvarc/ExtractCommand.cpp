// kvarc extract: unpacks through the installer's own archive component, so the tree is
// exactly what setup would install, dates and attributes included.

#include "ArchiveAccess.h"
#include "Command.h"
#include "FileIo.h"
#include "Progress.h"
#include "archive/Lzh_btch.h"

namespace kavrix::kvarc {

void RunExtract(const CommandLine& line) {
  line.ExpectOperands(2, "ARCHIVE DIR");
  const std::string& archivePath = line.Operands()[0];
  const std::string directory = CheckedDirectory(line.Operands()[1], true);

  TLZHBatch batch;
  OpenArchive(batch, archivePath);
  batch.SetOutputDirectory(directory);
  batch.SetUseDirectoryNames(true);
  batch.SetRestoreFileDate(true);
  batch.SetRestoreAttributes(true);
  UseLargeBuffers(batch);
  // Existing files are replaced, read-only ones too, but never the archive being read:
  // replacing it would cut off the entries still to come.
  batch.SetOverwriteExisting(false);
  batch.OnFileExist = [&archivePath](TObject&, const std::string& path, TFileExistAction& action) {
    if (SameFile(path, archivePath)) throw ToolError("'" + path + "' would replace the archive being read");
    action = feOverwrite;
  };
  ProgressReport progress("extracting");
  progress.Attach(batch);
  batch.Extract();
  MakeDirectoryPath(directory);  // also for an archive without entries
}

}  // namespace kavrix::kvarc
