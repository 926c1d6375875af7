#pragma once
// The application: its title, its forms (the first one created is the main form, whose
// closing ends the program), the message loop and the handler of exceptions that reach it.

#include <exception>
#include <functional>
#include <string>

#include "foundation/Component.h"
#include "toolkit/Form.h"

struct HICON__;

namespace kavrix {

class TApplication : public TComponent {
 public:
  // The program has one application at a time; it is reachable as `Application`.
  TApplication();
  ~TApplication() override;

  // Defaults to the program file's name without extension.
  const std::string& Title() const noexcept { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }

  TForm* MainForm() const noexcept { return mainForm_; }

  // The program's icon: the "MAINICON" icon resource of its file, shared by the system;
  // null when the program has none.
  HICON__* Icon() const;

  // Creates a form of class T owned by the application, stores it in `reference`, makes
  // it the main form if there is none yet, and raises its OnCreate.
  template <typename T>
  void CreateForm(T*& reference) {
    reference = new T(this);
    if (!mainForm_) mainForm_ = reference;
    reference->DoCreate();
  }

  // Shows the main form and handles messages until the application is terminated.
  void Run();
  // Asks the loop to end by posting the quit message; Terminated becomes true when the
  // loop receives it.
  void Terminate();
  bool Terminated() const noexcept { return terminated_; }
  // Handles every message waiting now, then returns.
  void ProcessMessages();
  // Handles one message, waiting for one when none is there.
  void HandleMessage();

  // Set while a TBusyScope lives: the user's input is dropped and forms act on no
  // request of the user.
  bool Busy() const noexcept { return busy_; }
  void SetBusy(bool busy) noexcept { busy_ = busy; }

  // Reports the current exception (call inside a catch block): through OnException when
  // set, else its message in the error box, captioned with the title.
  void HandleException();
  std::function<void(TObject& sender, const std::string& message)> OnException;

 private:
  bool ProcessMessage();

  std::string title_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool busy_ = false;
};

extern TApplication* Application;

}  // namespace kavrix
