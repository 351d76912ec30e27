#pragma once
// platform::DeviceSetup on the device tree in machine.json:
//   "devices": [{"class": "Ports", "hardwareIds": ["ACPI\\PNP0501"], "description": "...",
//                "portName": "COM1", "present": true, "instanceId": "ACPI\\PNP0501\\1"}]
//   "driverPackages": {"ACPI\\PNP0501": {"better": true, "reboot": false}}
// Without "devices" the machine has COM1 and LPT1 as its default ports. A device's key
// (SetupDiOpenDevRegKey) is HKLM\SYSTEM\CurrentControlSet\Enum\<instanceId>\Device Parameters, made
// with its "PortName" the first time it is opened. A driver update is recorded in "installedDrivers".
// Device information sets are accounted in the handle table ("device info set").
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/DeviceSetup.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/MachineLock.h"
#include "platform/sim/MachineConfig.h"
#include "platform/sim/RegistryTree.h"

namespace platform::sim {

struct SimDevice {
  std::string className;
  std::vector<std::string> hardwareIds;
  std::string description;
  std::string portName;
  bool present = true;
  std::string instanceId;
};

// The setup classes the machine knows ("Ports", "System", "USB", "Printer"); nullopt for others.
std::optional<Guid> SetupClassGuid(const std::string& className);
// The devices of machine.json (or the default ones); entries that are not objects are skipped.
std::vector<SimDevice> ReadDevices(const nlohmann::ordered_json& document);

class SimDeviceSetup : public DeviceSetup {
public:
  SimDeviceSetup(MachineLock lock, nlohmann::ordered_json& document, std::filesystem::path driveC,
                 std::shared_ptr<RegistryTree> tree, std::shared_ptr<FaultInjector> faults,
                 std::shared_ptr<HandleTable> handles, const MachineConfig& config);

  DWORD SetupDiClassGuidsFromNameA(const std::string& className, DWORD bufferCount, std::vector<Guid>& guids,
                                   DWORD& required) override;
  DWORD SetupDiGetClassDevsA(const Guid& classGuid, DWORD flags, std::unique_ptr<DeviceInfoSet>& out) override;
  DWORD UpdateDriverForPlugAndPlayDevicesA(const std::string& hardwareId, const std::string& fullInfPath,
                                           DWORD installFlags, bool& rebootRequired) override;

  // At most what the device keys not made yet would add to machine.json, in bytes.
  std::size_t UnmadeKeysSize() const;

private:
  MachineLock lock_;
  const MachineConfig& config_;
  nlohmann::ordered_json& document_;
  std::filesystem::path driveC_;
  std::shared_ptr<RegistryTree> tree_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
};

}  // namespace platform::sim
