#include "toolkit/FormResource.h"

#include <windows.h>

#include <cstdint>
#include <span>

#include "foundation/ComponentStream.h"

namespace kavrix {

void ReadFormResource(HINSTANCE module, const std::string& className, TComponent& form) {
  // Resource names are matched without regard to case, so the class name serves as is.
  HRSRC info = ::FindResourceA(module, className.c_str(), RT_RCDATA);
  HGLOBAL loaded = info ? ::LoadResource(module, info) : nullptr;
  const void* data = loaded ? ::LockResource(loaded) : nullptr;
  if (!data) throw EResNotFound(Format("Resource %s not found", className));
  // Resources stay mapped as long as the module is loaded; there is nothing to release,
  // and the form's components may keep views of their bytes.
  const std::span<const uint8_t> stream(static_cast<const uint8_t*>(data), ::SizeofResource(module, info));
  TReader(stream, TStreamLifetime::OutlivesComponents).ReadRootComponent(form);
}

}  // namespace kavrix
