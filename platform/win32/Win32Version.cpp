#include "platform/win32/Win32Version.h"

#include <windows.h>

#include <cstring>

namespace platform::win32 {

static_assert(sizeof(OSVERSIONINFOA) == 148 && sizeof(OSVERSIONINFOEXA) == 156);
static_assert(osplatform::Nt == VER_PLATFORM_WIN32_NT && osplatform::Windows == VER_PLATFORM_WIN32_WINDOWS);

DWORD Win32Version::GetVersionExA(OsVersionInfoA& info) {
  // Room for the extended record; the size field alone tells Windows which one the caller means,
  // and a wrong size is Windows' to refuse.
  OSVERSIONINFOEXA record{};
  record.dwOSVersionInfoSize = info.dwOSVersionInfoSize;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  BOOL ok = ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record));
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  if (!ok) return ::GetLastError();
  info.dwMajorVersion = record.dwMajorVersion;
  info.dwMinorVersion = record.dwMinorVersion;
  info.dwBuildNumber = record.dwBuildNumber;
  info.dwPlatformId = record.dwPlatformId;
  info.szCSDVersion.assign(record.szCSDVersion, strnlen(record.szCSDVersion, sizeof record.szCSDVersion));
  return ERROR_SUCCESS;
}

}  // namespace platform::win32
