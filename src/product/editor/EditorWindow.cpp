#include "editor/EditorWindow.h"

#include <commdlg.h>
#include <shellapi.h>

#include <stdexcept>
#include <vector>

#include "system/CallbackGuard.h"

namespace kavrix {

namespace {

constexpr WORD kEditControl = 200;
// WM_DPICHANGED: the window moved to a display of another scale (Windows 8.1 and later).
constexpr UINT kDpiChanged = 0x02E0;

constexpr wchar_t kFileFilter[] =
    L"HTML files (*.htm; *.html)\0*.htm;*.html\0Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";

std::wstring FileNamePart(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ModuleDirectory(HINSTANCE instance) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(instance, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      const std::wstring path(buffer.data(), length);
      return path.substr(0, path.find_last_of(L'\\'));
    }
    buffer.resize(buffer.size() * 2);
  }
}

HMENU BuildMenu() {
  HMENU file = ::CreatePopupMenu();
  ::AppendMenuW(file, MF_STRING, EditorCommand::kNew, L"&New\tCtrl+N");
  ::AppendMenuW(file, MF_STRING, EditorCommand::kOpen, L"&Open...\tCtrl+O");
  ::AppendMenuW(file, MF_STRING, EditorCommand::kSave, L"&Save\tCtrl+S");
  ::AppendMenuW(file, MF_STRING, EditorCommand::kSaveAs, L"Save &As...");
  ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(file, MF_STRING, EditorCommand::kExit, L"E&xit");
  HMENU edit = ::CreatePopupMenu();
  ::AppendMenuW(edit, MF_STRING, EditorCommand::kUndo, L"&Undo\tCtrl+Z");
  ::AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(edit, MF_STRING, EditorCommand::kCut, L"Cu&t\tCtrl+X");
  ::AppendMenuW(edit, MF_STRING, EditorCommand::kCopy, L"&Copy\tCtrl+C");
  ::AppendMenuW(edit, MF_STRING, EditorCommand::kPaste, L"&Paste\tCtrl+V");
  ::AppendMenuW(edit, MF_STRING, EditorCommand::kDelete, L"De&lete\tDel");
  ::AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(edit, MF_STRING, EditorCommand::kSelectAll, L"Select &All\tCtrl+A");
  HMENU help = ::CreatePopupMenu();
  ::AppendMenuW(help, MF_STRING, EditorCommand::kHelpContents, L"Quorvel &Help\tF1");
  ::AppendMenuW(help, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(help, MF_STRING, EditorCommand::kAbout, L"&About Quorvel 2.0");
  HMENU bar = ::CreateMenu();
  ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
  ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
  return bar;
}

}  // namespace

EditorWindow::EditorWindow(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &EditorWindow::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                        ::GetSystemMetrics(SM_CXSMICON),
                                                        ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kEditorWindowClass;
  if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw std::runtime_error("Cannot register the editor's window class");
  }
  // The menu belongs to the window from here on and is destroyed with it.
  HMENU menu = BuildMenu();
  if (!::CreateWindowExW(WS_EX_ACCEPTFILES, kEditorWindowClass, kProductName, WS_OVERLAPPEDWINDOW,
                         CW_USEDEFAULT, CW_USEDEFAULT, 720, 540, nullptr, menu, instance, this)) {
    ::DestroyMenu(menu);
    throw std::runtime_error("Cannot create the editor's window");
  }
  // A failure while the window was being created (its children, its font) was kept by
  // the window procedure; the half-made window goes before the failure travels on.
  try {
    RethrowCallbackException();
  } catch (...) {
    ::DestroyWindow(window_);
    throw;
  }
}

EditorWindow::~EditorWindow() {
  if (window_) ::DestroyWindow(window_);
}

LRESULT CALLBACK EditorWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return GuardCallback<LRESULT>(0, [&]() -> LRESULT {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<EditorWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->window_ = window;
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<EditorWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      self->window_ = nullptr;
      return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
  });
}

