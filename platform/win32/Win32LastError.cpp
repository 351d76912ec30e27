#include "platform/win32/Win32LastError.h"

#include <windows.h>

namespace platform::win32 {

void Win32LastError::SetLastError(DWORD code) { ::SetLastError(code); }

}  // namespace platform::win32
