#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>
#include <stdexcept>

#include "SystemTestSupport.h"
#include "foundation/Exceptions.h"
#include "system/CallbackGuard.h"
#include "system/DesktopShell.h"
#include "system/Execfile.h"

namespace kavrix {
namespace {

using Report = std::map<std::string, std::string>;

Report ParseReport(const std::string& path) {
  Report report;
  const std::string text = testing::FileExists(path) ? testing::ReadTextFile(path) : std::string();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const size_t equals = line.find('=');
    if (equals != std::string::npos) report[line.substr(0, equals)] = line.substr(equals + 1);
    start = end + 2;
  }
  return report;
}

// A message-only window whose procedure runs the test's handlers behind the callback
// boundary, as every window procedure of the toolkit does.
class MessageWindow {
 public:
  MessageWindow() {
    static const ATOM kClass = [] {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = &Procedure;
      windowClass.hInstance = ::GetModuleHandleA(nullptr);
      windowClass.lpszClassName = "KavrixTestMessageWindow";
      return ::RegisterClassA(&windowClass);
    }();
    handle_ = ::CreateWindowExA(0, MAKEINTATOM(kClass), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;
  ~MessageWindow() {
    ::KillTimer(handle_, 1);
    ::DestroyWindow(handle_);
  }

  HWND Handle() const { return handle_; }
  void StartTimer() { ::SetTimer(handle_, 1, 10, nullptr); }
  void Post() { ::PostMessageA(handle_, WM_APP, 0, 0); }

  std::function<void()> onTimer;
  std::function<void()> onPost;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardCallback(LRESULT{0}, [&]() -> LRESULT {
      auto* self = reinterpret_cast<MessageWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
      if (self && message == WM_TIMER && self->onTimer) self->onTimer();
      if (self && message == WM_APP && self->onPost) self->onPost();
      return ::DefWindowProcA(window, message, wParam, lParam);
    });
  }

  HWND handle_;
};

class ExecFileTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* name :
         {"KAVRIX_CHILD_REPORT", "KAVRIX_CHILD_SLEEP", "KAVRIX_CHILD_MODE", "KAVRIX_CHILD_EXIT"})
      ::SetEnvironmentVariableA(name, nullptr);
  }

  static std::string Child() { return testing::ProgramDirectory() + "\\system_test_child.exe"; }

  // Where the next started child reports, and how long it stays after reporting.
  std::string NextChild(const std::string& name, int sleepMilliseconds = 0) {
    const std::string report = temp_.File(name + ".txt");
    ::SetEnvironmentVariableA("KAVRIX_CHILD_REPORT", report.c_str());
    ::SetEnvironmentVariableA("KAVRIX_CHILD_SLEEP", std::to_string(sleepMilliseconds).c_str());
    return report;
  }

  // Waits for the last started child to end and returns its report.
  Report Finished(const std::string& report) {
    EXPECT_EQ(::WaitForSingleObject(exec_.ProcessHandle(), 30000), WAIT_OBJECT_0);
    return ParseReport(report);
  }

  Report Run(const std::string& name) {
    const std::string report = NextChild(name);
    EXPECT_TRUE(exec_.Execute()) << "error " << exec_.ErrorCode();
    return Finished(report);
  }

  bool Ended() const { return ::WaitForSingleObject(exec_.ProcessHandle(), 0) == WAIT_OBJECT_0; }

  testing::TempDirectory temp_;
  TExecFile exec_;
};

TEST_F(ExecFileTest, CommandTextIsCommandLineASpaceAndParameters) {
  exec_.SetCommandLine(Child());
  exec_.SetParameters("alpha  \"beta\"");
  EXPECT_EQ(Run("two")["command"], Child() + " alpha  \"beta\"");
  exec_.SetParameters("");
  EXPECT_EQ(Run("none")["command"], Child() + " ");
  exec_.SetParameters(std::string(255 - Child().size() - 1, 'x'));
  EXPECT_EQ(Run("longest")["command"].size(), 255u);
}

