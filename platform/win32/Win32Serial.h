#pragma once
#include "platform/Serial.h"

namespace platform::win32 {

class Win32Serial final : public Serial {
public:
  DWORD CreateFileA(const std::string& name, DWORD desiredAccess, std::unique_ptr<SerialPort>& out) override;
  DWORD GetDefaultCommConfigA(const std::string& name, CommState& state) override;
  DWORD SetDefaultCommConfigA(const std::string& name, const CommState& state) override;
};

}  // namespace platform::win32
