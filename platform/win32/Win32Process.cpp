#include "platform/win32/Win32Process.h"

#include <windows.h>
#include <lm.h>

#include <cstdio>
#include <iostream>
#include <vector>

#include "platform/win32/Win32Libraries.h"

namespace platform::win32 {

static_assert(neterr::UserNotFound == NERR_UserNotFound);

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

}  // namespace platform::win32