// Values and command texts cut to 255 characters started another program, or the right
// one with another document, without a word.
TEST_F(ExecFileTest, RegressionLongerTextIsRefusedNotCut) {
  const struct {
    const char* property;
    void (TExecFile::*assign)(const std::string&);
  } properties[] = {{"CommandLine", &TExecFile::SetCommandLine}, {"Parameters", &TExecFile::SetParameters}};
  for (const auto& property : properties) {
    try {
      (exec_.*property.assign)(std::string(256, 'c'));
      ADD_FAILURE() << property.property << ": no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), std::string(property.property) + " is longer than 255 characters");
    }
  }
  EXPECT_EQ(exec_.CommandLine(), "");
  EXPECT_EQ(exec_.Parameters(), "");

  int failures = 0;
  exec_.OnFail = [&](TObject&) { ++failures; };
  exec_.SetCommandLine(Child());
  exec_.SetParameters(std::string(255 - Child().size(), 'x'));  // one character too many with the space
  EXPECT_FALSE(exec_.Execute());
  EXPECT_EQ(failures, 1);
  EXPECT_EQ(exec_.ErrorCode(), static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_EQ(exec_.ProcessHandle(), nullptr);
}

// The window-state and priority tables were indexed with whatever value the property
// held, so one from outside the enumeration read past them.
TEST_F(ExecFileTest, RegressionValuesOutsideTheEnumerationsStartNothing) {
  int failures = 0;
  exec_.OnFail = [&](TObject&) { ++failures; };
  exec_.SetCommandLine(Child());
  exec_.SetWindowStyle(static_cast<TWindowStyle>(wsShowNoActivate + 1));
  EXPECT_FALSE(exec_.Execute());
  EXPECT_EQ(exec_.ErrorCode(), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
  exec_.SetWindowStyle(wsNorm);
  exec_.SetPriority(static_cast<TPriorityClass>(200));
  EXPECT_FALSE(exec_.Execute());
  EXPECT_EQ(exec_.ErrorCode(), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(failures, 2);
  EXPECT_EQ(exec_.ProcessHandle(), nullptr);
}

TEST_F(ExecFileTest, WindowStyleReachesTheProgram) {
  const struct {
    TWindowStyle style;
    int show;
  } styles[] = {{wsNorm, 1}, {wsMinimize, 2},      {wsMaximize, 3},
                {wsHide, 0}, {wsMinNoActivate, 7}, {wsShowNoActivate, 8}};
  exec_.SetCommandLine(Child());
  for (const auto& style : styles) {
    exec_.SetWindowStyle(style.style);
    Report report = Run("style" + std::to_string(style.show));
    EXPECT_EQ(report["flags"], "1") << style.show;
    EXPECT_EQ(report["show"], std::to_string(style.show));
  }
}

TEST_F(ExecFileTest, PriorityReachesTheProgram) {
  // Wine 8 starts every process in the normal class whatever the creation flags say;
  // Windows applies them. Find out which kind of system this is with a plain start.
  {
    const std::string report = NextChild("probe");
    std::string command = Child();
    STARTUPINFOA startupInfo{};
    startupInfo.cb = sizeof startupInfo;
    PROCESS_INFORMATION information{};
    ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, IDLE_PRIORITY_CLASS,
                                 nullptr, nullptr, &startupInfo, &information));
    UniqueHandle process(information.hProcess), thread(information.hThread);
    ::WaitForSingleObject(process.Get(), 30000);
    if (ParseReport(report)["priority"] != std::to_string(IDLE_PRIORITY_CLASS))
      GTEST_SKIP() << "this system does not apply the priority class given when starting a process";
  }
  const struct {
    TPriorityClass priority;
    DWORD priorityClass;
  } priorities[] = {{pcNormal, 0x20}, {pcIdle, 0x40}, {pcHigh, 0x80}, {pcRealTime, 0x100}};
  exec_.SetCommandLine(Child());
  for (const auto& priority : priorities) {
    exec_.SetPriority(priority.priority);
    const std::string granted = Run("priority" + std::to_string(priority.priority))["priority"];
    // Without the privilege to raise priorities, the system grants high instead of real time.
    EXPECT_TRUE(granted == std::to_string(priority.priorityClass) ||
                (priority.priority == pcRealTime && granted == std::to_string(HIGH_PRIORITY_CLASS)))
        << priority.priorityClass << ": " << granted;
  }
}

TEST_F(ExecFileTest, FailedStartsCallOnFailOnceWithTheErrorCode) {
  int failures = 0;
  TObject* sender = nullptr;
  exec_.OnFail = [&](TObject& from) {
    ++failures;
    sender = &from;
  };
  exec_.SetCommandLine(temp_.File("missing.exe"));
  EXPECT_FALSE(exec_.Execute());
  EXPECT_EQ(failures, 1);
  EXPECT_EQ(sender, &exec_);
  EXPECT_EQ(exec_.ErrorCode(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(exec_.ProcessHandle(), nullptr);

  // With the association retry, a missing document fails the look-up (the shell's code
  // for a missing file), and a document of an unregistered type has no association.
  exec_.SetAssociate(true);
  EXPECT_FALSE(exec_.Execute());
  EXPECT_EQ(failures, 2);
  EXPECT_EQ(exec_.ErrorCode(), 2u);
  testing::WriteTextFile(temp_.File("plain.kvxnone"), "");
  exec_.SetCommandLine(temp_.File("plain.kvxnone"));
  EXPECT_FALSE(exec_.Execute());
  EXPECT_EQ(failures, 3);
  EXPECT_EQ(exec_.ErrorCode(), 31u);

  exec_.OnFail = nullptr;
  EXPECT_FALSE(exec_.Execute()) << "no handler: still just false";
}

TEST_F(ExecFileTest, AssociateStartsTheRegisteredProgramWithDocumentAndParameters) {
  testing::TestRegistryKey key("ExecFile");
  UniqueRegKey classes = key.Create("Classes");
  testing::TestRegistryKey::SetRaw(key.Create("Classes\\.kvxtest").Get(), "", REG_SZ, "KavrixTest.Document");
  std::string command = "\"";
  command += Child() + "\" \"%1\"";
  testing::TestRegistryKey::SetRaw(key.Create("Classes\\KavrixTest.Document\\shell\\open\\command").Get(), "",
                                   REG_SZ, command + '\0');
  testing::PredefinedKeyOverride classesRoot(HKEY_CLASSES_ROOT, classes.Get());

  const std::string document = temp_.File("quorvel notes.kvxtest");
  testing::WriteTextFile(document, "notes");
  int failures = 0;
  exec_.OnFail = [&](TObject&) { ++failures; };
  exec_.SetAssociate(true);
  exec_.SetCommandLine(document);
  exec_.SetParameters("p1 p2");
  const Report report = Run("associated");
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(exec_.AssociatedProgram(), Child());
  // The document has a space in its name, so it is passed quoted as one argument.
  EXPECT_EQ(report.at("command"), Child() + " \"" + document + "\" p1 p2");
}

// The shell's look-up has found a program only when it answers above 32: 32 itself is
// one of its error codes, and a path it may have left in the buffer is not started.
TEST_F(ExecFileTest, AnAssociationLookUpAnswering32HasFailed) {
  const std::string document = temp_.File("answer.kvxlookup");
  testing::WriteTextFile(document, "");
  int failures = 0;
  exec_.OnFail = [&](TObject&) { ++failures; };
  exec_.SetAssociate(true);
  exec_.SetCommandLine(document);
  intptr_t answer = 32;
  std::string askedFor;
  exec_.FindProgram = [&](const std::string& file, std::string& program) {
    askedFor = file;
    program = Child();
    return answer;
  };

  std::string report = NextChild("answer32");
  EXPECT_FALSE(exec_.Execute());
  EXPECT_EQ(askedFor, document);
  EXPECT_EQ(failures, 1);
  EXPECT_EQ(exec_.ErrorCode(), 32u);
  EXPECT_EQ(exec_.ProcessHandle(), nullptr);
  EXPECT_TRUE(exec_.AssociatedProgram().empty());

  answer = 33;
  report = NextChild("answer33");
  EXPECT_TRUE(exec_.Execute()) << "error " << exec_.ErrorCode();
  EXPECT_EQ(failures, 1);
  EXPECT_EQ(exec_.AssociatedProgram(), Child());
  EXPECT_EQ(Finished(report).at("command"), Child() + " " + document + " ");
}

// The look-up's buffer holds a full path (MAX_PATH), so an associated program whose path
// is longer than 255 characters comes back whole; starting it then fails, as its command
// text is over the limit, instead of starting a cut path.
TEST_F(ExecFileTest, AnAssociatedProgramWithALongPathIsFoundWhole) {
  std::string folder = temp_.File("");
  while (folder.size() < 230) {
    folder += std::string(std::min<size_t>(60, 240 - folder.size()), 'd') + "\\";
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS) << folder;
  }
  const std::string program = folder + std::string(257 - folder.size() - 4, 'p') + ".exe";
  ASSERT_EQ(program.size(), 257u);
  ASSERT_TRUE(::CopyFileA(Child().c_str(), program.c_str(), FALSE));

  testing::TestRegistryKey key("ExecFileLong");
  UniqueRegKey classes = key.Create("Classes");
  testing::TestRegistryKey::SetRaw(key.Create("Classes\\.kvxlong").Get(), "", REG_SZ, "KavrixTest.Long");
  testing::TestRegistryKey::SetRaw(key.Create("Classes\\KavrixTest.Long\\shell\\open\\command").Get(), "",
                                   REG_SZ, "\"" + program + "\" \"%1\"" + '\0');
  testing::PredefinedKeyOverride classesRoot(HKEY_CLASSES_ROOT, classes.Get());
  const std::string document = temp_.File("long.kvxlong");
  testing::WriteTextFile(document, "");
  exec_.SetAssociate(true);
  exec_.SetCommandLine(document);
  EXPECT_FALSE(exec_.Execute());
  EXPECT_EQ(exec_.AssociatedProgram(), program);
  EXPECT_EQ(exec_.ErrorCode(), static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE));
  ::DeleteFileA(program.c_str());
}

TEST_F(ExecFileTest, ProgramPathWithSpacesIsNotMistakenForAShorterOne) {
  const std::string folder = temp_.File("Program Dir");
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  const std::string program = folder + "\\child prog.exe";
  ASSERT_TRUE(::CopyFileA(Child().c_str(), program.c_str(), FALSE));
  // What the system would start first for the unquoted text.
  ASSERT_TRUE(::CopyFileA(Child().c_str(), temp_.File("Program.exe").c_str(), FALSE));
  exec_.SetCommandLine(program);
  exec_.SetParameters("arg");
  const Report report = Run("spaced");
  EXPECT_EQ(report.at("module"), program);
  EXPECT_EQ(report.at("command"), "\"" + program + "\" arg");
}

TEST_F(ExecFileTest, WaitReturnsOnlyAfterTheProgramEnded) {
  MessageWindow window;
  int ticks = 0;
  bool waitingSeen = false;
  window.onTimer = [&] {
    ++ticks;
    waitingSeen = waitingSeen || exec_.Waiting();
  };
  window.StartTimer();
  exec_.SetCommandLine(Child());
  exec_.SetWait(true);

  exec_.SetWaitStyle(wSuspend);
  std::string report = NextChild("suspend", 400);
  EXPECT_TRUE(exec_.Execute());
  EXPECT_TRUE(Ended());
  EXPECT_EQ(ParseReport(report)["end"], "1");
  EXPECT_EQ(ticks, 0) << "a suspended wait dispatches nothing";

  exec_.SetWaitStyle(wRegular);
  report = NextChild("regular", 400);
  EXPECT_TRUE(exec_.Execute());
  EXPECT_TRUE(Ended());
  EXPECT_EQ(ParseReport(report)["end"], "1");
  EXPECT_GT(ticks, 0) << "a regular wait keeps the windows serviced";
  EXPECT_TRUE(waitingSeen);
  EXPECT_FALSE(exec_.Waiting());
}

TEST_F(ExecFileTest, ExceptionFromAHandlerDuringTheWaitLeavesExecute) {
  MessageWindow window;
  window.onPost = [] { throw std::runtime_error("handler failed"); };
  window.Post();
  exec_.SetCommandLine(Child());
  exec_.SetWait(true);
  exec_.SetWaitStyle(wRegular);
  NextChild("throwing", 5000);
  try {
    exec_.Execute();
    ADD_FAILURE() << "the handler's exception was lost";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "handler failed");
  }
  EXPECT_FALSE(exec_.Waiting());
  EXPECT_FALSE(Ended()) << "the program runs on";
  ::TerminateProcess(exec_.ProcessHandle(), 0);
  ::WaitForSingleObject(exec_.ProcessHandle(), 30000);
}

