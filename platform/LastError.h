#pragma once
#include "platform/Win32Types.h"

namespace platform {

// The calling thread's last-error code (SetLastError/GetLastError): how COM methods that return
// E_FAIL tell their caller why.
class LastError {
public:
  virtual ~LastError() = default;
  virtual void SetLastError(DWORD code) = 0;
};

}  // namespace platform
