#pragma once
#include "platform/LastError.h"

namespace platform::win32 {

class Win32LastError final : public LastError {
public:
  void SetLastError(DWORD code) override;
  DWORD GetLastError() override;
};

}  // namespace platform::win32
