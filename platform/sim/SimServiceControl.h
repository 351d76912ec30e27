#pragma once
// platform::ServiceControl on the machine's configured services (MachineConfig::services), with
// Windows' answers: 5 for access the user may not have or the handle was not opened with (a user
// without administrative rights, or one refused service control, may only look), 1060 for an
// unknown service, 1056/1061/1062 from the state machine. Manager and service handles are
// accounted in the handle table ("service manager", "service"); a handle outliving the machine
// can only be closed.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ServiceControl.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/MachineConfig.h"
#include "platform/sim/MachineLock.h"
#include "platform/sim/SimClock.h"

namespace platform::sim {

class SimServiceControl : public ServiceControl {
public:
  SimServiceControl(MachineLock lock, MachineConfig& config, SimClock& clock, std::shared_ptr<FaultInjector> faults,
                    std::shared_ptr<HandleTable> handles);
  ~SimServiceControl() override;

  DWORD OpenSCManagerA(DWORD access, std::unique_ptr<ServiceManagerHandle>& out) override;

  // Which run of the service this is while it is running (changes with every start), else nullopt.
  // The spooler's handles belong to one run of the "Spooler" service.
  std::optional<std::uint64_t> RunningInstance(const std::string& serviceName);
  // The service's state now (svcstate); Stopped for an unknown service.
  DWORD CurrentState(const std::string& serviceName);
  // Brings every service's state up to the clock, e.g. before the machine is saved.
  void SettleAll();

  struct Core;

private:
  std::shared_ptr<Core> core_;
};

}  // namespace platform::sim
