#include "toolkit/DirectoryList.h"

#include <algorithm>
#include <cctype>

#include "system/CallbackGuard.h"
#include "toolkit/Win32Gdi.h"
#include "toolkit/layout/DpiScale.h"
#include "toolkit/layout/PathEllipsis.h"

namespace kavrix {
namespace {

struct FindTraits {
  static HANDLE None() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE find) noexcept { return find != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE find) noexcept { ::FindClose(find); }
};
using UniqueFind = UniqueResource<HANDLE, FindTraits>;

constexpr int kIndent = 10;      // per level of the tree
constexpr int kFolderWidth = 16;  // the folder picture and its gap to the text
constexpr int kFolderHeight = 13;
constexpr int kDropDownHeight = 200;

// The absolute form of `path`: no trailing backslash except at a drive root ("C:\"),
// upper-case drive letter. Empty when the system cannot make one.
std::string FullPath(const std::string& path) {
  if (path.empty()) return {};
  char buffer[MAX_PATH];
  char* filePart = nullptr;
  const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, buffer, &filePart);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string full(buffer, length);
  while (full.size() > 3 && full.back() == '\\') full.pop_back();
  if (full.size() >= 2 && full[1] == ':') {
    full[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(full[0])));
    if (full.size() == 2) full += '\\';
  }
  return full;
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithBackslash(const std::string& path) { return path.empty() || path.back() == '\\' ? path : path + '\\'; }

// The root ("C:\" or "\\server\share\") and the names below it.
std::pair<std::string, std::vector<std::string>> SplitPath(const std::string& path) {
  size_t rootLength = path.size() >= 3 && path[1] == ':' ? 3 : 0;
  if (path.rfind("\\\\", 0) == 0) {
    const size_t share = path.find('\\', path.find('\\', 2) + 1);
    rootLength = share == std::string::npos ? path.size() : share + 1;
  }
  std::vector<std::string> names;
  size_t start = rootLength;
  while (start < path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) names.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return {WithBackslash(path.substr(0, rootLength)), names};
}

std::vector<std::string> Subdirectories(const std::string& directory) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data{};
  const UniqueFind find(::FindFirstFileA((WithBackslash(directory) + "*").c_str(), &data));
  if (!find) return names;
  do {
    const std::string name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(find.Get(), &data));
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return ::lstrcmpiA(a.c_str(), b.c_str()) < 0; });
  return names;
}

// A small folder picture, open (a tilted front) or closed, in the box at (x, y), drawn
// for `dpi` (its measures are those of 96 DPI, scaled).
void DrawFolder(HDC dc, int x, int y, bool open, int dpi) {
  const auto at = [dpi](int value) { return ScaleToDpi(value, dpi); };
  const UniqueGdiObject pen(::CreatePen(PS_SOLID, std::max(1, dpi / kDesignDpi), RGB(128, 128, 0)));
  const UniqueGdiObject back(::CreateSolidBrush(RGB(255, 255, 0)));
  const UniqueGdiObject front(::CreateSolidBrush(RGB(255, 255, 192)));
  const SelectionScope penSelection(dc, pen.Get());
  const SelectionScope brushSelection(dc, back.Get());
  ::Rectangle(dc, x, y + at(1), x + at(6), y + at(4));
  ::Rectangle(dc, x, y + at(3), x + at(13), y + at(12));
  if (open) {
    const SelectionScope frontSelection(dc, front.Get());
    const POINT points[] = {{x, y + at(11)}, {x + at(3), y + at(6)}, {x + at(15), y + at(6)}, {x + at(12), y + at(11)}};
    ::Polygon(dc, points, 4);
  }
}

int TextWidthIn(HFONT font, const std::string& text) {
  const ScreenDC screen;
  const SelectionScope selection(screen.Get(), font);
  SIZE size{};
  ::GetTextExtentPoint32A(screen.Get(), text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace

TDirectoryListBox::TDirectoryListBox(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 145, 97);
  directory_ = FullPath(".");
  ReadEntries();
}

TDirectoryListBox::~TDirectoryListBox() {
  if (driveCombo_) driveCombo_->dirList_ = nullptr;
}

void TDirectoryListBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "LISTBOX";
  params.style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
  params.exStyle |= WS_EX_CLIENTEDGE;
}

