#pragma once
// Choosing a directory: a list of the current directory's ancestors and subdirectories,
// a list of the drives linked to it, and a label linked to it that shows the current
// directory shortened to fit.

#include <string>
#include <vector>

#include "foundation/Exceptions.h"
#include "toolkit/Label.h"
#include "toolkit/WinControl.h"
#include "toolkit/layout/DpiScale.h"

namespace kavrix {

class EInvalidPath : public Exception {
 public:
  using Exception::Exception;
};

class TDriveComboBox;

class TDirectoryListBox : public TWinControl {
 public:
  explicit TDirectoryListBox(TComponent* owner);
  ~TDirectoryListBox() override;

  // The full path of the current directory: a drive root ends in "\", other paths not.
  const std::string& Directory() const noexcept { return directory_; }
  // Makes `path` (absolute, or relative to the process' current directory) current,
  // switching drive when needed. Raises EInvalidPath "Directory %s does not exist" and
  // changes nothing when it is not a directory.
  void SetDirectory(const std::string& path);
  // Makes the entry at `index` current (what a double-click on it does).
  void OpenEntry(int index);
  // Makes the selected entry current when the selection has moved away from the current
  // directory (by the arrow keys or a single click): what a dialog confirming the
  // choice takes as chosen.
  void OpenSelected();
  int EntryCount() const noexcept { return static_cast<int>(entries_.size()); }
  // The entry's full path.
  std::string EntryPath(int index) const;

  int ItemHeight() const noexcept { return itemHeight_; }
  void SetItemHeight(int itemHeight);

  // The label showing Directory; its caption is the path shortened to the label's width,
  // or, when the label sizes itself, to the list's width. The label must stay alive
  // while linked (link another or null before it goes).
  TLabel* DirLabel() const noexcept { return dirLabel_; }
  void SetDirLabel(TLabel* label);
  TDriveComboBox* DriveCombo() const noexcept { return driveCombo_; }

  // Raised after the current directory changed.
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void ChangeScale(int toDpi, int fromDpi) override;
  void CommandNotify(uint16_t code) override;
  void DrawItem(const tagDRAWITEMSTRUCT& item) override;
  void Resized() override;

 private:
  friend class TDriveComboBox;
  struct Entry {
    std::string name;  // "C:\" for the root
    int level = 0;     // indentation
    bool open = false; // the current directory or one of its ancestors
  };

  void ReadEntries();
  void FillWindow();
  void UpdateLabel();
  int CurrentIndex() const noexcept;

  std::string directory_;
  std::vector<Entry> entries_;
  int itemHeight_ = 16;
  int pixelsPerInch_ = kDesignDpi;  // what the folder pictures are drawn for
  TLabel* dirLabel_ = nullptr;
  TDriveComboBox* driveCombo_ = nullptr;
};

class TDriveComboBox : public TWinControl {
 public:
  explicit TDriveComboBox(TComponent* owner);
  ~TDriveComboBox() override;

  // The drive's upper-case letter.
  char Drive() const noexcept { return drive_; }
  // Selects the drive and moves the linked list to that drive's current directory (the
  // root unless the process has been elsewhere on it). The drive stays as it was when
  // the list cannot go there.
  void SetDrive(char drive);

  TDirectoryListBox* DirList() const noexcept { return dirList_; }
  // Links the list both ways: the list's drive shows here, a drive chosen here moves the
  // list.
  void SetDirList(TDirectoryListBox* list);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void CommandNotify(uint16_t code) override;

 private:
  friend class TDirectoryListBox;
  // Shows `drive` as chosen, without moving the list.
  void ShowDrive(char drive);
  void FillWindow();

  std::vector<char> drives_;
  char drive_ = 'C';
  TDirectoryListBox* dirList_ = nullptr;
};

}  // namespace kavrix
