#pragma once
// What a port's name says about the port.
#include <string>

#include "engine/PortMonitorContract.h"

enum class PortKind { Usb, Parallel, Other };

// "USB" wins over "LPT" when a name holds both.
inline PortKind PortKindOf(const std::string& portName) {
  if (portName.find("USB") != std::string::npos) return PortKind::Usb;
  if (portName.find("LPT") != std::string::npos) return PortKind::Parallel;
  return PortKind::Other;
}

inline bool IsNetworkPort(const std::string& portName) {
  return portName.find(kNetworkPortMarker) != std::string::npos;
}
