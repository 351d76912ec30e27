#include "platform/sim/SimServiceControl.h"

#include <map>

#include "platform/sim/ServiceStateMachine.h"

namespace platform::sim {
namespace {


// Service manager rights a user without administrative rights gets: connect, enumerate, query
// the lock status, read the security.
constexpr DWORD kManagerUserRights = 0x1 | 0x4 | 0x10 | access::ReadControl;

constexpr DWORD kServiceQueryConfig = 0x1;
constexpr DWORD kServiceChangeConfig = 0x2;
constexpr DWORD kServiceQueryStatus = 0x4;
constexpr DWORD kServiceEnumerateDependents = 0x8;
constexpr DWORD kServiceStart = 0x10;
constexpr DWORD kServiceStop = 0x20;
constexpr DWORD kServicePauseContinue = 0x40;
constexpr DWORD kServiceInterrogate = 0x80;
constexpr DWORD kServiceUserDefined = 0x100;
constexpr DWORD kServiceUserRights =
    kServiceQueryConfig | kServiceQueryStatus | kServiceEnumerateDependents | kServiceInterrogate |
    kServiceUserDefined | access::ReadControl;

constexpr DWORD kControlInterrogate = 4;

// The specific rights a request stands for, or nullopt when the user may not have them.
std::optional<DWORD> Grant(DWORD requested, DWORD all, DWORD read, DWORD write, DWORD execute, DWORD userRights,
                           bool privileged) {
  const DWORD allowed = privileged ? all : userRights;
  DWORD rights = requested & ~(access::GenericRead | access::GenericWrite | access::GenericExecute | access::GenericAll | access::MaximumAllowed);
  if (requested & access::GenericRead) rights |= read;
  if (requested & access::GenericWrite) rights |= write;
  if (requested & access::GenericExecute) rights |= execute;
  if (requested & access::GenericAll) rights |= all;
  if ((rights & ~allowed) != 0) return std::nullopt;
  if (requested & access::MaximumAllowed) rights |= allowed;
  return rights;
}

}  // namespace

struct SimServiceControl::Core {
  MachineLock lock;
  MachineConfig& config;
  SimClock& clock;
  std::shared_ptr<FaultInjector> faults;
  std::shared_ptr<HandleTable> handles;
  std::map<std::string, ServiceStateMachine, LessNoCase> machines;

  // The service's entry and state machine (caller holds the lock); nullptr when there is none.
  std::pair<ServiceConfig*, ServiceStateMachine*> Find(const std::string& name) {
    const auto it = config.services.find(name);
    if (it == config.services.end()) return {nullptr, nullptr};
    return {&it->second, &machines[it->first]};
  }
};

namespace {

using CorePtr = std::shared_ptr<SimServiceControl::Core>;

class SimServiceHandle : public ServiceHandle {
public:
  SimServiceHandle(CorePtr core, std::string name, DWORD rights)
      : core_(std::move(core)), name_(std::move(name)), rights_(rights),
        handle_(core_->handles->Register("service", name_)) {}
  ~SimServiceHandle() override {
    const auto held = core_->lock.Hold();
    core_->faults->Check("CloseServiceHandle");
    core_->handles->Release(handle_);
  }

  DWORD ControlService(DWORD control, ServiceStatus& status) override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = core_->faults->Check("ControlService")) return error;
    const DWORD needed = control == svccontrol::Stop        ? kServiceStop
                         : control == kControlInterrogate ? kServiceInterrogate
                                                          : 0;
    if (needed == 0) return winerr::InvalidServiceControl;
    if ((rights_ & needed) == 0) return winerr::AccessDenied;
    auto [config, machine] = core_->Find(name_);
    if (!config) return winerr::ServiceDoesNotExist;
    const std::uint64_t now = core_->clock.Elapsed();
    const DWORD result = control == svccontrol::Stop ? machine->Stop(*config, now) : winerr::Success;
    status = machine->Settle(*config, now);
    return result;
  }

