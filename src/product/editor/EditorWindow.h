#pragma once
// The main window of Quorvel 2.0: a menu, and a multi-line edit control filling the
// client area that holds one document.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "editor/TextFile.h"
#include "system/Win32Handles.h"

namespace kavrix {

inline constexpr wchar_t kEditorWindowClass[] = L"QuorvelEditor";
inline constexpr wchar_t kProductName[] = L"Quorvel 2.0";

// The menu's commands, also the targets of the keyboard accelerators.
struct EditorCommand {
  enum : WORD {
    kNew = 100,
    kOpen,
    kSave,
    kSaveAs,
    kExit,
    kUndo,
    kCut,
    kCopy,
    kPaste,
    kDelete,
    kSelectAll,
    kHelpContents,
    kAbout,
  };
};

class EditorWindow {
 public:
  // Creates the window (hidden). Throws std::runtime_error when it cannot.
  explicit EditorWindow(HINSTANCE instance);
  EditorWindow(const EditorWindow&) = delete;
  EditorWindow& operator=(const EditorWindow&) = delete;
  ~EditorWindow();

  HWND Handle() const noexcept { return window_; }

  // Opens `path`; a failure is shown in a message box and leaves the current document.
  bool Open(const std::wstring& path);

 private:
  struct GdiObjectTraits {
    static HGDIOBJ None() noexcept { return nullptr; }
    static bool IsValid(HGDIOBJ object) noexcept { return object != nullptr; }
    static void Close(HGDIOBJ object) noexcept { ::DeleteObject(object); }
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateChildren();
  // The text box's font, 10 points at `dpi`.
  void SetTextFont(int dpi);
  void OnCommand(WORD id);

  bool IsModified() const;
  void UpdateTitle();
  void ShowError(const std::wstring& action, const std::wstring& path, DWORD error) const;
  // Asks whether to save unsaved changes; false when the user cancels or the save fails.
  bool ConfirmDiscard();
  void NewDocument();
  void OpenWithDialog();
  bool Save();
  bool SaveAs();
  bool SaveTo(const std::wstring& path);
  void ShowHelp() const;
  void ShowAbout() const;

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
  UniqueResource<HGDIOBJ, GdiObjectTraits> font_;
  std::wstring path_;  // empty for a document never saved
  TextEncoding encoding_ = TextEncoding::kAnsi;
  LineEnds lineEnds_ = LineEnds::kCrLf;
  std::wstring shownTitle_;
};

}  // namespace kavrix
