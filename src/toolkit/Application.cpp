#include "toolkit/Application.h"

#include "foundation/ErrorBox.h"
#include "system/CallbackGuard.h"
#include "toolkit/BusyScope.h"
#include "toolkit/SharedAccelerators.h"
#include "toolkit/Win32Gdi.h"

namespace kavrix {
namespace {

std::string ProgramName() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  name.erase(0, name.find_last_of("\\/") + 1);
  if (const size_t dot = name.find_last_of('.'); dot != std::string::npos) name.erase(dot);
  return name;
}

std::string CurrentExceptionMessage() {
  try {
    throw;
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}

}  // namespace

TApplication* Application = nullptr;

TApplication::TApplication() : title_(ProgramName()) {
  if (Application) throw EInvalidOperation("An application exists already");
  Application = this;
}

HICON TApplication::Icon() const { return ::LoadIconA(::GetModuleHandleA(nullptr), "MAINICON"); }

TApplication::~TApplication() {
  if (Application == this) Application = nullptr;
}

void TApplication::Run() {
  try {
    if (mainForm_) mainForm_->Show();
  } catch (...) {
    HandleException();
  }
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() { ::PostQuitMessage(0); }

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

void TApplication::HandleMessage() {
  if (!ProcessMessage() && !terminated_) ::WaitMessage();
}

bool TApplication::ProcessMessage() {
  MSG msg;
  if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return false;
  }
  if (busy_ && IsUserInput(msg.message)) return true;
  try {
    HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(root));
    const bool handled = form && ((msg.message == WM_KEYDOWN && form->DialogKey(static_cast<int>(msg.wParam))) ||
                                  FocusNextOfSharedAccelerator(root, msg.message, msg.wParam) ||
                                  ::IsDialogMessageA(root, &msg));
    if (!handled) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    RethrowCallbackException();
  } catch (...) {
    HandleException();
  }
  return true;
}

void TApplication::HandleException() {
  const std::string message = CurrentExceptionMessage();
  if (OnException) {
    OnException(*this, message);
  } else {
    ShowErrorBox(message, title_);
  }
}

}  // namespace kavrix
