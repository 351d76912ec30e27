#include "platform/win32/Win32Clock.h"

#include <windows.h>

namespace platform::win32 {

void Win32Clock::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

DWORD Win32Clock::GetTickCount() { return ::GetTickCount(); }

}  // namespace platform::win32
