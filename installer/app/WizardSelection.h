#pragma once
#include <cstdint>
#include <string>

#include "engine/OsKind.h"
#include "engine/PortMonitorContract.h"

enum class DriverKind { Regular, ReducedScale };
enum class PrintWidth { None, Width80, Width48 };

// The port choices of the interfaces without a port list: USB without the virtual COM page, and ethernet.
inline constexpr const char* kUsbPortChoice = "USB";
inline constexpr const char* kNetworkPortChoice = "IP";

// The wizard's choices, carried from the dialogs to the installation run.
struct WizardSelection {
  std::string modelName;
  DriverKind driverKind = DriverKind::Regular;
  PrintWidth printWidth = PrintWidth::Width80;
  // "COM1:", "LPT1:", "USB", or "IP" with the address in portParameter; the baud rate of a COM port.
  std::string portChoice;
  std::string portParameter;
  std::int32_t flowControlIndex = 0;
  std::int32_t tcpPort = kDefaultTcpPort;
  bool hidden = false;
  bool newMonitorPending = true;
  OsKind osKind = kOsWin98;
};
