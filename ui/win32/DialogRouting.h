#pragma once
#include <cstdint>

#include "ui/Dialog.h"

namespace ui::win32 {

// Hands one window message of a dialog procedure to the dialog's handlers: WM_COMMAND,
// WM_NOTIFY (its answer goes to DWLP_MSGRESULT) and WM_CLOSE. Returns the value the dialog
// procedure returns: true when the message was handled. Exceptions other than the
// silent UserException pass through to the caller, which must not let them into the system.
bool RouteDialogMessage(Dialog& dialog, void* hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

}  // namespace ui::win32
