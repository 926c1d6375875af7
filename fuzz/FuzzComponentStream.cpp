// Checks TReader::ReadRootComponent on any bytes, read into a form that owns a
// TFileStorage named FileStorage1 and a plain component named Panel1, so the records of
// both are parsed: skipped values of every tag, nested child records, the storage's own
// data. Nothing but EReadError comes out, and no allocation exceeds what the input
// holds (a declared size is checked against the stream before it is allocated), beyond
// 1 KiB for names and messages. Reading the same bytes again into the same components
// ends the same way. When the read succeeds and the storage holds bytes, the form
// written back with WritePayloadForm reads again, whole, to the same bytes, and writing
// that once more gives the same stream.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "AllocationWatch.h"
#include "FuzzCheck.h"
#include "archive/FStorage.h"
#include "archive/PayloadForm.h"
#include "foundation/ComponentStream.h"

namespace {

using kavrix::fuzz::AllocationWatch;
using kavrix::fuzz::Check;

constexpr size_t kNameAllowance = 1024;

struct Form {
  kavrix::TComponent root;
  kavrix::TFileStorage* storage;  // owned by root, as are all components on a form
  kavrix::TComponent* panel;

  Form() : storage(new kavrix::TFileStorage(&root)), panel(new kavrix::TComponent(&root)) {
    storage->SetName(kavrix::kPayloadStorageName);
    panel->SetName("Panel1");
  }
};

struct Outcome {
  std::optional<std::string> error;
  size_t remaining = 0;
  size_t largestAllocation = 0;
  bool empty = true;
  std::vector<uint8_t> data;

  bool SameEnd(const Outcome& other) const {
    return error == other.error && remaining == other.remaining && empty == other.empty && data == other.data;
  }
};

Outcome Read(Form& form, std::span<const uint8_t> stream) {
  Outcome outcome;
  {
    const AllocationWatch watch;
    kavrix::TReader reader(stream);
    try {
      reader.ReadRootComponent(form.root);
    } catch (const kavrix::EReadError& error) {
      const AllocationWatch::Pause pause;
      outcome.error = error.Message();
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
      kavrix::fuzz::Violation("only EReadError comes out");
    } catch (...) {
      kavrix::fuzz::Violation("only EReadError comes out");
    }
    outcome.remaining = reader.Remaining();
    outcome.largestAllocation = watch.Largest();
  }
  outcome.empty = form.storage->Empty();
  const std::span<const uint8_t> held = form.storage->Data();
  outcome.data.assign(held.begin(), held.end());
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  Form form;
  const Outcome first = Read(form, input);
  Check(first.largestAllocation <= std::max(size, kNameAllowance),
        "no allocation beyond what the input holds");
  Check(Read(form, input).SameEnd(first), "reading again into the same components ends the same way");
  if (first.error || first.empty) return 0;

  std::vector<uint8_t> written;
  kavrix::WritePayloadForm(*form.storage, written);
  Form copy;
  const Outcome reread = Read(copy, written);
  Check(!reread.error && reread.remaining == 0, "the written form reads back whole");
  Check(!reread.empty && reread.data == first.data, "the written form holds the same bytes");

  std::vector<uint8_t> rewritten;
  kavrix::WritePayloadForm(*copy.storage, rewritten);
  Check(rewritten == written, "writing the form read back gives the same stream");
  return 0;
}
