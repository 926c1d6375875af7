// kvarc create: packs through the installer's own archive component, so the archive
// holds exactly what setup will read.

#include "ArchiveAccess.h"
#include "Command.h"
#include "Progress.h"
#include "archive/Lzh_btch.h"

namespace kavrix::kvarc {

void RunCreate(const CommandLine& line) {
  line.ExpectOperands(2, "ARCHIVE DIR");
  const std::string& archivePath = line.Operands()[0];
  const std::string directory = CheckedDirectory(line.Operands()[1], false);

  TLZHBatch batch;
  batch.SetDirectoryInfo(diRelativePath);
  batch.SetRootDirectory(directory);
  batch.SetRecurseDirectories(true);
  batch.InputFiles().Add(directory);
  SetArchiveName(batch, archivePath);  // replaced, since the archive mode is amNew
  ProgressReport progress("packing");
  progress.Attach(batch);
  batch.Compress();
}

}  // namespace kavrix::kvarc
