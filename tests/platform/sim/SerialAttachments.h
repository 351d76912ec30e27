#pragma once
// What a test attaches to a simulated COM port.
#include "platform/sim/MachineConfig.h"

namespace simtest {

inline platform::sim::SerialAttachment Printer(platform::DWORD baud, bool echo = false) {
  platform::sim::SerialAttachment a;
  a.printerBaud = baud;
  a.echo = echo;
  return a;
}
inline platform::sim::SerialAttachment Echo() { return Printer(0, true); }
inline platform::sim::SerialAttachment Busy() {
  platform::sim::SerialAttachment a;
  a.busy = true;
  return a;
}

}  // namespace simtest
