#pragma once
// A terminal device of this computer (a pty, /dev/ttyS0, /dev/ttyUSB0) as a Windows
// communications port: what a simulated COM port mapped to a device path hands its calls to.
#include <memory>
#include <string>

#include "platform/Serial.h"

namespace platform::posix {

// Opens the device the way CreateFileA opens a COM port: exclusively (TIOCEXCL, and an flock that
// also holds against root), winerr::AccessDenied (5) when another program has it,
// winerr::FileNotFound (2) when there is no such device or it is not a terminal.
[[nodiscard]] DWORD OpenSerialDevice(const std::string& path, std::unique_ptr<SerialPort>& out);

}  // namespace platform::posix
