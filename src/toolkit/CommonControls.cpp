#include "toolkit/CommonControls.h"

#include "foundation/Exceptions.h"
#include "toolkit/Win32Gdi.h"

#include <commctrl.h>

namespace kavrix {

void InitCommonControlClasses(uint32_t classes) {
  static uint32_t registered = 0;  // GUI thread only
  if ((registered & classes) == classes) return;
  INITCOMMONCONTROLSEX controls{sizeof controls, classes};
  if (!::InitCommonControlsEx(&controls)) throw Exception("Cannot initialise the common controls");
  registered |= classes;
}

}  // namespace kavrix
