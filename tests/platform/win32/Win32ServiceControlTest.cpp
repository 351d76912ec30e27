// The service backend against the real service manager, on the "spooler" service.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32ServiceControl.h"

namespace {

using platform::ServiceStatus;
namespace svcstate = platform::svcstate;
namespace winerr = platform::winerr;

class Win32ServiceControlTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(services.OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager), winerr::Success);
    ASSERT_EQ(manager->OpenServiceA("spooler", platform::svcaccess::ServiceAllAccess, spooler), winerr::Success);
  }
  // Every test leaves the spooler running, whatever it did to it.
  void TearDown() override {
    if (spooler && State() != svcstate::Running) {
      (void)spooler->StartServiceA();  // best effort, for the tests after this one
      WaitFor(svcstate::Running);
    }
  }

  platform::DWORD State() {
    ServiceStatus status;
    return spooler->QueryServiceStatus(status) == winerr::Success ? status.currentState : 0;
  }
  bool WaitFor(platform::DWORD state) {
    const platform::DWORD start = clock.GetTickCount();
    while (State() != state) {
      if (clock.GetTickCount() - start > 30000) return false;
      clock.Sleep(20);
    }
    return true;
  }

  platform::win32::Win32Clock clock;
  platform::win32::Win32ServiceControl services;
  std::unique_ptr<platform::ServiceManagerHandle> manager;
  std::unique_ptr<platform::ServiceHandle> spooler;
};

TEST_F(Win32ServiceControlTest, StatusIsTheServiceManagersRecord) {
  ServiceStatus status;
  status.serviceType = 0xDEAD;
  ASSERT_EQ(spooler->QueryServiceStatus(status), winerr::Success);
  SC_HANDLE rawManager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = OpenServiceA(rawManager, "spooler", SERVICE_QUERY_STATUS);
  SERVICE_STATUS raw{};
  ASSERT_TRUE(QueryServiceStatus(service, &raw));
  CloseServiceHandle(service);
  CloseServiceHandle(rawManager);
  EXPECT_EQ(status.serviceType, raw.dwServiceType);
  EXPECT_NE(status.serviceType & SERVICE_WIN32, 0u);
  EXPECT_EQ(status.currentState, raw.dwCurrentState);
  EXPECT_EQ(status.controlsAccepted, raw.dwControlsAccepted);
  EXPECT_EQ(status.win32ExitCode, raw.dwWin32ExitCode);
}

// StopSpooler reads the state from the status of a stop control even when it is refused.
TEST_F(Win32ServiceControlTest, RefusedStopStillReportsTheStatus) {
  if (State() == svcstate::Stopped) {
    ASSERT_EQ(spooler->StartServiceA(), winerr::Success);
  }
  ASSERT_TRUE(WaitFor(svcstate::Running));
  ServiceStatus status;
  ASSERT_EQ(spooler->ControlService(platform::svccontrol::Stop, status), winerr::Success);
  ASSERT_TRUE(WaitFor(svcstate::Stopped));

  status = ServiceStatus{};
  status.currentState = 0xDEAD;
  EXPECT_EQ(spooler->ControlService(platform::svccontrol::Stop, status), winerr::ServiceNotActive);
  EXPECT_EQ(status.currentState, svcstate::Stopped);
}

// Without the right to control services every call is refused, as for a user without it.
TEST_F(Win32ServiceControlTest, HandleRightsLimitWhatItMayDo) {
  std::unique_ptr<platform::ServiceManagerHandle> connectOnly;
  ASSERT_EQ(services.OpenSCManagerA(SC_MANAGER_CONNECT, connectOnly), winerr::Success);
  std::unique_ptr<platform::ServiceHandle> queryOnly;
  ASSERT_EQ(connectOnly->OpenServiceA("spooler", SERVICE_QUERY_STATUS, queryOnly), winerr::Success);
  ServiceStatus status;
  EXPECT_EQ(queryOnly->QueryServiceStatus(status), winerr::Success);
  const platform::DWORD before = status.currentState;
  EXPECT_EQ(queryOnly->ControlService(platform::svccontrol::Stop, status), winerr::AccessDenied);
  EXPECT_EQ(queryOnly->StartServiceA(), winerr::AccessDenied);
  EXPECT_EQ(State(), before);
}

}  // namespace
