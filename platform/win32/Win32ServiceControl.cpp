#include "platform/win32/Win32ServiceControl.h"

#include <windows.h>

namespace platform::win32 {

static_assert(svcstate::Stopped == SERVICE_STOPPED && svcstate::StartPending == SERVICE_START_PENDING &&
              svcstate::StopPending == SERVICE_STOP_PENDING && svcstate::Running == SERVICE_RUNNING);
static_assert(svcaccess::ScManagerAllAccess == SC_MANAGER_ALL_ACCESS &&
              svcaccess::ServiceAllAccess == SERVICE_ALL_ACCESS && svccontrol::Stop == SERVICE_CONTROL_STOP);
static_assert(winerr::ServiceAlreadyRunning == ERROR_SERVICE_ALREADY_RUNNING &&
              winerr::ServiceNotActive == ERROR_SERVICE_NOT_ACTIVE &&
              winerr::ServiceDoesNotExist == ERROR_SERVICE_DOES_NOT_EXIST);

namespace {

void Copy(const SERVICE_STATUS& from, ServiceStatus& to) {
  to.serviceType = from.dwServiceType;
  to.currentState = from.dwCurrentState;
  to.controlsAccepted = from.dwControlsAccepted;
  to.win32ExitCode = from.dwWin32ExitCode;
  to.serviceSpecificExitCode = from.dwServiceSpecificExitCode;
  to.checkPoint = from.dwCheckPoint;
  to.waitHint = from.dwWaitHint;
}

}  // namespace

Win32ServiceHandle::~Win32ServiceHandle() { ::CloseServiceHandle(handle_); }

DWORD Win32ServiceHandle::ControlService(DWORD control, ServiceStatus& status) {
  SERVICE_STATUS raw{};
  BOOL ok = ::ControlService(handle_, control, &raw);
  DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
  // Windows fills the status for the refusals too (not active, cannot accept the control now).
  Copy(raw, status);
  return error;
}

DWORD Win32ServiceHandle::QueryServiceStatus(ServiceStatus& status) {
  SERVICE_STATUS raw{};
  if (!::QueryServiceStatus(handle_, &raw)) return ::GetLastError();
  Copy(raw, status);
  return ERROR_SUCCESS;
}

DWORD Win32ServiceHandle::StartServiceA() {
  return ::StartServiceA(handle_, 0, nullptr) ? ERROR_SUCCESS : ::GetLastError();
}

Win32ServiceManagerHandle::~Win32ServiceManagerHandle() { ::CloseServiceHandle(handle_); }

DWORD Win32ServiceManagerHandle::OpenServiceA(const std::string& serviceName, DWORD access,
                                              std::unique_ptr<ServiceHandle>& out) {
  SC_HANDLE service = ::OpenServiceA(handle_, serviceName.c_str(), access);
  if (service == nullptr) return ::GetLastError();
  out = std::make_unique<Win32ServiceHandle>(service);
  return ERROR_SUCCESS;
}

DWORD Win32ServiceControl::OpenSCManagerA(DWORD access, std::unique_ptr<ServiceManagerHandle>& out) {
  SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, access);
  if (manager == nullptr) return ::GetLastError();
  out = std::make_unique<Win32ServiceManagerHandle>(manager);
  return ERROR_SUCCESS;
}

}  // namespace platform::win32
