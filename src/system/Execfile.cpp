#include "system/Execfile.h"

#include <cstdlib>
#include <iterator>
#include <utility>
#include <vector>

#include "foundation/Exceptions.h"
#include "system/CallbackGuard.h"
#include "system/DesktopShell.h"
#include "system/Win32Handles.h"  // before <shellapi.h>, which needs <windows.h>

#include <shellapi.h>

namespace kavrix {
namespace {

constexpr WORD kShowWindowValues[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED,   SW_SHOWMAXIMIZED,
                                      SW_HIDE,       SW_SHOWMINNOACTIVE, SW_SHOWNA};
constexpr DWORD kPriorityClasses[] = {NORMAL_PRIORITY_CLASS, IDLE_PRIORITY_CLASS, HIGH_PRIORITY_CLASS,
                                      REALTIME_PRIORITY_CLASS};

// A longer value cut to fit could name another program or document, so it is refused.
const std::string& CheckedInString(const std::string& value, const char* property) {
  if (value.size() > TExecFile::kInStringLength) {
    throw Exception(std::string(property) + " is longer than " + std::to_string(TExecFile::kInStringLength) +
                    " characters");
  }
  return value;
}

// Unquoted, a program path with a space lets the system try each shorter path first
// ("C:\Program Files\App\app.exe" would run a "C:\Program.exe"). A text that names an
// existing file as a whole cannot carry arguments, so quoting it changes nothing else.
std::string QuotedIfSpacedFile(const std::string& text) {
  if (text.find(' ') == std::string::npos || text.front() == '"') return text;
  const DWORD attributes = ::GetFileAttributesA(text.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return text;
  return '"' + text + '"';
}

// The result buffer takes a full path, as the call requires.
intptr_t FindExecutableProgram(const std::string& document, std::string& program) {
  char found[MAX_PATH] = {};
  const auto result = reinterpret_cast<INT_PTR>(::FindExecutableA(document.c_str(), "", found));
  program = found;
  return result;
}

// Dispatches what is pending once more after the wait. A quit request is left in the
// queue for the application's main loop, which ends the program when control returns.
void ProcessPendingMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
    RethrowCallbackException();
  }
}

}  // namespace

struct TExecFile::Started {
  UniqueHandle process;
  UniqueHandle thread;
  DWORD processId = 0;
};

TExecFile::TExecFile(TComponent* owner)
    : TComponent(owner), DesktopStart(StartAsDesktopUser), FindProgram(FindExecutableProgram) {}

TExecFile::~TExecFile() = default;

void* TExecFile::ProcessHandle() const noexcept { return started_ ? started_->process.Get() : nullptr; }

uint32_t TExecFile::ProcessId() const noexcept { return started_ ? started_->processId : 0; }

bool TExecFile::Execute() {
  started_.reset();
  // Only a window state from the enumeration can be handed on; Start refuses the others.
  if (asDesktopUser_ && !wait_ && DesktopStart && !commandLine_.empty() &&
      windowStyle_ < std::size(kShowWindowValues)) {
    const bool quoted = commandLine_.size() >= 2 && commandLine_.front() == '"' && commandLine_.back() == '"';
    const std::string program = quoted ? commandLine_.substr(1, commandLine_.size() - 2) : commandLine_;
    if (DesktopStart(program, parameters_, kShowWindowValues[windowStyle_])) return true;
  }
  DWORD error = Start(QuotedIfSpacedFile(commandLine_) + ' ' + parameters_);
  if (error != ERROR_SUCCESS && associate_ && FindProgram) {
    // The shell's result is its own error code (SE_ERR_*); the last-error value is not
    // necessarily set by the look-up. Success is a value above 32, so 32 itself is a
    // failure.
    std::string found;
    const intptr_t result = FindProgram(commandLine_, found);
    if (result <= 32) return Fail(static_cast<uint32_t>(result));
    associatedProgram_ = found;
    error = Start(QuotedIfSpacedFile(associatedProgram_) + ' ' + QuotedIfSpacedFile(commandLine_) + ' ' +
                  parameters_);
  }
  if (error != ERROR_SUCCESS) return Fail(error);
  if (wait_) WaitForProcess();
  return true;
}

bool TExecFile::Fail(uint32_t errorCode) {
  errorCode_ = errorCode;
  if (OnFail) OnFail(*this);
  return false;
}

void TExecFile::SetCommandLine(const std::string& value) { commandLine_ = CheckedInString(value, "CommandLine"); }

void TExecFile::SetParameters(const std::string& value) { parameters_ = CheckedInString(value, "Parameters"); }

uint32_t TExecFile::Start(const std::string& command) {
  // A command text cut to fit would start something else; values from outside the
  // enumerations (a damaged form) have no window state or priority to give.
  if (command.size() > kInStringLength) return ERROR_FILENAME_EXCED_RANGE;
  if (windowStyle_ >= std::size(kShowWindowValues) || priority_ >= std::size(kPriorityClasses)) {
    return ERROR_INVALID_PARAMETER;
  }
  STARTUPINFOA startupInfo{};
  startupInfo.cb = sizeof startupInfo;
  startupInfo.dwFlags = STARTF_USESHOWWINDOW;
  startupInfo.wShowWindow = kShowWindowValues[windowStyle_];
  // CreateProcessA may write into the command text, so it gets a copy of its own.
  std::vector<char> commandText(command.begin(), command.end());
  commandText.push_back('\0');
  PROCESS_INFORMATION information{};
  if (!::CreateProcessA(nullptr, commandText.data(), nullptr, nullptr, FALSE,
                        kPriorityClasses[priority_] | CREATE_NEW_CONSOLE, nullptr, nullptr, &startupInfo,
                        &information))
    return ::GetLastError();
  started_ = std::make_unique<Started>();
  started_->process.Reset(information.hProcess);
  started_->thread.Reset(information.hThread);
  started_->processId = information.dwProcessId;
  return ERROR_SUCCESS;
}

void TExecFile::WaitForProcess() {
  // A handler run during the wait may start another program with this component, which
  // closes the handles of this one: the wait holds a handle of its own.
  UniqueHandle process;
  if (!::DuplicateHandle(::GetCurrentProcess(), started_->process.Get(), ::GetCurrentProcess(), process.Put(),
                         SYNCHRONIZE, FALSE, 0))
    process.Reset();
  const HANDLE handle = process ? process.Get() : started_->process.Get();

  struct WaitingScope {
    bool& flag;
    bool previous;
    ~WaitingScope() { flag = previous; }
  } waitingScope{waiting_, std::exchange(waiting_, true)};

  if (waitStyle_ == wSuspend) {
    ::WaitForSingleObject(handle, INFINITE);
    return;
  }
  for (;;) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) std::exit(static_cast<int>(message.wParam));
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
      RethrowCallbackException();
    }
    // Sleeps until the program ends or new input arrives, rather than polling: waiting
    // costs no processor time. A failed wait ends the wait as an ended program does.
    if (::MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) !=
        WAIT_OBJECT_0 + 1)
      break;
  }
  ProcessPendingMessages();
}

}  // namespace kavrix
