// setup.exe: the program's main block. It creates the backdrop form, which loads the
// product archive carried in the program's own resources.

#include <windows.h>

#include <exception>

#include "foundation/ErrorBox.h"
#include "installer/Unit1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    kavrix::TComponent application;  // owns the forms and frees them at the end
    kavrix::Form1 = new kavrix::TForm1(&application);
    return 0;
  } catch (const std::exception& e) {
    kavrix::ShowErrorBox(e.what(), "Quorvel 2.0 Kavrix");
    return 1;
  }
}
