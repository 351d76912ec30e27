#pragma once
// One service's life in virtual time: a stop or start request puts it in a pending state that
// completes once its configured time has passed. Nothing runs in the background; every look at
// the service settles what the clock says has happened since.
#include <cstdint>

#include "platform/ServiceControl.h"
#include "platform/sim/MachineConfig.h"

namespace platform::sim {

class ServiceStateMachine {
public:
  // Moves config.state on when the pending transition has had its time; returns the status then.
  ServiceStatus Settle(ServiceConfig& config, std::uint64_t now);
  // SERVICE_CONTROL_STOP: 0, 1062 when stopped, 1061 while a transition is pending.
  DWORD Stop(ServiceConfig& config, std::uint64_t now);
  // StartServiceA: 0, or 1056 unless stopped.
  DWORD Start(ServiceConfig& config, std::uint64_t now);
  // Counts the times the service reached Running by a start; tells one run of it from the next.
  std::uint64_t runs() const { return runs_; }

private:
  std::uint64_t pendingSince_ = 0;  // when the current pending state began
  std::uint64_t runs_ = 0;
};

}  // namespace platform::sim
