// Stopping and starting the print spooler service, so its files and registrations can change.
#include <algorithm>

#include "engine/Win2kXPInstaller.h"

namespace {

using platform::DWORD;
using platform::ServiceHandle;
using platform::ServiceManagerHandle;
using platform::ServiceStatus;

constexpr const char* kSpoolerService = "spooler";
constexpr DWORD kStopTimeoutMs = 5000;
constexpr DWORD kStopPollMs = 10;
constexpr DWORD kAfterStopMs = 500;
constexpr DWORD kAfterOpenMs = 100;
constexpr DWORD kAfterStartMs = 100;
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
        service->ControlService(platform::svccontrol::Stop, status);
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
  if (service->ControlService(platform::svccontrol::Stop, status) != platform::winerr::Success)
    service->ControlService(platform::svccontrol::Stop, status);
  clock.Sleep(kCyclePauseMs);
  context().PumpMessages();
  if (service->StartServiceA() != platform::winerr::Success) service->StartServiceA();
  context().PumpMessages();
  clock.Sleep(kCyclePauseMs);
}
