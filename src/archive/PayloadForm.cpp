#include "archive/PayloadForm.h"

#include <algorithm>
#include <cstdio>

#include "archive/Lzh_btch.h"
#include "archive/PeResources.h"
#include "foundation/ComponentStream.h"

namespace kavrix {

void WritePayloadForm(TFileStorage& storage, std::vector<uint8_t>& output) {
  TWriter writer(output);
  writer.WriteSignature();
  writer.WriteComponentHeader(kPayloadFormClass, kPayloadFormName);
  writer.WriteListEnd();  // the form's own properties are set in code
  writer.WriteComponentHeader(kPayloadStorageClass, kPayloadStorageName);
  storage.WriteState(writer);
  writer.WriteListEnd();
}

int VerifyCarriedPayload(std::span<const uint8_t> program, std::span<const uint8_t> archive,
                         const std::string& scratchFile, const PayloadDigestFunction& digestOf) {
  constexpr uint32_t kRcDataType = 10;
  const auto form = archive::ReadPeResourceData(program, kRcDataType, kPayloadFormClass);
  if (!form) throw EPayloadError(Format("The program carries no form data %s", kPayloadFormClass));

  TComponent root;
  auto* storage = new TFileStorage(&root);
  storage->SetName(kPayloadStorageName);
  TReader(*form).ReadRootComponent(root);
  if (storage->Empty() || !std::ranges::equal(storage->Data(), archive)) {
    throw EPayloadError("The program does not carry the archive it was built with");
  }
  const auto digest = archive::ReadPeResourceData(program, kRcDataType, kPayloadDigestResource);
  if (!digest) throw EPayloadError(Format("The program carries no payload digest %s", kPayloadDigestResource));
  if (*digest != digestOf(archive)) {
    throw EPayloadError("The program's payload digest is not the digest of the archive it carries");
  }

  // Armed before the write, so that a write that fails part-way leaves nothing either.
  struct RemoveScratch {
    const std::string& name;
    ~RemoveScratch() { std::remove(name.c_str()); }
  } removeScratch{scratchFile};
  if (!storage->SaveToFile(scratchFile)) throw EPayloadError(Format("Cannot write %s", scratchFile));
  TLZHBatch batch;
  batch.SetArchiveFileName(scratchFile);
  if (!batch.ValidArchive()) throw EPayloadError("The carried archive has a damaged directory");
  batch.Verify();
  return batch.Contents().Count();
}

}  // namespace kavrix
