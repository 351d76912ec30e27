#include "platform/win32/Win32WindowMessages.h"

#include <windows.h>

namespace platform::win32 {

static_assert(wm::DevModeChange == WM_DEVMODECHANGE && wm::SmtoNormal == SMTO_NORMAL);

DWORD Win32WindowMessages::BroadcastTextMessageA(DWORD message, const std::string& text, DWORD flags,
                                                 DWORD timeoutMs) {
  DWORD_PTR result = 0;
  // A broadcast reports no single window's answer; the caller decides whether a time-out matters.
  if (::SendMessageTimeoutA(HWND_BROADCAST, message, 0, reinterpret_cast<LPARAM>(text.c_str()), flags, timeoutMs,
                            &result) != 0)
    return ERROR_SUCCESS;
  return ::GetLastError();
}

DWORD Win32WindowMessages::BroadcastTextMessageW(DWORD message, const std::u16string& text, DWORD flags,
                                                 DWORD timeoutMs) {
  DWORD_PTR result = 0;
  if (::SendMessageTimeoutW(HWND_BROADCAST, message, 0, reinterpret_cast<LPARAM>(text.c_str()), flags, timeoutMs,
                            &result) != 0)
    return ERROR_SUCCESS;
  return ::GetLastError();
}

}  // namespace platform::win32
