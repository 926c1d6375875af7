#pragma once
// TExecFile: starts another program as a new process, with a chosen window state and
// priority class, optionally through the file association of a document, and can wait
// for it to end. A start that fails is reported through OnFail and the result of Execute,
// never by an exception or a message.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/Component.h"

namespace kavrix {

enum TWindowStyle : uint8_t { wsNorm, wsMinimize, wsMaximize, wsHide, wsMinNoActivate, wsShowNoActivate };
enum TPriorityClass : uint8_t { pcNormal, pcIdle, pcHigh, pcRealTime };
// wRegular keeps the application's windows serviced while waiting; wSuspend blocks the
// calling thread, and with it the user interface, until the program has ended.
enum TWaitStyle : uint8_t { wRegular, wSuspend };

class TExecFile : public TComponent {
 public:
  // The longest text an InString property holds; CommandLine and Parameters refuse a
  // longer one with an Exception naming the property.
  static constexpr size_t kInStringLength = 255;

  explicit TExecFile(TComponent* owner = nullptr);
  // Closes the handles of the last started program; the program itself runs on.
  ~TExecFile() override;

  // Starts "CommandLine Parameters" (one space between them even when Parameters is
  // empty); a text over 255 characters is not started (ERROR_FILENAME_EXCED_RANGE), nor
  // is a WindowStyle or Priority outside its enumeration (ERROR_INVALID_PARAMETER).
  // When that fails and Associate is set, starts the program associated with
  // CommandLine as a document instead, with the document and Parameters as its
  // arguments. True when a program was started and, with Wait, has ended; false after a
  // failed start, once OnFail has been called.
  //
  // CommandLine is passed as written, except that one naming an existing file whose path
  // contains a space is quoted, so that the system cannot take a shorter path for the
  // program; the same holds for the associated program and the document in the retry.
  //
  // While waiting in wRegular mode, messages are dispatched, so the caller's event
  // handlers may run inside Execute; an exception they raise ends the wait and
  // propagates from Execute (the program runs on). A quit request received while
  // waiting ends the whole program at once with the request's exit code.
  bool Execute();

  bool Associate() const noexcept { return associate_; }
  void SetAssociate(bool value) noexcept { associate_ = value; }
  TPriorityClass Priority() const noexcept { return priority_; }
  void SetPriority(TPriorityClass value) noexcept { priority_ = value; }
  bool Wait() const noexcept { return wait_; }
  void SetWait(bool value) noexcept { wait_ = value; }
  TWaitStyle WaitStyle() const noexcept { return waitStyle_; }
  void SetWaitStyle(TWaitStyle value) noexcept { waitStyle_ = value; }
  TWindowStyle WindowStyle() const noexcept { return windowStyle_; }
  void SetWindowStyle(TWindowStyle value) noexcept { windowStyle_ = value; }
  const std::string& CommandLine() const noexcept { return commandLine_; }
  void SetCommandLine(const std::string& value);
  const std::string& Parameters() const noexcept { return parameters_; }
  void SetParameters(const std::string& value);

  // When set, and Wait is not, Execute first asks the desktop's shell to start the
  // program, so that it runs as the user logged on to the desktop rather than with this
  // program's rights (an installer's administrator rights); CommandLine is then the
  // program's path, quoted or not, and Parameters its arguments. Where the shell cannot be
  // reached the program is started directly, as without this setting. A program the shell
  // started has no process handle here.
  bool AsDesktopUser() const noexcept { return asDesktopUser_; }
  void SetAsDesktopUser(bool value) noexcept { asDesktopUser_ = value; }

  // How the desktop's shell is asked: StartAsDesktopUser (system/DesktopShell.h) with the
  // program unquoted, Parameters and the show-window value of WindowStyle; true when the
  // shell started it.
  std::function<bool(const std::string& program, const std::string& parameters, int showCommand)> DesktopStart;

  // How the program associated with a document is looked up for the retry: the shell's
  // result, a value above 32 when it found one (whose path is then in `program`), else
  // its error code. FindExecutable by default; none means no retry.
  std::function<intptr_t(const std::string& document, std::string& program)> FindProgram;

  // Called, with this component as sender, after a start that failed; once per Execute.
  TNotifyEvent OnFail;

  // The platform's code for the last failure, recorded just before OnFail: the system
  // error code of the start, or the shell's result code (0, 2, 3, 5, 8, 11, 26..32) when
  // the association look-up failed.
  uint32_t ErrorCode() const noexcept { return errorCode_; }
  // True while Execute waits for the program to end.
  bool Waiting() const noexcept { return waiting_; }
  // The program found through the association in the last retry.
  const std::string& AssociatedProgram() const noexcept { return associatedProgram_; }
  // The last started program's process handle (owned by this component until the next
  // Execute or its destruction) and identifier; null and 0 when there is none.
  void* ProcessHandle() const noexcept;
  uint32_t ProcessId() const noexcept;

 private:
  struct Started;

  bool Fail(uint32_t errorCode);
  uint32_t Start(const std::string& command);
  void WaitForProcess();

  bool associate_ = false;
  bool asDesktopUser_ = false;
  TPriorityClass priority_ = pcNormal;
  bool wait_ = false;
  TWaitStyle waitStyle_ = wRegular;
  TWindowStyle windowStyle_ = wsNorm;
  std::string commandLine_;
  std::string parameters_;
  std::string associatedProgram_;
  uint32_t errorCode_ = 0;
  bool waiting_ = false;
  std::unique_ptr<Started> started_;
};

}  // namespace kavrix
