#include "toolkit/CommonControls.h"

#include "foundation/Exceptions.h"
#include "system/DllSearch.h"
#include "toolkit/Win32Gdi.h"

#include <commctrl.h>

namespace kavrix {

void InitCommonControlClasses(uint32_t classes) {
  static uint32_t registered = 0;  // GUI thread only
  if ((registered & classes) == classes) return;
  // Loaded here rather than imported: comctl32 is not one of the DLLs the loader always
  // takes from the system folder, and an import would be resolved before the program could
  // restrict the search. It stays loaded: the classes it registers live in it.
  static const UniqueLibrary library = LoadSystemLibrary("comctl32.dll");
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  static const auto initialize = SystemFunction<InitFunction>(library, "InitCommonControlsEx");
  INITCOMMONCONTROLSEX controls{sizeof controls, classes};
  if (!initialize || !initialize(&controls)) throw Exception("Cannot initialise the common controls");
  registered |= classes;
}

}  // namespace kavrix
