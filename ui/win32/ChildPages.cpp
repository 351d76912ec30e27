#define NOMINMAX
// Child pages (modeless child dialogs inside a running dialog) and modeless popup dialogs,
// bound to their dialog object for the window's lifetime.
#include <windows.h>

#include <exception>
#include <stdexcept>
#include <string>

#include "ui/win32/DialogRouting.h"
#include "ui/win32/Win32Kit.h"
#include "ui/win32/Win32Window.h"

namespace ui::win32 {
namespace {

struct PageBinding {
  Win32Kit& kit;
  Dialog& page;
  Win32Window window;
  bool closing = false;  // destroyed on purpose: its last notifications reach no handler
};

// Lives on CreateChild's or CreateModeless's stack while the system creates the window.
struct PageCreation {
  Win32Kit& kit;
  Dialog& page;
  std::exception_ptr initFailure;
};

PageBinding* BindingOf(HWND hwnd) { return reinterpret_cast<PageBinding*>(GetWindowLongPtrA(hwnd, DWLP_USER)); }

INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto& creation = *reinterpret_cast<PageCreation*>(lParam);
    Win32Kit& kit = creation.kit;
    auto* binding = new PageBinding{kit, creation.page, Win32Window(hwnd, kit.Instance(), kit.fonts())};
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(binding));
    binding->page.Attach(&binding->window);
    // CreateChild/CreateModeless is our own code again once the system returns: it throws the failure there.
    try {
      return binding->page.DispatchInit() ? TRUE : FALSE;
    } catch (...) {
      creation.initFailure = std::current_exception();
      return FALSE;
    }
  }
  PageBinding* binding = BindingOf(hwnd);
  if (!binding) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    binding->page.Attach(nullptr);
    delete binding;
    return FALSE;
  }
  if (binding->closing || binding->kit.InnermostRunFailed()) return FALSE;
  if (binding->kit.HoldWaitCursor(hwnd, message)) return TRUE;
  // A modeless dialog gets its transcript line when the program shows it, as a modal one does.
  if (message == WM_SHOWWINDOW && wParam && lParam == 0 && binding->page.IsModeless()) {
    binding->kit.transcript().Dialog(binding->page.TemplateId(), binding->window.Caption());
  }
  try {
    return RouteDialogMessage(binding->page, hwnd, message, wParam, lParam) ? TRUE : FALSE;
  } catch (...) {
    binding->kit.FailInnermostRun(std::current_exception());
    return TRUE;
  }
}

// The window, when it is one of this file's pages or modeless dialogs (a modal dialog keeps other data).
HWND PageWindow(const Dialog& page) {
  HWND hwnd = static_cast<HWND>(Win32Kit::WindowHandle(page));
  if (!hwnd || GetWindowLongPtrA(hwnd, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&PageProc)) return nullptr;
  return BindingOf(hwnd) ? hwnd : nullptr;
}

}  // namespace

bool Win32Kit::CreateChild(Dialog& child, Dialog& parent) {
  HWND parentWindow = static_cast<HWND>(WindowHandle(parent));
  if (!parentWindow) {
    throw std::logic_error("page " + std::to_string(child.TemplateId()) + ": its parent has no window");
  }
  PageCreation creation{*this, child, nullptr};
  HWND hwnd = CreateDialogParamA(static_cast<HINSTANCE>(instance_), MAKEINTRESOURCEA(child.TemplateId()), parentWindow,
                                 &PageProc, reinterpret_cast<LPARAM>(&creation));
  if (creation.initFailure) {
    if (hwnd) DestroyWindow(child);  // a half-initialised page would stay behind in the dialog
    std::rethrow_exception(creation.initFailure);
  }
  return hwnd != nullptr;
}

bool Win32Kit::CreateModeless(Dialog& dialog, Dialog* owner) {
  HWND ownerWindow = owner ? static_cast<HWND>(WindowHandle(*owner)) : nullptr;
  PageCreation creation{*this, dialog, nullptr};
  HWND hwnd = CreateDialogParamA(static_cast<HINSTANCE>(instance_), MAKEINTRESOURCEA(dialog.TemplateId()), ownerWindow,
                                 &PageProc, reinterpret_cast<LPARAM>(&creation));
  if (creation.initFailure) {
    if (hwnd) DestroyWindow(dialog);
    std::rethrow_exception(creation.initFailure);
  }
  return hwnd != nullptr;
}

void Win32Kit::DestroyWindow(Dialog& dialog) {
  HWND hwnd = PageWindow(dialog);
  if (!hwnd) return;
  BindingOf(hwnd)->closing = true;
  ::DestroyWindow(hwnd);
}

}  // namespace ui::win32
