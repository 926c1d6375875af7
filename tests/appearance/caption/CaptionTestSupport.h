#pragma once
// Gradient forms for tests: the protected painting operations opened up, the installer's
// caption configuration, and the caption bar read back from the screen.

#include <windows.h>

#include "ToolkitTestSupport.h"
#include "appearance/caption/GradForm.h"
#include "appearance/render/CaptionFill.h"

namespace kavrix::testing {

class TestGradientForm : public TGradientForm {
 public:
  using TGradientForm::TGradientForm;
  using TGradientForm::CaptionBarRect;
  using TGradientForm::RepaintCaption;
};

// A form as the installer's wizard and dialogs set theirs up: single border, no border
// icons, system caption colours fading to black in 512 dithered bands, no caption text.
TestGradientForm* MakeInstallerForm(TComponent* owner, int clientWidth, int clientHeight);

// Shows `form` and makes it the active window, with its painting done.
void ShowActive(TApplication& app, TForm& form);

// The pixels of `rect` (window coordinates) of the window as the screen shows them; of
// the screen for a null window.
PixelBuffer ReadWindowPixels(HWND window, const TRect& rect);

// The caption bar of `form` as the portable fill paints it for the form's colours in
// the given state, over the whole bar.
PixelBuffer ExpectedCaptionGradient(TGradientForm& form, const TRect& bar, bool active);
// The fill method the portable fill chooses for that bar.
CaptionFillChoice ExpectedCaptionFill(TGradientForm& form, const TRect& bar, bool active);

// The number of pixels that differ, and the first of them in a message.
::testing::AssertionResult SamePixels(const PixelBuffer& actual, const PixelBuffer& expected);

}  // namespace kavrix::testing
