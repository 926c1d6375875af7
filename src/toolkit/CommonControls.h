#pragma once
// Toolkit-internal: registering the window classes of comctl32 before their first use.

#include <cstdint>

namespace kavrix {

// Registers the ICC_* classes `classes` once per set; raises Exception when the system
// cannot.
void InitCommonControlClasses(uint32_t classes);

}  // namespace kavrix