TEST_F(ExecFileTest, NestedExecuteDuringTheWaitKeepsWaitingForTheFirstProgram) {
  MessageWindow window;
  window.onPost = [&] {
    NextChild("inner", 0);
    EXPECT_TRUE(exec_.Execute());
  };
  // A wait on a handle that was closed under it may never end: fail instead of hanging.
  const DWORD start = ::GetTickCount();
  window.onTimer = [start] {
    if (::GetTickCount() - start > 20000) throw std::runtime_error("still waiting after 20 s");
  };
  window.StartTimer();
  window.Post();
  exec_.SetCommandLine(Child());
  exec_.SetWait(true);
  exec_.SetWaitStyle(wRegular);
  const std::string outer = NextChild("outer", 1500);
  EXPECT_TRUE(exec_.Execute());
  EXPECT_EQ(ParseReport(outer)["end"], "1") << "returned before the first program ended";
  EXPECT_EQ(ParseReport(temp_.File("inner.txt"))["end"], "1");
}

TEST_F(ExecFileTest, QuitRequestDuringTheWaitEndsTheProgramWithItsCode) {
  exec_.SetCommandLine(Child());
  exec_.SetWait(true);
  exec_.SetWaitStyle(wSuspend);
  ::SetEnvironmentVariableA("KAVRIX_CHILD_MODE", "quitwait");
  const std::string report = NextChild("quitting");
  ASSERT_TRUE(exec_.Execute());
  DWORD exitCode = 0;
  ASSERT_TRUE(::GetExitCodeProcess(exec_.ProcessHandle(), &exitCode));
  EXPECT_EQ(exitCode, 42u);
  EXPECT_EQ(ParseReport(report).count("returned"), 0u) << "Execute came back after the quit request";

  // The program the quitting one started runs on; wait for it here.
  Report grandchild;
  for (int tries = 0; tries < 200 && grandchild["pid"].empty(); ++tries) {
    ::Sleep(50);
    grandchild = ParseReport(report + ".grand");
  }
  ASSERT_FALSE(grandchild["pid"].empty());
  UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::stoul(grandchild["pid"]))));
  if (process) ::WaitForSingleObject(process.Get(), 30000);
  EXPECT_EQ(ParseReport(report + ".grand")["end"], "1");
}

