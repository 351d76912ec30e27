#pragma once
#include "platform/PrintSpooler.h"

namespace platform::win32 {

class Win32WindowMessages final : public WindowMessages {
public:
  // 0, or the error SendMessageTimeoutA leaves when it returns 0 (1460 when a window timed out).
  DWORD BroadcastTextMessageA(DWORD message, const std::string& text, DWORD flags, DWORD timeoutMs) override;
  // The same with SendMessageTimeoutW.
  DWORD BroadcastTextMessageW(DWORD message, const std::u16string& text, DWORD flags, DWORD timeoutMs) override;
};

}  // namespace platform::win32
