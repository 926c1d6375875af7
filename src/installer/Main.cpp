// setup.exe: the program's main block. It creates the five windows, the backdrop first
// (which makes it the main window and loads the product archive carried in the
// program's resources), and runs the message loop until the backdrop closes.

#include <windows.h>

#include <exception>

#include "foundation/ComponentStream.h"
#include "foundation/ErrorBox.h"
#include "installer/PayloadCheck.h"
#include "installer/Product.h"
#include "installer/Unit1.h"
#include "installer/Unit2.h"
#include "installer/Unit3.h"
#include "installer/Unit5.h"
#include "installer/Unit6.h"
#include "system/DllSearch.h"
#include "toolkit/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace kavrix;
  RestrictDllSearch();
  try {
    TApplication application;
    application.SetTitle(kApplicationTitle);
    // Before the splash and before anything is written: a damaged download installs
    // nothing. One cut short can leave form data that does not even read.
    bool intact = false;
    try {
      application.CreateForm(Form1);
      intact = Form1->PayloadIntact();
    } catch (const EReadError&) {
    }
    if (!intact) {
      ShowErrorBox(kDamagedSetupMessage, kApplicationTitle);
      return 1;
    }
    application.CreateForm(Form3);
    application.CreateForm(Form5);
    application.CreateForm(Form6);
    application.CreateForm(Form2);
    application.Run();
    return Form1->StartFailed() ? 1 : 0;
  } catch (const std::exception& e) {
    ShowErrorBox(e.what(), kApplicationTitle);
    return 1;
  }
}
