#pragma once
#include <memory>

#include "platform/VersionInfo.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/MachineConfig.h"
#include "platform/sim/MachineLock.h"

namespace platform::sim {

class SimVersion : public VersionInfo {
public:
  SimVersion(MachineLock lock, const MachineConfig& config, std::shared_ptr<FaultInjector> faults)
      : lock_(std::move(lock)), config_(config), faults_(std::move(faults)) {}
  DWORD GetVersionExA(OsVersionInfoA& info) override;

private:
  MachineLock lock_;
  const MachineConfig& config_;
  std::shared_ptr<FaultInjector> faults_;
};

}  // namespace platform::sim
