#pragma once
// The backdrop form. Creating it reads its saved data, which brings the product
// archive into FileStorage1, where it stays until the program ends.

#include "archive/FStorage.h"
#include "foundation/Component.h"

struct HINSTANCE__;

namespace kavrix {

class TForm1 : public TComponent {
 public:
  // Reads the form's saved data from `module` (null: the running program).
  explicit TForm1(TComponent* owner, HINSTANCE__* module = nullptr);

  TFileStorage* FileStorage1;
};

extern TForm1* Form1;

}  // namespace kavrix
