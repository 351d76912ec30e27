#pragma once
// The printer's interfaces by the names the command line takes and the transcript writes.

namespace interfacename {
inline constexpr const char* kSerial = "serial";
inline constexpr const char* kParallel = "parallel";
inline constexpr const char* kUsb = "usb";
inline constexpr const char* kEthernet = "ethernet";
inline constexpr const char* kNone = "none";  // no interface was chosen
}  // namespace interfacename
