#pragma once
// A form's saved data lives in an RCDATA resource named after the form's class. It is
// read where the system maps the resource, without copying it first.

#include <string>

#include "foundation/Component.h"
#include "foundation/Exceptions.h"

struct HINSTANCE__;

namespace kavrix {

class EResNotFound : public Exception {
 public:
  using Exception::Exception;
};

// Reads the form resource `className` of `module` (null: the program's own file) into
// `form`, whose components receive their records by name. Raises EResNotFound
// "Resource %s not found" when there is none, and the stream's EReadError when it is
// damaged. Components may keep views of the resource's bytes: `module` must stay loaded
// for as long as `form` lives.
void ReadFormResource(HINSTANCE__* module, const std::string& className, TComponent& form);

}  // namespace kavrix
