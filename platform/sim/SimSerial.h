#pragma once
// platform::Serial on the machine's COM ports. Which ports exist is the device tree's business
// (present "Ports" devices with a "COMn" port name, SimDeviceSetup.h); what is attached to them
// comes from machine.json (MachineConfig::serial):
//   "serial": {"COM1": {"printer": {"baud": 9600}}, "COM2": {"busy": true}, "COM3": {"echo": true},
//              "COM4": {"device": "/dev/pts/7"}}
// A printer (PrinterPeer.h) answers only when the port is set to its rate and 8N1; "echo" sends
// back every byte (with "printer" too: the echo, then the answer); "busy" ports fail to open with 5;
// a "device" port hands every call to that device of this computer. A port not listed is silent:
// nothing answers and CTS and DSR stay low.
// Reads and writes take the virtual time the port's time-outs and the line's speed give. A port
// keeps its settings and time-outs between handles; handles are accounted ("serial port").
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "platform/Serial.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/MachineConfig.h"
#include "platform/sim/MachineLock.h"
#include "platform/sim/SimClock.h"

namespace platform::sim {

// "COM7" for "COM7" or "com7:"; nullopt for a name that is not a COM port's.
std::optional<std::string> ComPortKey(std::string_view name);

class SimSerial : public Serial {
public:
  SimSerial(MachineLock lock, MachineConfig& config, const nlohmann::ordered_json& document,
            std::shared_ptr<SimClock> clock, std::shared_ptr<FaultInjector> faults, std::shared_ptr<HandleTable> handles);

  DWORD CreateFileA(const std::string& name, DWORD desiredAccess, std::unique_ptr<SerialPort>& out) override;
  // Kept in machine.json ("defaultConfig" of the port); only for ports of the device tree.
  DWORD GetDefaultCommConfigA(const std::string& name, CommState& state) override;
  DWORD SetDefaultCommConfigA(const std::string& name, const CommState& state) override;

  // The settings a port was last given (or its power-on ones); names as in machine.json.
  CommState PortState(const std::string& port) const;

  // The ports' state that outlives handles: which are open, their settings and time-outs.
  struct Ports {
    std::set<std::string, LessNoCase> open;
    std::map<std::string, CommState, LessNoCase> states;
    std::map<std::string, CommTimeouts, LessNoCase> timeouts;
  };

private:
  MachineLock lock_;
  MachineConfig& config_;
  const nlohmann::ordered_json& document_;
  std::shared_ptr<SimClock> clock_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
  std::shared_ptr<Ports> ports_ = std::make_shared<Ports>();
};

}  // namespace platform::sim
