#pragma once
#include "platform/VersionInfo.h"

namespace platform::win32 {

class Win32Version final : public VersionInfo {
public:
  DWORD GetVersionExA(OsVersionInfoA& info) override;
};

}  // namespace platform::win32