void TDirectoryListBox::HandleCreated() {
  Perform(LB_SETITEMHEIGHT, 0, itemHeight_);
  FillWindow();
}

void TDirectoryListBox::SetItemHeight(int itemHeight) {
  if (itemHeight <= 0) return;
  itemHeight_ = itemHeight;
  if (HandleAllocated()) {
    Perform(LB_SETITEMHEIGHT, 0, itemHeight_);
    Invalidate();
  }
}

void TDirectoryListBox::SetDirectory(const std::string& path) {
  const std::string full = FullPath(path);
  if (full.empty() || !IsDirectory(full)) throw EInvalidPath(Format("Directory %s does not exist", path));
  const bool changed = full != directory_;
  directory_ = full;
  // Read again even when unchanged: subdirectories may have come or gone.
  ReadEntries();
  FillWindow();
  UpdateLabel();
  if (driveCombo_) driveCombo_->ShowDrive(directory_[0]);
  if (changed && OnChange) OnChange(*this);
}

void TDirectoryListBox::ReadEntries() {
  entries_.clear();
  const auto [root, names] = SplitPath(directory_);
  entries_.push_back({root, 0, true});
  for (size_t i = 0; i < names.size(); ++i) entries_.push_back({names[i], static_cast<int>(i) + 1, true});
  const int level = static_cast<int>(names.size()) + 1;
  for (const std::string& name : Subdirectories(directory_)) entries_.push_back({name, level, false});
}

int TDirectoryListBox::CurrentIndex() const noexcept {
  int index = 0;
  while (index + 1 < EntryCount() && entries_[static_cast<size_t>(index) + 1].open) ++index;
  return index;
}

std::string TDirectoryListBox::EntryPath(int index) const {
  const Entry& entry = entries_.at(static_cast<size_t>(index));
  if (!entry.open) return WithBackslash(directory_) + entry.name;
  std::string path = entries_[0].name;
  for (int i = 1; i <= index; ++i) path = WithBackslash(path) + entries_[static_cast<size_t>(i)].name;
  return path.size() > 3 && path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
}

void TDirectoryListBox::OpenEntry(int index) {
  if (index < 0 || index >= EntryCount()) return;
  SetDirectory(EntryPath(index));
}

void TDirectoryListBox::ChangeScale(int toDpi, int fromDpi) {
  TWinControl::ChangeScale(toDpi, fromDpi);
  pixelsPerInch_ = toDpi;
  SetItemHeight(ScaleToDpi(itemHeight_, toDpi, fromDpi));
}

void TDirectoryListBox::OpenSelected() {
  if (!HandleAllocated()) return;
  const int selected = static_cast<int>(Perform(LB_GETCURSEL, 0, 0));
  if (selected != CurrentIndex()) OpenEntry(selected);
}

void TDirectoryListBox::FillWindow() {
  if (!HandleAllocated()) return;
  HWND window = Handle();
  ::SendMessageA(window, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(window, LB_RESETCONTENT, 0, 0);
  for (const Entry& entry : entries_) ::SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
  ::SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(CurrentIndex()), 0);
  ::SendMessageA(window, WM_SETREDRAW, TRUE, 0);
  RethrowCallbackException();
  Invalidate();
}

void TDirectoryListBox::SetDirLabel(TLabel* label) {
  dirLabel_ = label;
  if (!dirLabel_) return;
  dirLabel_->SetShowAccelChar(false);  // "&" is a plain character in a path
  UpdateLabel();
}

void TDirectoryListBox::UpdateLabel() {
  if (!dirLabel_) return;
  const int width = dirLabel_->AutoSize() ? Width() : dirLabel_->Width();
  HFONT font = dirLabel_->Font().Handle();
  dirLabel_->SetCaption(
      ShortenPath(directory_, width, [font](const std::string& text) { return TextWidthIn(font, text); }));
}

void TDirectoryListBox::Resized() {
  if (dirLabel_ && dirLabel_->AutoSize()) UpdateLabel();
}

void TDirectoryListBox::CommandNotify(uint16_t code) {
  if (code == LBN_DBLCLK) OpenEntry(static_cast<int>(Perform(LB_GETCURSEL, 0, 0)));
}

