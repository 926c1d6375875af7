#include <windows.h>

#include <cctype>
#include <string>

#include "ToolkitTestSupport.h"
#include "toolkit/Button.h"
#include "toolkit/DirectoryList.h"

namespace kavrix {
namespace {

// A directory tree in the temporary directory: <base>\Alpha\Beta and <base>\gamma.
class DirectoryListTest : public testing::ToolkitTest {
 protected:
  DirectoryListTest() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    base_ = std::string(temp) + "kavrix dirlist " + std::to_string(::GetCurrentProcessId());
    for (const char* name : {"", "\\Alpha", "\\Alpha\\Beta", "\\gamma"}) ::CreateDirectoryA((base_ + name).c_str(), nullptr);
    form_.SetBorderStyle(bsNone);
    form_.SetBounds(0, 0, 400, 300);
    list_ = new TDirectoryListBox(&form_);
    list_->SetParent(&form_);
    list_->SetBounds(8, 24, 201, 185);
    list_->SetItemHeight(16);
  }
  ~DirectoryListTest() override {
    for (const char* name : {"\\Alpha\\Beta", "\\Alpha", "\\gamma", ""}) ::RemoveDirectoryA((base_ + name).c_str());
  }

  std::string ListText(int index) {
    char text[MAX_PATH] = {};
    ::SendMessageA(list_->Handle(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
  }

  std::string base_;
  TForm form_{nullptr};
  TDirectoryListBox* list_;
};

TEST_F(DirectoryListTest, ListShowsAncestorsAndSubdirectoriesAndOpensEntries) {
  list_->SetDirectory(base_ + "\\Alpha\\");
  EXPECT_EQ(list_->Directory(), base_ + "\\Alpha") << "no backslash at the end but for a root";
  const int count = list_->EntryCount();
  ASSERT_GE(count, 3);
  EXPECT_EQ(list_->EntryPath(0), base_.substr(0, 3)) << "the drive root first";
  EXPECT_EQ(list_->EntryPath(count - 2), base_ + "\\Alpha") << "the current directory, last ancestor";
  EXPECT_EQ(list_->EntryPath(count - 1), base_ + "\\Alpha\\Beta") << "then its subdirectories";
  EXPECT_EQ(::SendMessageA(list_->Handle(), LB_GETCOUNT, 0, 0), count);
  EXPECT_EQ(ListText(count - 1), "Beta");
  EXPECT_EQ(::SendMessageA(list_->Handle(), LB_GETCURSEL, 0, 0), count - 2) << "the current directory is selected";

  int changes = 0;
  list_->OnChange = [&](TObject&) { ++changes; };
  // A double-click opens the selected entry.
  ::SendMessageA(list_->Handle(), LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
  ::SendMessageA(form_.Handle(), WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(list_->Handle()));
  EXPECT_EQ(list_->Directory(), base_ + "\\Alpha\\Beta");
  EXPECT_EQ(changes, 1);

  list_->OpenEntry(0);
  EXPECT_EQ(list_->Directory(), base_.substr(0, 3));
  EXPECT_EQ(list_->Directory().back(), '\\');
  ASSERT_GT(list_->EntryCount(), 1);
  EXPECT_EQ(list_->EntryPath(1), base_.substr(0, 3) + ListText(1)) << "a root's subdirectory gets one backslash";
}

TEST_F(DirectoryListTest, AMissingDirectoryIsRefusedAndChangesNothing) {
  list_->SetDirectory(base_ + "\\gamma");
  int changes = 0;
  list_->OnChange = [&](TObject&) { ++changes; };
  const std::string missing = base_ + "\\Alpha\\Missing";
  try {
    list_->SetDirectory(missing);
    FAIL() << "a missing directory was accepted";
  } catch (const EInvalidPath& e) {
    EXPECT_EQ(e.Message(), "Directory " + missing + " does not exist");
  }
  EXPECT_THROW(list_->SetDirectory(""), EInvalidPath);
  EXPECT_EQ(list_->Directory(), base_ + "\\gamma");
  EXPECT_EQ(changes, 0);
}

TEST_F(DirectoryListTest, EnterOnTheListPressesTheDefaultButtonWhichTakesTheEntryPickedWithTheArrows) {
  auto* ok = new TButton(&form_);
  ok->SetParent(&form_);
  ok->SetBounds(222, 8, 75, 25);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  ok->OnClick = [&](TObject&) { list_->OpenSelected(); };
  list_->SetDirectory(base_ + "\\Alpha");
  list_->OpenSelected();
  EXPECT_EQ(list_->Directory(), base_ + "\\Alpha") << "the selection is the current directory";
  form_.OnActivate = [&](TObject&) {
    list_->SetFocus();
    ::PostMessageA(list_->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(list_->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  };
  EXPECT_EQ(form_.ShowModal(), mrOk);
  EXPECT_EQ(list_->Directory(), base_ + "\\Alpha\\Beta");
}

int TextWidth(const TLabel& label, const std::string& text) {
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, label.Font().Handle());
  SIZE size{};
  ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  return size.cx;
}

TEST_F(DirectoryListTest, LinkedLabelShowsTheDirectoryShortenedToItsWidthOrTheLists) {
  const std::string deep = base_ + "\\Alpha\\Beta";
  auto* label = new TLabel(&form_);
  label->SetParent(&form_);
  label->SetAutoSize(false);
  label->SetWidth(120);
  list_->SetDirectory(deep);
  list_->SetDirLabel(label);
  const std::string shown = label->Caption();
  ASSERT_GT(TextWidth(*label, deep), 120) << "the test needs a path wider than the label";
  EXPECT_EQ(shown.substr(0, 7), deep.substr(0, 2) + "\\...\\");
  EXPECT_EQ(shown.substr(shown.size() - 5), "\\Beta");
  EXPECT_LE(TextWidth(*label, shown), 120);

  // A label sizing itself is fitted to the list instead; a wide list shows it whole.
  label->SetAutoSize(true);
  list_->SetWidth(2000);
  EXPECT_EQ(label->Caption(), deep);
  list_->SetWidth(201);
  EXPECT_LE(TextWidth(*label, label->Caption()), 201);
  list_->SetDirectory(base_ + "\\gamma");
  EXPECT_EQ(label->Caption().substr(label->Caption().size() - 6), "\\gamma") << "it follows the list";
}

TEST_F(DirectoryListTest, DriveListFollowsTheListAndMovesIt) {
  auto* drives = new TDriveComboBox(&form_);
  drives->SetParent(&form_);
  drives->SetBounds(8, 216, 201, 21);
  list_->SetDirectory(base_);
  drives->SetDirList(list_);
  EXPECT_EQ(list_->DriveCombo(), drives);
  EXPECT_EQ(drives->Drive(), base_[0]);
  HWND combo = drives->Handle();
  char text[64] = {};
  ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(::SendMessageA(combo, CB_GETCURSEL, 0, 0)),
                 reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::toupper(static_cast<unsigned char>(text[0])), base_[0]) << "the list's drive is selected";

  // The program's own drive is another one under Wine (Z:), and on Windows usually C:.
  char module[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, module, MAX_PATH);
  const char other = static_cast<char>(std::toupper(static_cast<unsigned char>(module[0])));
  if (other == base_[0]) GTEST_SKIP() << "one drive only";
  list_->SetDirectory(std::string(1, other) + ":\\");
  EXPECT_EQ(drives->Drive(), other) << "the list moves the drive list";

  // Choosing a drive in the window moves the list to it.
  const int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    if (std::toupper(static_cast<unsigned char>(text[0])) != base_[0]) continue;
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    ::SendMessageA(form_.Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  }
  EXPECT_EQ(drives->Drive(), base_[0]);
  EXPECT_EQ(list_->Directory().substr(0, 3), base_.substr(0, 3));

  drives->SetDirList(nullptr);
  EXPECT_EQ(list_->DriveCombo(), nullptr);
}

}  // namespace
}  // namespace kavrix