TEST_F(ExecFileTest, AsDesktopUserAsksTheShellFirstAndStartsTheProgramItselfWhereItCannot) {
  struct Request {
    std::string program;
    std::string parameters;
    int showCommand;
  };
  std::vector<Request> requests;
  bool shellStarts = false;
  exec_.DesktopStart = [&](const std::string& program, const std::string& parameters, int showCommand) {
    requests.push_back({program, parameters, showCommand});
    return shellStarts;
  };
  exec_.SetAsDesktopUser(true);
  exec_.SetCommandLine("\"" + Child() + "\"");
  exec_.SetParameters("\"a file.txt\"");
  exec_.SetWindowStyle(wsMaximize);

  const Report report = Run("direct");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].program, Child()) << "the shell gets the path without quotes";
  EXPECT_EQ(requests[0].parameters, "\"a file.txt\"");
  EXPECT_EQ(requests[0].showCommand, SW_SHOWMAXIMIZED);
  EXPECT_EQ(report.at("command"), "\"" + Child() + "\" \"a file.txt\"") << "no shell: started directly";
  EXPECT_EQ(report.at("show"), std::to_string(SW_SHOWMAXIMIZED));

  shellStarts = true;
  int failures = 0;
  exec_.OnFail = [&](TObject&) { ++failures; };
  EXPECT_TRUE(exec_.Execute());
  EXPECT_EQ(requests.size(), 2u);
  EXPECT_EQ(exec_.ProcessHandle(), nullptr) << "the shell started it, not this process";
  EXPECT_EQ(failures, 0);

  // Waiting needs a process handle, which only a start of its own gives.
  exec_.SetWait(true);
  const std::string waited = NextChild("waited");
  EXPECT_TRUE(exec_.Execute());
  EXPECT_EQ(ParseReport(waited)["end"], "1");
  EXPECT_EQ(requests.size(), 2u);
}

