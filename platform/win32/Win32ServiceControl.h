#pragma once
#include "platform/ServiceControl.h"

// The Windows headers declare SC_HANDLE as a pointer to this tag (STRICT handles).
struct SC_HANDLE__;

namespace platform::win32 {

// Owns one service handle from OpenServiceA.
class Win32ServiceHandle final : public ServiceHandle {
public:
  explicit Win32ServiceHandle(SC_HANDLE__* handle) : handle_(handle) {}
  ~Win32ServiceHandle() override;
  Win32ServiceHandle(const Win32ServiceHandle&) = delete;
  Win32ServiceHandle& operator=(const Win32ServiceHandle&) = delete;

  DWORD ControlService(DWORD control, ServiceStatus& status) override;
  DWORD QueryServiceStatus(ServiceStatus& status) override;
  DWORD StartServiceA() override;

private:
  SC_HANDLE__* handle_;
};

// Owns one service control manager handle from OpenSCManagerA.
class Win32ServiceManagerHandle final : public ServiceManagerHandle {
public:
  explicit Win32ServiceManagerHandle(SC_HANDLE__* handle) : handle_(handle) {}
  ~Win32ServiceManagerHandle() override;
  Win32ServiceManagerHandle(const Win32ServiceManagerHandle&) = delete;
  Win32ServiceManagerHandle& operator=(const Win32ServiceManagerHandle&) = delete;

  DWORD OpenServiceA(const std::string& serviceName, DWORD access, std::unique_ptr<ServiceHandle>& out) override;

private:
  SC_HANDLE__* handle_;
};

class Win32ServiceControl final : public ServiceControl {
public:
  DWORD OpenSCManagerA(DWORD access, std::unique_ptr<ServiceManagerHandle>& out) override;
};

}  // namespace platform::win32