void TDirectoryListBox::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= entries_.size()) return;
  const Entry& entry = entries_[item.itemID];
  HDC dc = item.hDC;
  const RECT& area = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  TCanvas canvas(dc);
  canvas.SetBrushColor(selected ? kSystemColor | COLOR_HIGHLIGHT : Color());
  canvas.FillRect({area.left, area.top, area.right, area.bottom});
  const auto at = [this](int value) { return ScaleToDpi(value, pixelsPerInch_); };
  const int x = area.left + at(2) + entry.level * at(kIndent);
  const int height = area.bottom - area.top;
  DrawFolder(dc, x, area.top + (height - at(kFolderHeight)) / 2, entry.open, pixelsPerInch_);
  canvas.Font().Assign(Font());
  if (selected) canvas.Font().SetColor(kSystemColor | COLOR_HIGHLIGHTTEXT);
  canvas.SetBrushStyle(bsClear);
  TRect text{x + at(kFolderWidth + 2), area.top, area.right, area.bottom};
  canvas.DrawText(text, entry.name, tfSingleLine | tfVerticalCenter | tfNoPrefix);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &area);
}

TDriveComboBox::TDriveComboBox(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 145, 21);
  const DWORD mask = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (mask & (1u << i)) drives_.push_back(static_cast<char>('A' + i));
  }
  const std::string current = FullPath(".");
  if (!current.empty() && current[1] == ':') drive_ = current[0];
}

TDriveComboBox::~TDriveComboBox() {
  if (dirList_) dirList_->driveCombo_ = nullptr;
}

void TDriveComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "COMBOBOX";
  params.style |= CBS_DROPDOWNLIST | WS_VSCROLL;
}

void TDriveComboBox::HandleCreated() {
  // A drop-down's window height is that of its open list; the system reports the closed one.
  ::SetWindowPos(Handle(), nullptr, 0, 0, Width(), kDropDownHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  FillWindow();
}

void TDriveComboBox::FillWindow() {
  HWND window = Handle();
  ::SendMessageA(window, CB_RESETCONTENT, 0, 0);
  for (char drive : drives_) {
    const std::string root = std::string(1, drive) + ":\\";
    std::string text = std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(drive)))) + ":";
    // Only fixed drives are asked for their label: a removable one may wait for a medium.
    char label[MAX_PATH + 1] = {};
    if (::GetDriveTypeA(root.c_str()) == DRIVE_FIXED &&
        ::GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0) && label[0]) {
      text += std::string(" [") + label + "]";
    }
    ::SendMessageA(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  RethrowCallbackException();
  ShowDrive(drive_);
}

void TDriveComboBox::ShowDrive(char drive) {
  const bool changed = drive != drive_;
  drive_ = drive;
  if (HandleAllocated()) {
    const auto found = std::find(drives_.begin(), drives_.end(), drive);
    Perform(CB_SETCURSEL, found == drives_.end() ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(found - drives_.begin()),
            0);
  }
  if (changed && OnChange) OnChange(*this);
}

void TDriveComboBox::SetDrive(char drive) {
  drive = static_cast<char>(std::toupper(static_cast<unsigned char>(drive)));
  // On the list's own drive, "X:" would name the process' directory, not the list's.
  if (!dirList_ || (!dirList_->Directory().empty() && dirList_->Directory()[0] == drive)) {
    ShowDrive(drive);
    return;
  }
  // "X:" alone names the current directory on that drive.
  const std::string directory = FullPath(std::string(1, drive) + ":");
  try {
    dirList_->SetDirectory(directory.empty() ? std::string(1, drive) + ":\\" : directory);
  } catch (...) {
    ShowDrive(drive_);  // the selection goes back to the list's drive
    throw;
  }
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list) {
  if (dirList_) dirList_->driveCombo_ = nullptr;
  dirList_ = list;
  if (!dirList_) return;
  if (dirList_->driveCombo_ && dirList_->driveCombo_ != this) dirList_->driveCombo_->dirList_ = nullptr;
  dirList_->driveCombo_ = this;
  ShowDrive(dirList_->Directory()[0]);
}

void TDriveComboBox::CommandNotify(uint16_t code) {
  if (code != CBN_SELCHANGE) return;
  const auto index = static_cast<int>(Perform(CB_GETCURSEL, 0, 0));
  if (index >= 0 && index < static_cast<int>(drives_.size())) SetDrive(drives_[static_cast<size_t>(index)]);
}

}  // namespace kavrix
