#pragma once
#include "platform/Clock.h"

namespace platform::win32 {

class Win32Clock final : public Clock {
public:
  void Sleep(DWORD milliseconds) override;
  DWORD GetTickCount() override;
};

}  // namespace platform::win32
