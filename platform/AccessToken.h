#pragma once
#include "platform/Win32Types.h"

namespace platform {

// LUID: how the local system names a privilege.
struct Luid {
  DWORD lowPart = 0;
  LONG highPart = 0;
  bool operator==(const Luid&) const = default;
};

namespace tokenaccess {
constexpr DWORD Query = 0x0008;             // TOKEN_QUERY
constexpr DWORD AdjustPrivileges = 0x0020;  // TOKEN_ADJUST_PRIVILEGES
}  // namespace tokenaccess

namespace seprivilege {
constexpr DWORD Enabled = 0x0002;  // SE_PRIVILEGE_ENABLED
}  // namespace seprivilege

namespace winerr {
constexpr DWORD NoSuchPrivilege = 1313;   // ERROR_NO_SUCH_PRIVILEGE
constexpr DWORD PrivilegeNotHeld = 1314;  // ERROR_PRIVILEGE_NOT_HELD
}  // namespace winerr

// An open access token (HANDLE); destruction closes it.
class AccessToken {
public:
  virtual ~AccessToken() = default;
  // AdjustTokenPrivileges with one privilege and no previous state. 0 on success; then allAssigned is
  // false when the account does not hold the privilege (Windows: TRUE and GetLastError 1300).
  [[nodiscard]] virtual DWORD AdjustPrivilege(const Luid& privilege, DWORD attributes, bool& allAssigned) = 0;
};

}  // namespace platform
