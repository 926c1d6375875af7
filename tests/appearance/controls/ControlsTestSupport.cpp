#include "ControlsTestSupport.h"

#include "appearance/controls/PixelTransfer.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix::testing {

ControlsTest::ControlsTest() : form_(new TForm(&app_)) {
  form_->SetCaption("Controls");
  form_->SetBorderStyle(bsSingle);
  form_->SetBounds(0, 0, 400, 300);
  form_->SetClientWidth(640);
  form_->SetClientHeight(620);
  form_->SetColor(0x00808000);  // a colour no component paints by itself
  // Far from every control: the buttons test the cursor position on release.
  ::SetCursorPos(1000, 750);
  form_->Show();
  Settle();
}

PixelBuffer ControlsTest::Capture() {
  form_->Update();
  Settle();
  const TRect client = form_->ClientRect();
  TBitmap shot;
  shot.SetSize(client.Width(), client.Height());
  HWND window = form_->Handle();
  HDC screen = ::GetDC(window);
  ::BitBlt(shot.Canvas().Handle(), 0, 0, client.Width(), client.Height(), screen, 0, 0, SRCCOPY);
  ::ReleaseDC(window, screen);
  return ReadPixels(shot);
}

}  // namespace kavrix::testing
