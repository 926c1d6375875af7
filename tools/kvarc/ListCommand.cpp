// kvarc list: the component's contents lines as they are (control characters escaped),
// so scripts see what setup sees, then a failure for a directory that did not read whole or a name extraction refuses.

#include <cstdio>

#include "ArchiveAccess.h"
#include "Command.h"
#include "archive/Lzh_btch.h"

namespace kavrix::kvarc {

void RunList(const CommandLine& line) {
  line.ExpectOperands(1, "ARCHIVE");
  TLZHBatch batch;
  OpenArchive(batch, line.Operands()[0]);
  // The entries read before a fault in the directory are listed too: they show where the
  // damage begins.
  for (int i = 0; i < batch.Contents().Count(); ++i) {
    std::fputs(TerminalText(batch.Contents().Strings(i)).c_str(), stdout);
    std::fputc('\n', stdout);
  }
  RequireValidArchive(batch);
  batch.CheckNames();
}

}  // namespace kavrix::kvarc
