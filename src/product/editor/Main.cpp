// Quorvel 2.0: a small editor for HTML and text files. Started with a file name, as
// the "Edit with Quorvel 2.0" verbs and shortcuts do, it opens that file.

#include <exception>
#include <iterator>

#include "editor/EditorText.h"
#include "editor/EditorWindow.h"
#include "system/CallbackGuard.h"
#include "system/DllSearch.h"

namespace {

using kavrix::EditorCommand;

constexpr ACCEL kAccelerators[] = {
    {FVIRTKEY | FCONTROL, 'N', EditorCommand::kNew},       {FVIRTKEY | FCONTROL, 'O', EditorCommand::kOpen},
    {FVIRTKEY | FCONTROL, 'S', EditorCommand::kSave},      {FVIRTKEY | FCONTROL, 'A', EditorCommand::kSelectAll},
    {FVIRTKEY, VK_F1, EditorCommand::kHelpContents},
};

struct AcceleratorTraits {
  static HACCEL None() noexcept { return nullptr; }
  static bool IsValid(HACCEL table) noexcept { return table != nullptr; }
  static void Close(HACCEL table) noexcept { ::DestroyAcceleratorTable(table); }
};

int Run(HINSTANCE instance, int showCommand) {
  kavrix::EditorWindow editor(instance);
  kavrix::UniqueResource<HACCEL, AcceleratorTraits> accelerators(
      ::CreateAcceleratorTableW(const_cast<ACCEL*>(kAccelerators), static_cast<int>(std::size(kAccelerators))));
  ::ShowWindow(editor.Handle(), showCommand);
  const std::wstring file = kavrix::FileArgument(::GetCommandLineW());
  if (!file.empty()) editor.Open(file);

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!::TranslateAcceleratorW(editor.Handle(), accelerators.Get(), &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    kavrix::RethrowCallbackException();
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  kavrix::RestrictDllSearch();
  try {
    return Run(instance, showCommand);
  } catch (const std::exception& error) {
    ::MessageBoxA(nullptr, error.what(), "Quorvel 2.0", MB_OK | MB_ICONERROR);
    return 1;
  }
}
