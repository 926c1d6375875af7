// The program the launcher tests start. It reports how it was started into the file
// named by KAVRIX_CHILD_REPORT, as "key=value" lines:
//   command   its command line            module  the path of its executable
//   flags     STARTUPINFO dwFlags         show    STARTUPINFO wShowWindow
//   priority  its priority class          pid     its process identifier
// (started without it, as the desktop's shell starts it with the shell's environment, into
// the file its last argument names), then waits KAVRIX_CHILD_SLEEP milliseconds, appends "end=1" and exits with
// KAVRIX_CHILD_EXIT. With KAVRIX_CHILD_MODE=quitwait it instead starts itself (reporting
// to <report>.grand, sleeping 1500 ms) through TExecFile with a wRegular wait while a
// quit request with exit code 42 is pending; "returned=1" is appended only if Execute
// comes back.

#include <cstdlib>
#include <fstream>
#include <string>

#include "system/Execfile.h"
#include "system/Win32Handles.h"

namespace {

std::string Environment(const char* name) {
  char value[1024];
  const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string ModulePath() {
  char path[MAX_PATH];
  return std::string(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
}

void Append(const std::string& path, const std::string& lines) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << lines;
}

int QuitWhileWaiting(const std::string& report) {
  ::SetEnvironmentVariableA("KAVRIX_CHILD_MODE", nullptr);
  ::SetEnvironmentVariableA("KAVRIX_CHILD_REPORT", (report + ".grand").c_str());
  ::SetEnvironmentVariableA("KAVRIX_CHILD_SLEEP", "1500");
  kavrix::TExecFile exec;
  exec.SetCommandLine(ModulePath());
  exec.SetWait(true);
  exec.SetWaitStyle(kavrix::wRegular);
  ::PostQuitMessage(42);
  exec.Execute();
  Append(report, "returned=1\r\n");
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::string report = Environment("KAVRIX_CHILD_REPORT");
  if (report.empty() && __argc > 1) report = __argv[__argc - 1];
  if (report.empty()) return 3;
  STARTUPINFOA startupInfo{};
  startupInfo.cb = sizeof startupInfo;
  ::GetStartupInfoA(&startupInfo);
  Append(report, "command=" + std::string(::GetCommandLineA()) + "\r\nmodule=" + ModulePath() +
                     "\r\nflags=" + std::to_string(startupInfo.dwFlags) +
                     "\r\nshow=" + std::to_string(startupInfo.wShowWindow) +
                     "\r\npriority=" + std::to_string(::GetPriorityClass(::GetCurrentProcess())) +
                     "\r\npid=" + std::to_string(::GetCurrentProcessId()) + "\r\n");
  if (Environment("KAVRIX_CHILD_MODE") == "quitwait") return QuitWhileWaiting(report);
  ::Sleep(static_cast<DWORD>(std::atoi(Environment("KAVRIX_CHILD_SLEEP").c_str())));
  Append(report, "end=1\r\n");
  return std::atoi(Environment("KAVRIX_CHILD_EXIT").c_str());
}
