#pragma once
// The failure of a registry operation, shared by the folder-path and registry components.

#include "foundation/Exceptions.h"

namespace kavrix {

// Carries one of the fixed texts "Failed to get data for '%s'", "Invalid data type for '%s'",
// "Failed to set data for '%s'" or "Failed to create key %s".
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace kavrix
