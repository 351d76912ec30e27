#pragma once
// Which of the computer's ports a port page lists, and the filling of its port box.
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "ui/Controls.h"

// The printer's own USB virtual serial port.
inline constexpr const char* kUsbVcomHardwareId = "USB\\VID_5C3D&PID_0003";

// Present "Ports" devices whose "PortName" begins with `prefix` and whose upper-cased hardware id
// contains `hardwareId` (or, with `exclude`, does not); no hardware id: any device.
struct PortListRule {
  const char* prefix;
  const char* hardwareId;
  bool exclude;
};

// A USB serial adapter is no built-in serial port.
inline constexpr PortListRule kSerialPortRule{"COM", "USB", true};
inline constexpr PortListRule kParallelPortRule{"LPT", nullptr, false};
inline constexpr PortListRule kUsbVcomPortRule{"COM", kUsbVcomHardwareId, false};
// The computer's own serial ports (standard serial controllers), where "Detect" probes.
inline constexpr PortListRule kBuiltInSerialRule{"COM", "PNP05", false};

// The port names ("COM1:") in the order the device lookup returns them.
std::vector<std::string> ListPorts(platform::Platform& os, const PortListRule& rule);

// Empties the box, adds the rule's ports and selects the first; an empty lookup leaves it empty.
void FillPortBox(platform::Platform& os, ui::ComboBox box, const PortListRule& rule);
