#pragma once
#include <memory>

#include "platform/VersionInfo.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/MachineConfig.h"

namespace platform::sim {

class SimVersion : public VersionInfo {
public:
  SimVersion(const MachineConfig& config, std::shared_ptr<FaultInjector> faults)
      : config_(config), faults_(std::move(faults)) {}
  DWORD GetVersionExA(OsVersionInfoA& info) override;

private:
  const MachineConfig& config_;
  std::shared_ptr<FaultInjector> faults_;
};

}  // namespace platform::sim
