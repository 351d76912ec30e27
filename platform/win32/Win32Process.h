#pragma once
#include "platform/ProcessInfo.h"

namespace platform::win32 {

class Win32Process final : public ProcessInfo {
public:
  std::string GetModuleFileNameA() override;
  LANGID GetUserDefaultUILanguage() override;
};

}  // namespace platform::win32
