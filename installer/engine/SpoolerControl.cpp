// Stopping and starting the print spooler service, so its files and registrations can change.
#include <algorithm>

#include "engine/Win2kXPInstaller.h"

namespace {

using platform::DWORD;
using platform::ServiceHandle;
using platform::ServiceManagerHandle;
using platform::ServiceStatus;

constexpr const char* kSpoolerService = "spooler";
// A stop still pending then is given up on; the steps after it find out through their own calls.
constexpr DWORD kStopTimeoutMs = 5000;
// Notices the stop soon without keeping the processor busy.
constexpr DWORD kStopPollMs = 10;
// The spooler reports stopped before its process has let go of the files that are copied next.
constexpr DWORD kAfterStopMs = 500;
// Lets the service manager settle after the service is opened, before the first stop control.
constexpr DWORD kAfterOpenMs = 100;
// The spooler reports running before it has loaded its printers and monitors.
constexpr DWORD kAfterStartMs = 100;
// A quick restart's breathing room: for the stop to get under way, and for the start after it.
constexpr DWORD kCyclePauseMs = 200;

std::unique_ptr<ServiceManagerHandle> OpenManager(platform::ServiceControl& services) {
  std::unique_ptr<ServiceManagerHandle> manager;
  if (services.OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager) != platform::winerr::Success)
    manager.reset();
  return manager;
}

std::unique_ptr<ServiceHandle> OpenSpooler(ServiceManagerHandle& manager) {
  std::unique_ptr<ServiceHandle> service;
  if (manager.OpenServiceA(kSpoolerService, platform::svcaccess::ServiceAllAccess, service) !=
      platform::winerr::Success)
    service.reset();
  return service;
}

// A tenth of the service's own estimate, kept between one and ten seconds.
DWORD PollInterval(DWORD waitHint) { return std::clamp<DWORD>(waitHint / 10, 1000, 10000); }

// Waits, with the stop's limits, while a stop under way has not completed: a start sent before
// then is refused and would leave the spooler stopped. Any other state is no stop to wait for.
void WaitWhileStopping(ServiceHandle& service, platform::Clock& clock) {
  const DWORD start = clock.GetTickCount();
  ServiceStatus status;
  while (service.QueryServiceStatus(status) == platform::winerr::Success &&
         status.currentState == platform::svcstate::StopPending && clock.GetTickCount() - start < kStopTimeoutMs)
    clock.Sleep(kStopPollMs);
}

}  // namespace

void Win2kXPInstaller::StopSpooler() {
  platform::Clock& clock = os().clock;
  if (auto manager = OpenManager(os().services)) {
    auto service = OpenSpooler(*manager);
    clock.Sleep(kAfterOpenMs);
    if (service) {
      const DWORD start = clock.GetTickCount();
      ServiceStatus status;
      do {
        // Sent on every poll: a service that is still starting refuses it until it runs; the
        // status read next decides.
        (void)service->ControlService(platform::svccontrol::Stop, status);
        if (service->QueryServiceStatus(status) != platform::winerr::Success) break;
        if (clock.GetTickCount() - start >= kStopTimeoutMs) break;
        clock.Sleep(kStopPollMs);
      } while (status.currentState != platform::svcstate::Stopped);
    }
  }
  clock.Sleep(kAfterStopMs);
}

bool Win2kXPInstaller::WaitForSpoolerRunning() {
  platform::Clock& clock = os().clock;
  auto manager = OpenManager(os().services);
  if (!manager) return false;
  auto service = OpenSpooler(*manager);
  ServiceStatus status;
  if (!service || service->QueryServiceStatus(status) != platform::winerr::Success) return false;
  if (status.currentState == platform::svcstate::Running) return true;
  if (service->StartServiceA() != platform::winerr::Success ||
      service->QueryServiceStatus(status) != platform::winerr::Success)
    return false;

  DWORD since = clock.GetTickCount();
  DWORD checkPoint = status.checkPoint;
  while (status.currentState != platform::svcstate::Running) {
    clock.Sleep(PollInterval(status.waitHint));
    if (service->QueryServiceStatus(status) != platform::winerr::Success) break;
    if (status.checkPoint > checkPoint) {
      checkPoint = status.checkPoint;
      since = clock.GetTickCount();
    } else if (clock.GetTickCount() - since > status.waitHint) {
      break;
    }
    context().PumpMessages();
  }
  return status.currentState == platform::svcstate::Running;
}

void Win2kXPInstaller::StartSpoolerAndWait() {
  WaitForSpoolerRunning();
  os().clock.Sleep(kAfterStartMs);
}

void Win2kXPInstaller::CycleSpooler() {
  auto manager = OpenManager(os().services);
  if (!manager) return;
  auto service = OpenSpooler(*manager);
  if (!service) return;
  platform::Clock& clock = os().clock;
  ServiceStatus status;
  // Once more: the service manager may refuse a control while the service changes state.
  // A second refusal is left to the steps after the cycle to find out.
  if (service->ControlService(platform::svccontrol::Stop, status) != platform::winerr::Success)
    (void)service->ControlService(platform::svccontrol::Stop, status);
  clock.Sleep(kCyclePauseMs);
  WaitWhileStopping(*service, clock);
  context().PumpMessages();
  // Once more, for the same reason; a second failure is likewise left to the steps after.
  if (service->StartServiceA() != platform::winerr::Success) (void)service->StartServiceA();
  context().PumpMessages();
  clock.Sleep(kCyclePauseMs);
}
