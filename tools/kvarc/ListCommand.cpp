// kvarc list: the component's contents lines as they are, so scripts see what setup sees.

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
    std::fputs(batch.Contents().Strings(i).c_str(), stdout);
    std::fputc('\n', stdout);
  }
  RequireValidArchive(batch);
}

}  // namespace kavrix::kvarc
