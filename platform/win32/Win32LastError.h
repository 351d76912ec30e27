#pragma once
#include "platform/LastError.h"

namespace platform::win32 {

class Win32LastError final : public LastError {
public:
  void SetLastError(DWORD code) override;
};

}  // namespace platform::win32