  DWORD QueryServiceStatus(ServiceStatus& status) override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = core_->faults->Check("QueryServiceStatus")) return error;
    if ((rights_ & kServiceQueryStatus) == 0) return winerr::AccessDenied;
    auto [config, machine] = core_->Find(name_);
    if (!config) return winerr::ServiceDoesNotExist;
    status = machine->Settle(*config, core_->clock.Elapsed());
    return winerr::Success;
  }

  DWORD StartServiceA() override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = core_->faults->Check("StartServiceA")) return error;
    if ((rights_ & kServiceStart) == 0) return winerr::AccessDenied;
    auto [config, machine] = core_->Find(name_);
    if (!config) return winerr::ServiceDoesNotExist;
    return machine->Start(*config, core_->clock.Elapsed());
  }

private:
  CorePtr core_;
  std::string name_;
  DWORD rights_;
  HandleTable::Id handle_;
};

class SimServiceManagerHandle : public ServiceManagerHandle {
public:
  explicit SimServiceManagerHandle(CorePtr core)
      : core_(std::move(core)), handle_(core_->handles->Register("service manager", "ServicesActive")) {}
  ~SimServiceManagerHandle() override {
    const auto held = core_->lock.Hold();
    core_->faults->Check("CloseServiceHandle");
    core_->handles->Release(handle_);
  }

  DWORD OpenServiceA(const std::string& serviceName, DWORD access, std::unique_ptr<ServiceHandle>& out) override {
    const auto held = core_->lock.Hold();
    out.reset();
    if (const DWORD error = core_->faults->Check("OpenServiceA")) return error;
    const auto it = core_->config.services.find(serviceName);
    if (it == core_->config.services.end()) return winerr::ServiceDoesNotExist;
    std::string name = it->first;
    const bool privileged = core_->config.user.canControlServices && core_->config.user.administrator;
    const auto rights =
        Grant(access, svcaccess::ServiceAllAccess,
              access::ReadControl | kServiceQueryConfig | kServiceQueryStatus | kServiceInterrogate |
                  kServiceEnumerateDependents,
              access::ReadControl | kServiceChangeConfig,
              access::ReadControl | kServiceStart | kServiceStop | kServicePauseContinue | kServiceUserDefined,
              kServiceUserRights, privileged);
    if (!rights) return winerr::AccessDenied;
    out = std::make_unique<SimServiceHandle>(core_, std::move(name), *rights);
    return winerr::Success;
  }

private:
  CorePtr core_;
  HandleTable::Id handle_;
};

}  // namespace

SimServiceControl::SimServiceControl(MachineLock lock, MachineConfig& config, SimClock& clock,
                                     std::shared_ptr<FaultInjector> faults, std::shared_ptr<HandleTable> handles)
    : core_(std::shared_ptr<Core>(new Core{std::move(lock), config, clock, std::move(faults), std::move(handles), {}})) {}

SimServiceControl::~SimServiceControl() = default;

DWORD SimServiceControl::OpenSCManagerA(DWORD access, std::unique_ptr<ServiceManagerHandle>& out) {
  const auto held = core_->lock.Hold();
  out.reset();
  if (const DWORD error = core_->faults->Check("OpenSCManagerA")) return error;
  const bool privileged = core_->config.user.canControlServices && core_->config.user.administrator;
  if (!Grant(access, svcaccess::ScManagerAllAccess, access::ReadControl | 0x4 | 0x10, access::ReadControl | 0x2 | 0x20,
             access::ReadControl | 0x1 | 0x8, kManagerUserRights, privileged)) {
    return winerr::AccessDenied;
  }
  out = std::make_unique<SimServiceManagerHandle>(core_);
  return winerr::Success;
}

std::optional<std::uint64_t> SimServiceControl::RunningInstance(const std::string& serviceName) {
  const auto held = core_->lock.Hold();
  auto [config, machine] = core_->Find(serviceName);
  if (!config || machine->Settle(*config, core_->clock.Elapsed()).currentState != svcstate::Running) {
    return std::nullopt;
  }
  return machine->runs();
}

DWORD SimServiceControl::CurrentState(const std::string& serviceName) {
  const auto held = core_->lock.Hold();
  auto [config, machine] = core_->Find(serviceName);
  return config ? machine->Settle(*config, core_->clock.Elapsed()).currentState : svcstate::Stopped;
}

void SimServiceControl::SettleAll() {
  const auto held = core_->lock.Hold();
  for (auto& [name, config] : core_->config.services) core_->machines[name].Settle(config, core_->clock.Elapsed());
}

}  // namespace platform::sim