// Wine has no user account control, and its desktop may offer no shell view to ask; the
// route is then refused and nothing is started. Where it is taken, the program runs.
TEST_F(ExecFileTest, TheDesktopShellStartsTheProgramOrSaysItCannot) {
  const std::string marker = temp_.File("shell-started.txt");
  ::SetEnvironmentVariableA("KAVRIX_CHILD_REPORT", nullptr);
  if (!StartAsDesktopUser(Child(), "\"" + marker + "\"", SW_SHOWNORMAL)) {
    ::Sleep(500);
    EXPECT_EQ(::GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES);
    GTEST_SKIP() << "no desktop shell to ask here";
  }
  bool reported = false;
  for (int i = 0; i < 100 && !reported; ++i, ::Sleep(100)) {
    reported = ::GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  EXPECT_TRUE(reported) << "the shell said it started the program";
}

TEST_F(ExecFileTest, StartsReleaseTheirHandles) {
  exec_.SetCommandLine(Child());
  Run("warm");
  const unsigned before = testing::ProcessHandleCount();
  {
    TExecFile exec;
    exec.SetCommandLine(temp_.File("missing.exe"));
    for (int i = 0; i < 1000; ++i) EXPECT_FALSE(exec.Execute());
    exec.SetCommandLine(Child());
    exec.SetWait(true);
    for (int i = 0; i < 6; ++i) {
      exec.SetWaitStyle(i % 2 ? wSuspend : wRegular);
      NextChild("leak" + std::to_string(i));
      EXPECT_TRUE(exec.Execute());
    }
    EXPECT_NE(exec.ProcessHandle(), nullptr);
  }
  EXPECT_EQ(testing::ProcessHandleCount(), before);
}

}  // namespace
}  // namespace kavrix
