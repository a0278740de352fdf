// The desktop shell's ShellExecute, reached through the shell windows
// service: the desktop's folder view, its application object.
#include "platform/win32/desktop_shell.h"

#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

namespace platform::win32 {

namespace {

// Owns one interface pointer; released when it goes out of scope.
template <typename Interface>
class ComPointer {
 public:
  ComPointer() = default;
  ComPointer(const ComPointer&) = delete;
  ComPointer& operator=(const ComPointer&) = delete;
  ~ComPointer() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  Interface* operator->() const { return pointer_; }
  Interface* Get() const { return pointer_; }
  // For calls that hand out a new pointer; only on an empty owner.
  Interface** Out() { return &pointer_; }
  void** OutVoid() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

// An automation string made from ANSI text, freed when it goes out of scope.
class AutomationText {
 public:
  explicit AutomationText(const char* text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return;
    text_ = ::SysAllocStringLen(nullptr, static_cast<UINT>(length - 1));
    if (text_ != nullptr && ::MultiByteToWideChar(CP_ACP, 0, text, -1, text_, length) != length) {
      ::SysFreeString(text_);
      text_ = nullptr;
    }
  }
  AutomationText(const AutomationText&) = delete;
  AutomationText& operator=(const AutomationText&) = delete;
  ~AutomationText() { ::SysFreeString(text_); }
  BSTR Get() const { return text_; }

 private:
  BSTR text_ = nullptr;
};

// The desktop shell's application object; empty when any step fails.
void FindDesktopShellDispatch(ComPointer<IShellDispatch2>& shell) {
  // A program running as another account than the desktop's has no shell
  // window of its own desktop to ask; the service below would refuse it too.
  if (::GetShellWindow() == nullptr) return;
  ComPointer<IShellWindows> windows;
  if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.OutVoid()))) {
    return;
  }
  VARIANT location;
  ::VariantInit(&location);
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  VARIANT root;
  ::VariantInit(&root);
  LONG desktopWindow = 0;
  ComPointer<IDispatch> desktop;
  if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH, desktop.Out()) !=
          S_OK ||
      desktop.Get() == nullptr) {
    return;
  }
  ComPointer<IServiceProvider> services;
  if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.OutVoid()))) return;
  ComPointer<IShellBrowser> browser;
  if (FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.OutVoid()))) return;
  ComPointer<IShellView> view;
  if (FAILED(browser->QueryActiveShellView(view.Out())) || view.Get() == nullptr) return;
  ComPointer<IDispatch> background;
  if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.OutVoid()))) return;
  ComPointer<IShellFolderViewDual> folderView;
  if (FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.OutVoid()))) return;
  ComPointer<IDispatch> application;
  if (FAILED(folderView->get_Application(application.Out())) || application.Get() == nullptr) return;
  application->QueryInterface(IID_IShellDispatch2, shell.OutVoid());
}

}  // namespace

int OpenThroughDesktopShell(const char* verb, const char* target, int32_t showCommand) {
  ComPointer<IShellDispatch2> shell;
  FindDesktopShellDispatch(shell);
  if (shell.Get() == nullptr) return 0;
  AutomationText file(target);
  AutomationText operationText(verb);
  if (file.Get() == nullptr || operationText.Get() == nullptr) return 0;
  // No parameters and no folder: left out, as in the direct call.
  VARIANT none;
  ::VariantInit(&none);
  VARIANT operation;
  ::VariantInit(&operation);
  operation.vt = VT_BSTR;
  operation.bstrVal = operationText.Get();
  VARIANT show;
  ::VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = showCommand;
  return SUCCEEDED(shell->ShellExecute(file.Get(), none, none, operation, show)) ? 1 : 0;
}

}  // namespace platform::win32
