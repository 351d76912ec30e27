#pragma once
// Which of the computer's ports a port page lists, and the filling of its port box.
#include <optional>
#include <string>
#include <vector>

#include "engine/PnpDevices.h"
#include "platform/DeviceSetup.h"
#include "ui/Controls.h"

// A USB serial adapter is no built-in serial port.
inline constexpr PortFilter kSerialPortRule{"COM", "USB", true};
inline constexpr PortFilter kParallelPortRule{"LPT", nullptr, false};
inline constexpr PortFilter kUsbVcomPortRule{"COM", kUsbVcomId, false};
// The computer's own serial ports (standard serial controllers), where "Detect" probes.
inline constexpr PortFilter kBuiltInSerialRule{"COM", "PNP05", false};

// The port names ("COM1:") in the order the device lookup returns them.
std::vector<std::string> ListPorts(platform::Libraries& libraries, platform::DeviceSetup& devices,
                                   const PortFilter& rule);

// Empties the box, adds the rule's ports and selects the first; an empty lookup leaves it empty.
void FillPortBox(platform::Libraries& libraries, platform::DeviceSetup& devices, ui::ComboBox box,
                 const PortFilter& rule);
