#include "platform/sim/ServiceStateMachine.h"

namespace platform::sim {
namespace {

constexpr DWORD kWin32OwnProcess = 0x10;
constexpr DWORD kAcceptStopAndShutdown = 0x5;

}  // namespace

ServiceStatus ServiceStateMachine::Settle(ServiceConfig& config, std::uint64_t now) {
  const std::uint64_t elapsed = now >= pendingSince_ ? now - pendingSince_ : 0;
  if (config.state == svcstate::StopPending && elapsed >= config.stopMs) {
    config.state = svcstate::Stopped;
  } else if (config.state == svcstate::StartPending && !config.startNeverCompletes && elapsed >= config.startMs) {
    config.state = svcstate::Running;
    ++runs_;
  }

  ServiceStatus status;
  status.serviceType = kWin32OwnProcess;
  status.currentState = config.state;
  if (config.state == svcstate::Running) status.controlsAccepted = kAcceptStopAndShutdown;
  const bool starting = config.state == svcstate::StartPending;
  if (starting || config.state == svcstate::StopPending) {
    const bool advances = config.checkPointEveryMs != 0 && !(starting && config.startStalls);
    status.checkPoint = 1 + (advances ? static_cast<DWORD>(elapsed / config.checkPointEveryMs) : 0);
    status.waitHint = starting ? config.startWaitHint : config.stopWaitHint;
  }
  return status;
}

DWORD ServiceStateMachine::Stop(ServiceConfig& config, std::uint64_t now) {
  Settle(config, now);
  if (config.state == svcstate::Stopped) return winerr::ServiceNotActive;
  if (config.state != svcstate::Running) return winerr::ServiceCannotAcceptControl;
  config.state = svcstate::StopPending;
  pendingSince_ = now;
  return winerr::Success;
}

DWORD ServiceStateMachine::Start(ServiceConfig& config, std::uint64_t now) {
  Settle(config, now);
  if (config.state != svcstate::Stopped) return winerr::ServiceAlreadyRunning;
  config.state = svcstate::StartPending;
  pendingSince_ = now;
  return winerr::Success;
}

}  // namespace platform::sim
