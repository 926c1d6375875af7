#include "installer/Unit1.h"

#include "archive/PayloadForm.h"
#include "toolkit/FormResource.h"

namespace kavrix {

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* owner, HINSTANCE__* module) : TComponent(owner), FileStorage1(new TFileStorage(this)) {
  SetName(kPayloadFormName);
  FileStorage1->SetName(kPayloadStorageName);
  ReadFormResource(module, kPayloadFormClass, *this);
}

}  // namespace kavrix
