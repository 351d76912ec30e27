#pragma once
#include "platform/ProcessInfo.h"

namespace platform::win32 {

class Win32Process final : public ProcessInfo {
public:
  std::string GetModuleFileNameA() override;
  LANGID GetUserDefaultUILanguage() override;
  [[noreturn]] void ExitProcess(UINT code) override;
  DWORD GetUserNameA(DWORD bufferSize, std::string& name) override;
  // Calls "Netapi32.dll" through a run-time load: the program does not import it.
  DWORD NetUserGetInfo(const std::u16string& userName, UserInfo1& info) override;
  DWORD OpenProcessToken(DWORD access, std::unique_ptr<AccessToken>& out) override;
  DWORD LookupPrivilegeValueW(const std::u16string& name, Luid& luid) override;
};

}  // namespace platform::win32
