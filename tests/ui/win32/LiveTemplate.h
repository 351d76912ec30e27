#pragma once
// A dialog made from one language's template of a module, hidden, with no behaviour, for tests that
// look at its controls. It has a hidden host window for a parent, as a page template (a child window)
// needs one.
#include <windows.h>
#include <commctrl.h>

#include <vector>

namespace kvxtest {

class LiveTemplate {
public:
  // module: the file holding the template; nullptr for this program.
  LiveTemplate(HMODULE module, int id, LANGID language) {
    static const bool classes = [] {
      INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_INTERNET_CLASSES};
      return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)classes;
    if (module == nullptr) module = GetModuleHandleW(nullptr);
    host_ = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(id), language);  // RT_DIALOG
    if (found == nullptr) return;
    const auto* layout = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, found)));
    hwnd_ = CreateDialogIndirectParamW(module, layout, host_, InertDialogProc, 0);
  }
  ~LiveTemplate() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    DestroyWindow(host_);
  }
  LiveTemplate(const LiveTemplate&) = delete;
  LiveTemplate& operator=(const LiveTemplate&) = delete;

  HWND hwnd() const { return hwnd_; }
  HWND host() const { return host_; }
  HWND item(int id) const { return GetDlgItem(hwnd_, id); }
  std::vector<HWND> children() const {
    std::vector<HWND> out;
    for (HWND c = GetWindow(hwnd_, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
  }
  // In the dialog's client coordinates.
  RECT rectOf(HWND child) const {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

private:
  static INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

  HWND host_ = nullptr;
  HWND hwnd_ = nullptr;
};

}  // namespace kvxtest
