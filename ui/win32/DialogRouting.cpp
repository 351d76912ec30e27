#define NOMINMAX
#include "ui/win32/DialogRouting.h"

#include <windows.h>
#include <commctrl.h>

namespace ui::win32 {
namespace {

bool IsListView(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return lstrcmpiW(name, WC_LISTVIEWW) == 0;
}

// The item of a list view's click (NMITEMACTIVATE) or item change (NMLISTVIEW); -1 for the rest.
int NotifiedItem(const NMHDR& header) {
  switch (header.code) {
    case NM_CLICK:
    case NM_DBLCLK:
    case NM_RCLICK:
    case NM_RDBLCLK:
      if (IsListView(header.hwndFrom)) return reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
      return -1;
    case LVN_ITEMCHANGING:
    case LVN_ITEMCHANGED:
      return reinterpret_cast<const NMLISTVIEW&>(header).iItem;
    default: return -1;
  }
}

}  // namespace

bool RouteDialogMessage(Dialog& dialog, void* hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  switch (message) {
    case WM_COMMAND:
      dialog.DispatchCommand(LOWORD(wParam), HIWORD(wParam));
      return true;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      const intptr_t answer = dialog.DispatchNotify(static_cast<int>(header->idFrom), static_cast<int>(header->code),
                                                    NotifiedItem(*header));
      SetWindowLongPtrA(static_cast<HWND>(hwnd), DWLP_MSGRESULT, answer);
      return true;
    }
    case WM_CLOSE:
      dialog.DispatchClose();
      return true;
    default:
      return false;
  }
}

}  // namespace ui::win32
