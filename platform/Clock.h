#pragma once
#include "platform/Win32Types.h"

namespace platform {

// Every wait of the system goes through here, so the simulated machine can run them in virtual time.
class Clock {
public:
  virtual ~Clock() = default;
  virtual void Sleep(DWORD milliseconds) = 0;
  [[nodiscard]] virtual DWORD GetTickCount() = 0;
};

}  // namespace platform
