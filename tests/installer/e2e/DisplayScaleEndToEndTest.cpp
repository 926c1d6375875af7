// Installations at 125 %, 150 % and 200 % display scale, driven by the keyboard, with a
// screenshot of every page kept as an artifact (e2e-artifacts/dpi<N>-*.bmp).

#include "EndToEndFixture.h"

namespace kavrix::e2e {
namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kLogPixels[] = "LogPixels";

// The display's density as the system reads it when a program starts, for the
// lifetime of the scope; the value there before (or its absence) comes back after.
class DisplayDensity {
 public:
  explicit DisplayDensity(DWORD dpi) {
    DWORD size = sizeof saved_;
    had_ = ::RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, nullptr, &saved_, &size) ==
           ERROR_SUCCESS;
    Set(dpi);
  }
  DisplayDensity(const DisplayDensity&) = delete;
  DisplayDensity& operator=(const DisplayDensity&) = delete;
  ~DisplayDensity() {
    if (had_) {
      Set(saved_);
    } else {
      ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels);
    }
  }

 private:
  static void Set(DWORD dpi) {
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &dpi, sizeof dpi);
  }

  DWORD saved_ = 0;
  bool had_ = false;
};

class DisplayScaleEndToEnd : public InstallerEndToEnd, public ::testing::WithParamInterface<int> {};

TEST_P(DisplayScaleEndToEnd, AnInstallationWithEveryPageShown) {
  const std::string prefix = "dpi" + std::to_string(GetParam());
  {
    const DisplayDensity density(static_cast<DWORD>(GetParam()));
    Drive(prefix, std::string(kWizard) + "expect-focus \"&Next >\"\n" + Shot(prefix + "-page0") +
                      "press enter\nexpect-enabled \"< &Back\" yes\n" + Shot(prefix + "-page1") +
                      "press enter\nexpect-visible \"&Browse...\" yes\n" + Shot(prefix + "-page2") +
                      "click \"&Browse...\"\nwindow Directory...\n" + Shot(prefix + "-directory") +
                      "press alt+n\nwindow \"New directory...\"\n" + Shot(prefix + "-new-directory") +
                      "press escape\nwindow Directory...\npress escape\n" + kWizard + "click Cancel\n" +
                      "window Warning\n" + Shot(prefix + "-message-box") + "press escape\n" + kWizard +
                      "press enter\n" + "expect-checked \"" + kOptionRightClick + "\" on\n" +
                      Shot(prefix + "-page3") + "press enter\n" + Shot(prefix + "-page4") +
                      "expect-visible \"&Finish\" yes\n" +
                      Shot(prefix + "-page5") + "press enter\n");
  }
  ExpectProductInstalledIn(DefaultDestination());
}

INSTANTIATE_TEST_SUITE_P(Scales, DisplayScaleEndToEnd, ::testing::Values(120, 144, 192));

}  // namespace
}  // namespace kavrix::e2e