LRESULT EditorWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateChildren();
      return 0;
    case WM_SIZE:
      ::MoveWindow(edit_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      ::SetFocus(edit_);
      return 0;
    case kDpiChanged: {
      // Moved to a display of another scale: the text keeps its size in points.
      SetTextFont(LOWORD(wParam));
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kEditControl) {
        if (HIWORD(wParam) == EN_CHANGE) UpdateTitle();
        if (HIWORD(wParam) == EN_ERRSPACE || HIWORD(wParam) == EN_MAXTEXT) {
          ::MessageBoxW(window_, L"The document is too large to edit.", kProductName, MB_OK | MB_ICONERROR);
        }
      } else {
        OnCommand(LOWORD(wParam));
      }
      return 0;
    case WM_DROPFILES: {
      HDROP drop = reinterpret_cast<HDROP>(wParam);
      std::vector<wchar_t> name(::DragQueryFileW(drop, 0, nullptr, 0) + 1);
      ::DragQueryFileW(drop, 0, name.data(), static_cast<UINT>(name.size()));
      ::DragFinish(drop);
      if (ConfirmDiscard()) Open(name.data());
      return 0;
    }
    case WM_CLOSE:
      if (ConfirmDiscard()) ::DestroyWindow(window_);
      return 0;
    case WM_QUERYENDSESSION:
      return ConfirmDiscard() ? TRUE : FALSE;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

void EditorWindow::CreateChildren() {
  edit_ = ::CreateWindowExW(0, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | ES_WANTRETURN,
                            0, 0, 0, 0, window_, reinterpret_cast<HMENU>(kEditControl), instance_, nullptr);
  if (!edit_) throw std::runtime_error("Cannot create the editor's text box");
  // Without this the control stops at 32 K characters.
  ::SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  SetTextFont(dpi);
  UpdateTitle();
}

void EditorWindow::SetTextFont(int dpi) {
  UniqueResource<HGDIOBJ, GdiObjectTraits> font(
      ::CreateFontW(-::MulDiv(10, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New"));
  if (!font) return;
  // The text box lets go of the old font before it is deleted.
  ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  font_ = std::move(font);
}

void EditorWindow::OnCommand(WORD id) {
  switch (id) {
    case EditorCommand::kNew:
      if (ConfirmDiscard()) NewDocument();
      break;
    case EditorCommand::kOpen:
      if (ConfirmDiscard()) OpenWithDialog();
      break;
    case EditorCommand::kSave:
      Save();
      break;
    case EditorCommand::kSaveAs:
      SaveAs();
      break;
    case EditorCommand::kExit:
      ::SendMessageW(window_, WM_CLOSE, 0, 0);
      break;
    case EditorCommand::kUndo:
      ::SendMessageW(edit_, EM_UNDO, 0, 0);
      break;
    case EditorCommand::kCut:
      ::SendMessageW(edit_, WM_CUT, 0, 0);
      break;
    case EditorCommand::kCopy:
      ::SendMessageW(edit_, WM_COPY, 0, 0);
      break;
    case EditorCommand::kPaste:
      ::SendMessageW(edit_, WM_PASTE, 0, 0);
      break;
    case EditorCommand::kDelete:
      ::SendMessageW(edit_, WM_CLEAR, 0, 0);
      break;
    case EditorCommand::kSelectAll:
      ::SendMessageW(edit_, EM_SETSEL, 0, -1);
      break;
    case EditorCommand::kHelpContents:
      ShowHelp();
      break;
    case EditorCommand::kAbout:
      ShowAbout();
      break;
    default:
      break;
  }
}

bool EditorWindow::IsModified() const { return ::SendMessageW(edit_, EM_GETMODIFY, 0, 0) != 0; }

void EditorWindow::UpdateTitle() {
  std::wstring title = IsModified() ? L"*" : L"";
  title += path_.empty() ? L"Untitled" : FileNamePart(path_);
  title += L" - ";
  title += kProductName;
  // EN_CHANGE comes with every keystroke; the caption is only redrawn when it changes.
  if (title != shownTitle_) {
    ::SetWindowTextW(window_, title.c_str());
    shownTitle_ = std::move(title);
  }
}

void EditorWindow::ShowError(const std::wstring& action, const std::wstring& path, DWORD error) const {
  wchar_t* reason = nullptr;
  ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr);
  std::wstring text = action + L" " + path + L"\n\n";
  text += reason ? reason : L"Error " + std::to_wstring(error);
  if (reason) ::LocalFree(reason);
  ::MessageBoxW(window_, text.c_str(), kProductName, MB_OK | MB_ICONERROR);
}

bool EditorWindow::ConfirmDiscard() {
  if (!IsModified()) return true;
  const std::wstring text = L"The text in " + (path_.empty() ? std::wstring(L"Untitled") : FileNamePart(path_)) +
                            L" has changed.\n\nDo you want to save the changes?";
  switch (::MessageBoxW(window_, text.c_str(), kProductName, MB_YESNOCANCEL | MB_ICONWARNING)) {
    case IDYES: return Save();
    case IDNO: return true;
    default: return false;
  }
}

void EditorWindow::NewDocument() {
  ::SetWindowTextW(edit_, L"");
  ::SendMessageW(edit_, EM_SETMODIFY, FALSE, 0);
  path_.clear();
  encoding_ = TextEncoding::kAnsi;
  lineEnds_ = LineEnds::kCrLf;
  UpdateTitle();
}

bool EditorWindow::Open(const std::wstring& path) {
  TextDocument document;
  if (const DWORD error = LoadTextFile(path, document); error != ERROR_SUCCESS) {
    ShowError(L"Cannot open", path, error);
    return false;
  }
  if (!::SetWindowTextW(edit_, document.text.c_str())) {
    ShowError(L"Cannot show", path, ::GetLastError());
    return false;
  }
  ::SendMessageW(edit_, EM_SETMODIFY, FALSE, 0);
  ::SendMessageW(edit_, EM_EMPTYUNDOBUFFER, 0, 0);
  path_ = path;
  encoding_ = document.encoding;
  lineEnds_ = document.lineEnds;
  UpdateTitle();
  return true;
}

void EditorWindow::OpenWithDialog() {
  std::vector<wchar_t> name(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = kFileFilter;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (::GetOpenFileNameW(&dialog)) Open(name.data());
}

bool EditorWindow::Save() { return path_.empty() ? SaveAs() : SaveTo(path_); }

bool EditorWindow::SaveAs() {
  std::vector<wchar_t> name(32768, L'\0');
  const std::wstring current = path_.empty() ? L"Untitled.txt" : FileNamePart(path_);
  current.copy(name.data(), name.size() - 1);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = kFileFilter;
  dialog.nFilterIndex = 3;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrDefExt = L"txt";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  return ::GetSaveFileNameW(&dialog) && SaveTo(name.data());
}

bool EditorWindow::SaveTo(const std::wstring& path) {
  TextDocument document;
  document.text.resize(static_cast<size_t>(::GetWindowTextLengthW(edit_)) + 1);
  document.text.resize(static_cast<size_t>(
      ::GetWindowTextW(edit_, document.text.data(), static_cast<int>(document.text.size()))));
  document.encoding = encoding_;
  document.lineEnds = lineEnds_;
  if (const DWORD error = SaveTextFile(path, document); error != ERROR_SUCCESS) {
    ShowError(L"Cannot save", path, error);
    return false;
  }
  if (document.encoding != encoding_) {
    ::MessageBoxW(window_,
                  L"The text has characters the system's code page cannot hold, so the file was saved as "
                  L"UTF-8.",
                  kProductName, MB_OK | MB_ICONINFORMATION);
  }
  path_ = path;
  encoding_ = document.encoding;
  ::SendMessageW(edit_, EM_SETMODIFY, FALSE, 0);
  UpdateTitle();
  return true;
}

void EditorWindow::ShowHelp() const {
  const std::wstring help = ModuleDirectory(instance_) + L"\\quorvel.chm";
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(window_, L"open", help.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED));
  if (result <= 32) ShowError(L"Cannot open the help file", help, ::GetLastError());
}

void EditorWindow::ShowAbout() const {
  MSGBOXPARAMSW box{};
  box.cbSize = sizeof box;
  box.hwndOwner = window_;
  box.hInstance = instance_;
  box.lpszText =
      L"Quorvel 2.0\n\nA small editor for HTML and text files.\n\nCopyright \u00A9 Veddal. All rights reserved.";
  box.lpszCaption = L"About Quorvel 2.0";
  box.dwStyle = MB_OK | MB_USERICON;
  box.lpszIcon = MAKEINTRESOURCEW(1);
  ::MessageBoxIndirectW(&box);
}

}  // namespace kavrix
