#include "platform/sim/SimVersion.h"

namespace platform::sim {

DWORD SimVersion::GetVersionExA(OsVersionInfoA& info) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("GetVersionExA")) return error;
  // OSVERSIONINFOA or OSVERSIONINFOEXA, nothing else.
  if (info.dwOSVersionInfoSize != 148 && info.dwOSVersionInfoSize != 156) return winerr::InsufficientBuffer;
  const OsVersionConfig& os = config_.os;
  if (os.queryError != 0) return os.queryError;
  info.dwMajorVersion = os.major;
  info.dwMinorVersion = os.minor;
  info.dwBuildNumber = os.build;
  info.dwPlatformId = os.platformId;
  info.szCSDVersion = os.csd.substr(0, 127);
  return winerr::Success;
}

}  // namespace platform::sim
