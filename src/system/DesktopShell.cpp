#include "system/DesktopShell.h"

#include "system/DllSearch.h"
#include "system/Win32Handles.h"  // before the shell headers, which need <windows.h>

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>

namespace kavrix {
namespace {

// The top-level browser service of a shell window.
constexpr GUID kTopLevelBrowser = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// The shell's automation interface takes its texts as BSTRs, which only oleaut32 makes.
// It is not among the DLLs the programs import, so it is loaded for this call from the
// system folder; COM loads it for the call to the shell process in any case.
class BstrFactory {
 public:
  BstrFactory() noexcept
      : library_(LoadSystemLibrary("oleaut32.dll")),
        allocate_(SystemFunction<Allocate>(library_, "SysAllocStringLen")),
        free_(SystemFunction<Free>(library_, "SysFreeString")) {}

  explicit operator bool() const noexcept { return allocate_ && free_; }

  // One string; null when out of memory.
  class Bstr {
   public:
    Bstr(const BstrFactory& factory, const std::wstring& text)
        : free_(factory.free_), value_(factory.allocate_(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() {
      if (value_) free_(value_);
    }
    BSTR Get() const noexcept { return value_; }

   private:
    void(WINAPI* free_)(BSTR);
    BSTR value_;
  };

 private:
  using Allocate = BSTR(WINAPI*)(const OLECHAR*, UINT);
  using Free = void(WINAPI*)(BSTR);

  UniqueLibrary library_;
  Allocate allocate_;
  Free free_;
};

// The shell's application object behind the desktop window, through the chain the shell
// documents: the desktop among the shell windows, its browser, the browser's view, the
// view's automation object, and that object's application.
ComPtr<IShellDispatch2> DesktopShellApplication() {
  ComPtr<IShellWindows> windows;
  if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.PutVoid())))
    return {};
  VARIANT location{};
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  VARIANT root{};  // VT_EMPTY
  long window = 0;
  ComPtr<IDispatch> desktop;
  if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                            reinterpret_cast<IDispatch**>(desktop.PutVoid())) != S_OK ||
      !desktop)
    return {};
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.PutVoid())) ||
      FAILED(services->QueryService(kTopLevelBrowser, IID_IShellBrowser, browser.PutVoid())) ||
      FAILED(browser->QueryActiveShellView(reinterpret_cast<IShellView**>(view.PutVoid()))) || !view ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.PutVoid())) ||
      FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.PutVoid())) ||
      FAILED(folderView->get_Application(reinterpret_cast<IDispatch**>(application.PutVoid()))) || !application ||
      FAILED(application->QueryInterface(IID_IShellDispatch2, shell.PutVoid())))
    return {};
  return shell;
}

}  // namespace

bool StartAsDesktopUser(const std::string& program, const std::string& parameters, int showCommand) {
  const ComInitialization com;
  if (FAILED(com.Result()) && com.Result() != RPC_E_CHANGED_MODE) return false;
  const BstrFactory strings;
  if (!strings) return false;
  const ComPtr<IShellDispatch2> shell = DesktopShellApplication();
  if (!shell) return false;

  const BstrFactory::Bstr file(strings, Wide(program));
  const BstrFactory::Bstr arguments(strings, Wide(parameters));
  if (!file.Get() || !arguments.Get()) return false;
  VARIANT argumentsValue{};
  argumentsValue.vt = VT_BSTR;
  argumentsValue.bstrVal = arguments.Get();
  VARIANT directory{};  // the shell's own choice
  VARIANT verb{};       // the default verb, "open" for a program
  VARIANT show{};
  show.vt = VT_I4;
  show.lVal = showCommand;
  return SUCCEEDED(shell->ShellExecute(file.Get(), argumentsValue, directory, verb, show));
}

}  // namespace kavrix
