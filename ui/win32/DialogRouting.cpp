#define NOMINMAX
#include "ui/win32/DialogRouting.h"

#include <windows.h>

namespace ui::win32 {

bool RouteDialogMessage(Dialog& dialog, void* hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  switch (message) {
    case WM_COMMAND:
      dialog.DispatchCommand(LOWORD(wParam), HIWORD(wParam));
      return true;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      const intptr_t answer =
          dialog.DispatchNotify(static_cast<int>(header->idFrom), static_cast<int>(header->code));
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
