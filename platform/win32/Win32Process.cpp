#include "platform/win32/Win32Process.h"

#include <windows.h>
#include <lm.h>

#include <cstdio>
#include <iostream>
#include <vector>

#include "platform/win32/Win32Libraries.h"

namespace platform::win32 {

static_assert(neterr::UserNotFound == NERR_UserNotFound);
static_assert(tokenaccess::Query == TOKEN_QUERY && tokenaccess::AdjustPrivileges == TOKEN_ADJUST_PRIVILEGES &&
              seprivilege::Enabled == SE_PRIVILEGE_ENABLED);
static_assert(winerr::NoSuchPrivilege == ERROR_NO_SUCH_PRIVILEGE && winerr::PrivilegeNotHeld == ERROR_PRIVILEGE_NOT_HELD);

namespace {

// Owns a token handle.
class Win32AccessToken final : public AccessToken {
public:
  explicit Win32AccessToken(HANDLE token) : token_(token) {}
  ~Win32AccessToken() override { ::CloseHandle(token_); }
  Win32AccessToken(const Win32AccessToken&) = delete;
  Win32AccessToken& operator=(const Win32AccessToken&) = delete;

  DWORD AdjustPrivilege(const Luid& privilege, DWORD attributes, bool& allAssigned) override {
    allAssigned = false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = privilege.lowPart;
    privileges.Privileges[0].Luid.HighPart = privilege.highPart;
    privileges.Privileges[0].Attributes = attributes;
    if (!::AdjustTokenPrivileges(token_, FALSE, &privileges, 0, nullptr, nullptr)) return ::GetLastError();
    // Success, and yet some privilege may not be held: the last error tells.
    allAssigned = ::GetLastError() != ERROR_NOT_ALL_ASSIGNED;
    return ERROR_SUCCESS;
  }

private:
  HANDLE token_;
};

}  // namespace

std::string Win32Process::GetModuleFileNameA() {
  // A path may be longer than MAX_PATH; a full buffer means it was cut.
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

LANGID Win32Process::GetUserDefaultUILanguage() { return ::GetUserDefaultUILanguage(); }

// What the program wrote so far (a transcript, a redirected console) reaches its file first.
void Win32Process::ExitProcess(UINT code) {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  ::ExitProcess(code);
}

DWORD Win32Process::GetUserNameA(DWORD bufferSize, std::string& name) {
  name.clear();
  std::vector<char> buffer(bufferSize + 1);
  ::DWORD size = bufferSize;
  if (!::GetUserNameA(buffer.data(), &size)) return ::GetLastError();
  name = buffer.data();
  return ERROR_SUCCESS;
}

DWORD Win32Process::NetUserGetInfo(const std::u16string& userName, UserInfo1& info) {
  info = {};
  const LoadedFunction<decltype(::NetUserGetInfo)> getInfo("Netapi32.dll", "NetUserGetInfo");
  const LoadedFunction<decltype(::NetApiBufferFree)> freeBuffer("Netapi32.dll", "NetApiBufferFree");
  if (getInfo.error() != ERROR_SUCCESS) return getInfo.error();
  if (freeBuffer.error() != ERROR_SUCCESS) return freeBuffer.error();
  LPBYTE record = nullptr;
  const NET_API_STATUS status =
      getInfo(nullptr, reinterpret_cast<LPCWSTR>(userName.c_str()), 1, &record);
  if (status != NERR_Success) return status;
  const auto* user = reinterpret_cast<const USER_INFO_1*>(record);
  if (user->usri1_name != nullptr) info.name = reinterpret_cast<const char16_t*>(user->usri1_name);
  info.privilege = user->usri1_priv;
  freeBuffer(record);
  return ERROR_SUCCESS;
}

DWORD Win32Process::OpenProcessToken(DWORD access, std::unique_ptr<AccessToken>& out) {
  out.reset();
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), access, &token)) return ::GetLastError();
  out = std::make_unique<Win32AccessToken>(token);
  return ERROR_SUCCESS;
}

DWORD Win32Process::LookupPrivilegeValueW(const std::u16string& name, Luid& luid) {
  LUID found{};
  if (!::LookupPrivilegeValueW(nullptr, reinterpret_cast<LPCWSTR>(name.c_str()), &found)) return ::GetLastError();
  luid = Luid{found.LowPart, found.HighPart};
  return ERROR_SUCCESS;
}

}  // namespace platform::win32
