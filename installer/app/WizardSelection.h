#pragma once
#include <cstdint>
#include <string>

#include "engine/OsKind.h"

enum class DriverKind { Regular, ReducedScale };
enum class PrintWidth { None, Width80, Width48 };

// The wizard's choices, carried from the dialogs to the installation run.
struct WizardSelection {
  std::string modelName;
  DriverKind driverKind = DriverKind::Regular;
  PrintWidth printWidth = PrintWidth::Width80;
  // "COM1:", "LPT1:", "USB", or "IP" with the address in portParameter; the baud rate of a COM port.
  std::string portChoice;
  std::string portParameter;
  std::int32_t flowControlIndex = 0;
  std::int32_t tcpPort = 9100;
  bool hidden = false;
  bool newMonitorPending = true;
  OsKind osKind = kOsWin98;
};
