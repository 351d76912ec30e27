#pragma once
#include "platform/Serial.h"

namespace platform::win32 {

class Win32Serial final : public Serial {
public:
  DWORD CreateFileA(const std::string& name, DWORD desiredAccess, std::unique_ptr<SerialPort>& out) override;
};

}  // namespace platform::win32
