#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "SystemTestSupport.h"
#include "archive/FStorage.h"
#include "installer/FileSystem.h"
#include "installer/Unit3.h"
#include "installer/Unit6.h"
#include "toolkit/Application.h"

namespace kavrix {
namespace {

void WriteFile(const std::string& path, const std::string& text = "old") { std::ofstream(path) << text; }

TEST(DeleteOldFilesTest, RemovesTheFourOldFilesEvenReadOnlyAndNothingElse) {
  testing::TempDirectory destination;
  DestDir = destination.Path();
  for (const char* name : {"\\quorvel.exe", "\\readme.txt", "\\uninstall.exe", "\\quorvel.hlp", "\\notes.txt"}) {
    WriteFile(DestDir + name);
  }
  ::SetFileAttributesA((DestDir + "\\quorvel.exe").c_str(), FILE_ATTRIBUTE_READONLY);
  DeleteOldFiles();
  for (const char* name : {"\\quorvel.exe", "\\readme.txt", "\\uninstall.exe", "\\quorvel.hlp"}) {
    EXPECT_FALSE(FileExists(DestDir + name)) << name;
  }
  EXPECT_TRUE(FileExists(DestDir + "\\notes.txt")) << "a file the installation does not own stays";
  DeleteOldFiles();  // nothing there any more: no error
}

TEST(ExpandEnvironmentTest, ReplacesReferencesAndKeepsPlainText) {
  ::SetEnvironmentVariableA("KAVRIX_TEST_FOLDER", "C:\\Programs");
  EXPECT_EQ(ExpandEnvironment("%KAVRIX_TEST_FOLDER%\\Quorvel 2.0"), "C:\\Programs\\Quorvel 2.0");
  EXPECT_EQ(ExpandEnvironment("C:\\Plain"), "C:\\Plain");
  EXPECT_EQ(ExpandEnvironment(""), "");
}

class NewDirectoryDialogTest : public ::testing::Test {
 protected:
  NewDirectoryDialogTest() : dialog_(new TForm6(&app_)) {
    dialog_->DirectoryListBox1->SetDirectory(parent_.Path());
  }
  std::string Create(const std::string& name) {
    dialog_->Edit1->SetText(name);
    dialog_->Button1->Click();
    return dialog_->DirectoryListBox1->Directory();
  }

  TApplication app_;
  testing::TempDirectory parent_;
  TForm6* dialog_;
};

TEST_F(NewDirectoryDialogTest, ANameWithOrWithoutLeadingBackslashIsCreatedBelowTheCurrentDirectory) {
  EXPECT_EQ(Create("\\First"), parent_.Path() + "\\First");
  EXPECT_TRUE(DirectoryExists(parent_.Path() + "\\First"));
  dialog_->DirectoryListBox1->SetDirectory(parent_.Path());
  EXPECT_EQ(Create("Second"), parent_.Path() + "\\Second");
  EXPECT_EQ(dialog_->ModalResult(), mrOk) << "the button's own result is set first";
}

TEST_F(NewDirectoryDialogTest, TheLoneBackslashOrNothingCreatesNothing) {
  EXPECT_EQ(Create("\\"), parent_.Path());
  EXPECT_EQ(Create(""), parent_.Path());
}

TEST_F(NewDirectoryDialogTest, AnExistingDirectoryRaisesAndTheListStays) {
  Create("Twice");
  dialog_->DirectoryListBox1->SetDirectory(parent_.Path());
  EXPECT_THROW(Create("Twice"), EInOutError);
  EXPECT_EQ(dialog_->DirectoryListBox1->Directory(), parent_.Path());
  EXPECT_EQ(dialog_->Edit1->Text(), "Twice") << "the name typed last is kept";
}

}  // namespace
}  // namespace kavrix
