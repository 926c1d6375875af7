// quorvel.exe started the ways the product is started: with a file name quoted or not,
// and through the "Edit with Quorvel 2.0" command text; and its prompt before losing
// changes. The tests drive the real program from outside, as a user's clicks would.

#include <gtest/gtest.h>

#include "ProductTestSupport.h"

namespace kavrix {
namespace {

using testing::ScratchFolder;

// The product's main window, found by its class and process.
HWND FindEditorWindow(DWORD processId) {
  for (HWND window = nullptr; (window = ::FindWindowExA(nullptr, window, "QuorvelEditor", nullptr));) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == processId) return window;
  }
  return nullptr;
}

std::string WindowTitle(HWND window) {
  char title[512] = {};
  ::GetWindowTextA(window, title, sizeof title);
  return title;
}

// GetWindowText does not read another process's edit control; WM_GETTEXT does.
std::string EditText(HWND editor) {
  HWND edit = ::FindWindowExA(editor, nullptr, "Edit", nullptr);
  const auto length = ::SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(::SendMessageA(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Installed as setup.exe installs it: in a folder whose name has a space.
    installDir_ = folder_.Path() + "\\Quorvel 2.0";
    testing::MakeDirectory(installDir_);
    testing::CopyProgram(KAVRIX_QUORVEL_EXE, installDir_ + "\\quorvel.exe");
    testing::MakeDirectory(folder_.Path() + "\\My Pages");
    page_ = folder_.Path() + "\\My Pages\\page one.htm";
    testing::WriteFile(page_, kPage);
  }

  // Starts the editor with `commandLine` and waits until its window shows `title`.
  HWND Start(const std::string& commandLine, const std::string& title) {
    process_ = testing::StartProcess(commandLine);
    if (!process_) return nullptr;
    const DWORD id = ::GetProcessId(process_.Get());
    HWND window = nullptr;
    testing::WaitUntil([&] { return (window = FindEditorWindow(id)) && WindowTitle(window) == title; }, 15'000);
    EXPECT_EQ(window ? WindowTitle(window) : "(no window)", title) << commandLine;
    return window;
  }

  // Closes the editor the way its close box does and returns its exit code.
  int Close(HWND window) {
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    return testing::WaitForExit(process_.Get(), 15'000);
  }

  static constexpr char kPage[] = "<html>\n<body>Quorvel page</body>\n</html>\n";
  static constexpr char kPageInEdit[] = "<html>\r\n<body>Quorvel page</body>\r\n</html>\r\n";

  ScratchFolder folder_;
  std::string installDir_;
  std::string page_;
  UniqueHandle process_;
};

TEST_F(EditorTest, OpensTheFileNamedWithOrWithoutQuotes) {
  const std::string program = "\"" + installDir_ + "\\quorvel.exe\"";
  for (const std::string& commandLine : {program + " \"" + page_ + "\"", program + " " + page_}) {
    HWND window = Start(commandLine, "page one.htm - Quorvel 2.0");
    ASSERT_TRUE(window);
    EXPECT_EQ(EditText(window), kPageInEdit);
    EXPECT_EQ(Close(window), 0);
  }
}

TEST_F(EditorTest, TheEditWithCommandTextStartsItOnThePage) {
  // The verb's command text as the installation writes it, %1 then filled in by the shell.
  std::string command = "\"" + installDir_ + "\\quorvel.exe\" \"%1\"";
  command.replace(command.find("%1"), 2, page_);
  HWND window = Start(command, "page one.htm - Quorvel 2.0");
  ASSERT_TRUE(window);
  EXPECT_EQ(EditText(window), kPageInEdit);
  EXPECT_EQ(Close(window), 0);
}

// Finds the question the editor asks before it drops changes.
HWND FindPrompt(DWORD processId) {
  for (HWND window = nullptr; (window = ::FindWindowExA(nullptr, window, "#32770", "Quorvel 2.0"));) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == processId && ::IsWindowVisible(window)) return window;
  }
  return nullptr;
}

TEST_F(EditorTest, AChangeMarksTheTitleAndIsSavedOnRequestWithTheFilesLineEnds) {
  HWND window = Start("\"" + installDir_ + "\\quorvel.exe\" " + page_, "page one.htm - Quorvel 2.0");
  ASSERT_TRUE(window);
  HWND edit = ::FindWindowExA(window, nullptr, "Edit", nullptr);
  ::PostMessageA(edit, WM_CHAR, 'X', 0);
  EXPECT_TRUE(testing::WaitUntil([&] { return WindowTitle(window) == "*page one.htm - Quorvel 2.0"; }, 10'000))
      << WindowTitle(window);

  ::PostMessageA(window, WM_CLOSE, 0, 0);
  HWND prompt = nullptr;
  ASSERT_TRUE(testing::WaitUntil([&] { return (prompt = FindPrompt(::GetProcessId(process_.Get()))); }, 10'000));
  EXPECT_TRUE(testing::FileExists(page_));
  EXPECT_EQ(testing::ReadFile(page_), kPage) << "nothing is written before the answer";
  ::PostMessageA(prompt, WM_COMMAND, IDYES, 0);
  EXPECT_EQ(testing::WaitForExit(process_.Get(), 15'000), 0);
  EXPECT_EQ(testing::ReadFile(page_), std::string("X") + kPage);
}

TEST_F(EditorTest, AnsweringCancelKeepsTheEditorAndItsChanges) {
  HWND window = Start("\"" + installDir_ + "\\quorvel.exe\" " + page_, "page one.htm - Quorvel 2.0");
  ASSERT_TRUE(window);
  ::PostMessageA(::FindWindowExA(window, nullptr, "Edit", nullptr), WM_CHAR, 'X', 0);
  ASSERT_TRUE(testing::WaitUntil([&] { return WindowTitle(window)[0] == '*'; }, 10'000));
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  HWND prompt = nullptr;
  ASSERT_TRUE(testing::WaitUntil([&] { return (prompt = FindPrompt(::GetProcessId(process_.Get()))); }, 10'000));
  ::PostMessageA(prompt, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(testing::WaitUntil([&] { return !FindPrompt(::GetProcessId(process_.Get())); }, 10'000));
  EXPECT_EQ(::WaitForSingleObject(process_.Get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(EditText(window), std::string("X") + kPageInEdit);

  // Answering No now drops the change.
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(testing::WaitUntil([&] { return (prompt = FindPrompt(::GetProcessId(process_.Get()))); }, 10'000));
  ::PostMessageA(prompt, WM_COMMAND, IDNO, 0);
  EXPECT_EQ(testing::WaitForExit(process_.Get(), 15'000), 0);
  EXPECT_EQ(testing::ReadFile(page_), kPage);
}

}  // namespace
}  // namespace kavrix
