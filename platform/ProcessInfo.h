#pragma once
#include <memory>
#include <string>

#include "platform/AccessToken.h"
#include "platform/Win32Types.h"

namespace platform {

namespace lang {
constexpr LANGID EnglishUs = 0x0409;
constexpr LANGID PortugueseBrazil = 0x0416;
constexpr LANGID Primary(LANGID id) { return id & 0x3FF; }
constexpr LANGID PrimaryPortuguese = 0x16;
}  // namespace lang

// What ExitProcess throws where the process cannot really end (the simulated machine): the
// program's outermost frame catches it and returns the code as its exit status.
struct ProcessExit {
  UINT code;
};

// USER_INFO_1 as far as the caller reads it.
struct UserInfo1 {
  std::u16string name;
  DWORD privilege = 0;  // USER_PRIV_GUEST 0, USER_PRIV_USER 1, USER_PRIV_ADMIN 2
};

namespace neterr {
constexpr DWORD UserNotFound = 2221;  // NERR_UserNotFound
}  // namespace neterr

// Facts about the running program and its user session.
class ProcessInfo {
public:
  virtual ~ProcessInfo() = default;
  // Full path of the program file, Windows style ("C:\...\KvxInstaller.exe").
  [[nodiscard]] virtual std::string GetModuleFileNameA() = 0;
  [[nodiscard]] virtual LANGID GetUserDefaultUILanguage() = 0;
  // Ends the process at once with `code`; nothing after the call runs.
  [[noreturn]] virtual void ExitProcess(UINT code) = 0;
  // The user name of the thread's account into a buffer of bufferSize characters with its NUL:
  // 0, or the Win32 error (winerr::InsufficientBuffer when it does not fit).
  [[nodiscard]] virtual DWORD GetUserNameA(DWORD bufferSize, std::string& name) = 0;
  // "Netapi32.dll" NetUserGetInfo for the local computer at level 1, once the caller found it in the
  // loaded library (see Libraries); the backend frees the record with NetApiBufferFree.
  // A NET_API_STATUS: 0, a Win32 error or a neterr code.
  [[nodiscard]] virtual DWORD NetUserGetInfo(const std::u16string& userName, UserInfo1& info) = 0;
  // OpenProcessToken(GetCurrentProcess(), access).
  [[nodiscard]] virtual DWORD OpenProcessToken(DWORD access, std::unique_ptr<AccessToken>& out) = 0;
  // LookupPrivilegeValueW on the local system ("SeBackupPrivilege", ...): winerr::NoSuchPrivilege when unknown.
  [[nodiscard]] virtual DWORD LookupPrivilegeValueW(const std::u16string& name, Luid& luid) = 0;
};

}  // namespace platform
