// kvarc test: decodes every entry as extract would, writing nothing. The archive format
// has no checksums, so damage shows only where it changes an entry's decoded length.

#include "ArchiveAccess.h"
#include "Command.h"
#include "Progress.h"
#include "archive/Lzh_btch.h"

namespace kavrix::kvarc {

void RunTest(const CommandLine& line) {
  line.ExpectOperands(1, "ARCHIVE");
  TLZHBatch batch;
  OpenArchive(batch, line.Operands()[0]);
  UseLargeBuffers(batch);
  ProgressReport progress("testing");
  progress.Attach(batch);
  batch.Verify();
}

}  // namespace kavrix::kvarc
