#pragma once
#include <memory>
#include <string>

#include "platform/Win32Types.h"

namespace platform {

// SERVICE_STATUS.
struct ServiceStatus {
  DWORD serviceType = 0;
  DWORD currentState = 0;
  DWORD controlsAccepted = 0;
  DWORD win32ExitCode = 0;
  DWORD serviceSpecificExitCode = 0;
  DWORD checkPoint = 0;
  DWORD waitHint = 0;
};

namespace svcstate {
constexpr DWORD Stopped = 1;
constexpr DWORD StartPending = 2;
constexpr DWORD StopPending = 3;
constexpr DWORD Running = 4;
}  // namespace svcstate

namespace svcaccess {
constexpr DWORD ScManagerAllAccess = 0xF003F;
constexpr DWORD ServiceAllAccess = 0xF01FF;
}  // namespace svcaccess

namespace svccontrol {
constexpr DWORD Stop = 1;
}  // namespace svccontrol

// An open service (SC_HANDLE from OpenServiceA). Destruction closes it.
class ServiceHandle {
public:
  virtual ~ServiceHandle() = default;
  // ControlService: status receives the latest status even when the control fails.
  [[nodiscard]] virtual DWORD ControlService(DWORD control, ServiceStatus& status) = 0;
  [[nodiscard]] virtual DWORD QueryServiceStatus(ServiceStatus& status) = 0;
  // StartServiceA without arguments.
  [[nodiscard]] virtual DWORD StartServiceA() = 0;
};

// An open service control manager (SC_HANDLE from OpenSCManagerA). Destruction closes it.
class ServiceManagerHandle {
public:
  virtual ~ServiceManagerHandle() = default;
  [[nodiscard]] virtual DWORD OpenServiceA(const std::string& serviceName, DWORD access,
                                           std::unique_ptr<ServiceHandle>& out) = 0;
};

class ServiceControl {
public:
  virtual ~ServiceControl() = default;
  // OpenSCManagerA on the local machine's active database.
  [[nodiscard]] virtual DWORD OpenSCManagerA(DWORD access, std::unique_ptr<ServiceManagerHandle>& out) = 0;
};

}  // namespace platform
