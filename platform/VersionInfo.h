#pragma once
#include <string>

#include "platform/Win32Types.h"

namespace platform {

// OSVERSIONINFOA.
struct OsVersionInfoA {
  DWORD dwOSVersionInfoSize = 148;
  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  DWORD dwPlatformId = 0;
  std::string szCSDVersion;  // at most 127 characters
};

namespace osplatform {
constexpr DWORD Win32s = 0;
constexpr DWORD Windows = 1;
constexpr DWORD Nt = 2;
}  // namespace osplatform

class VersionInfo {
public:
  virtual ~VersionInfo() = default;
  // Returns a Win32 error (0 on success); a size field other than 148 or 156 gives winerr::InsufficientBuffer.
  [[nodiscard]] virtual DWORD GetVersionExA(OsVersionInfoA& info) = 0;
};

}  // namespace platform
