// The simulated service manager: the spooler's state machine in virtual time, rights, faults,
// handle accounting and the services' place in machine.json.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::DWORD;
using platform::ServiceStatus;
using platform::sim::SimMachine;
namespace svcstate = platform::svcstate;
namespace winerr = platform::winerr;
using Json = nlohmann::ordered_json;

constexpr DWORD kScManagerConnect = 0x1;
constexpr DWORD kServiceQueryStatus = 0x4;
constexpr DWORD kGenericRead = 0x80000000;

class SimServiceControlTest : public testing::Test {
protected:
  platform::sim::ServiceConfig& spooler() { return machine->config().services["spooler"]; }

  // Opens the manager and the spooler with full access.
  std::unique_ptr<platform::ServiceHandle> OpenSpooler() {
    EXPECT_EQ(machine->services().OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager), 0u);
    std::unique_ptr<platform::ServiceHandle> service;
    EXPECT_EQ(manager->OpenServiceA("spooler", platform::svcaccess::ServiceAllAccess, service), 0u);
    return service;
  }

  ServiceStatus Query(platform::ServiceHandle& service) {
    ServiceStatus status;
    EXPECT_EQ(service.QueryServiceStatus(status), 0u);
    return status;
  }

  std::unique_ptr<SimMachine> machine = SimMachine::InMemory();
  std::unique_ptr<platform::ServiceManagerHandle> manager;
};

TEST_F(SimServiceControlTest, StopIsPendingForItsConfiguredTime) {
  spooler().stopMs = 1200;
  spooler().stopWaitHint = 4000;
  auto service = OpenSpooler();
  ServiceStatus status;
  ASSERT_EQ(service->ControlService(platform::svccontrol::Stop, status), 0u);
  EXPECT_EQ(status.currentState, svcstate::StopPending);
  EXPECT_EQ(status.checkPoint, 1u);
  EXPECT_EQ(status.waitHint, 4000u);
  EXPECT_EQ(status.controlsAccepted, 0u);

  machine->clock().Sleep(1199);
  status = Query(*service);
  EXPECT_EQ(status.currentState, svcstate::StopPending);
  EXPECT_EQ(status.checkPoint, 3u) << "one check point per 500 ms";
  EXPECT_EQ(service->ControlService(platform::svccontrol::Stop, status), winerr::ServiceCannotAcceptControl);

  machine->clock().Sleep(1);
  status = Query(*service);
  EXPECT_EQ(status.currentState, svcstate::Stopped);
  EXPECT_EQ(std::tie(status.checkPoint, status.waitHint), std::make_tuple(0u, 0u));
  EXPECT_EQ(machine->config().services["SPOOLER"].state, svcstate::Stopped);
}

TEST_F(SimServiceControlTest, StopOfAStoppedServiceIsNotActive) {
  spooler().state = svcstate::Stopped;
  auto service = OpenSpooler();
  ServiceStatus status;
  EXPECT_EQ(service->ControlService(platform::svccontrol::Stop, status), winerr::ServiceNotActive);
  EXPECT_EQ(status.currentState, svcstate::Stopped);
}

TEST_F(SimServiceControlTest, StartAdvancesCheckPointsUntilRunning) {
  spooler().state = svcstate::Stopped;
  spooler().startMs = 2600;
  spooler().startWaitHint = 3000;
  spooler().checkPointEveryMs = 1000;
  auto service = OpenSpooler();
  ASSERT_EQ(service->StartServiceA(), 0u);
  std::vector<std::pair<DWORD, DWORD>> seen;
  for (int i = 0; i < 4; ++i) {
    const ServiceStatus status = Query(*service);
    seen.emplace_back(status.currentState, status.checkPoint);
    EXPECT_EQ(status.waitHint, status.currentState == svcstate::StartPending ? 3000u : 0u);
    machine->clock().Sleep(1000);
  }
  EXPECT_EQ(seen, (std::vector<std::pair<DWORD, DWORD>>{
                      {svcstate::StartPending, 1}, {svcstate::StartPending, 2}, {svcstate::StartPending, 3},
                      {svcstate::Running, 0}}));
  EXPECT_EQ(Query(*service).controlsAccepted & 1u, 1u) << "a running spooler accepts stop";
  EXPECT_EQ(service->StartServiceA(), winerr::ServiceAlreadyRunning);
}

TEST_F(SimServiceControlTest, StartWhilePendingIsRefused) {
  auto service = OpenSpooler();
  ServiceStatus status;
  ASSERT_EQ(service->ControlService(platform::svccontrol::Stop, status), 0u);
  EXPECT_EQ(service->StartServiceA(), winerr::ServiceAlreadyRunning) << "still stopping";
  machine->clock().Sleep(spooler().stopMs);
  ASSERT_EQ(service->StartServiceA(), 0u);
  EXPECT_EQ(service->StartServiceA(), winerr::ServiceAlreadyRunning);
  EXPECT_EQ(service->ControlService(platform::svccontrol::Stop, status), winerr::ServiceCannotAcceptControl);
  EXPECT_EQ(status.currentState, svcstate::StartPending);
}

TEST_F(SimServiceControlTest, StalledStartKeepsItsCheckPointYetCompletes) {
  spooler().state = svcstate::Stopped;
  spooler().startMs = 5000;
  spooler().startStalls = true;
  auto service = OpenSpooler();
  ASSERT_EQ(service->StartServiceA(), 0u);
  machine->clock().Sleep(4999);
  const ServiceStatus status = Query(*service);
  EXPECT_EQ(std::tie(status.currentState, status.checkPoint), std::make_tuple(svcstate::StartPending, 1u));
  machine->clock().Sleep(1);
  EXPECT_EQ(Query(*service).currentState, svcstate::Running);
}

TEST_F(SimServiceControlTest, StartThatNeverCompletesStaysPending) {
  spooler().state = svcstate::Stopped;
  spooler().startNeverCompletes = true;
  spooler().checkPointEveryMs = 0;
  auto service = OpenSpooler();
  ASSERT_EQ(service->StartServiceA(), 0u);
  machine->clock().Sleep(24 * 3600 * 1000);
  const ServiceStatus status = Query(*service);
  EXPECT_EQ(std::tie(status.currentState, status.checkPoint), std::make_tuple(svcstate::StartPending, 1u));
  EXPECT_FALSE(machine->services().RunningInstance("Spooler").has_value());
}

TEST_F(SimServiceControlTest, EachStartIsANewRun) {
  auto service = OpenSpooler();
  const auto first = machine->services().RunningInstance("spooler");
  ASSERT_TRUE(first.has_value());
  ServiceStatus status;
  ASSERT_EQ(service->ControlService(platform::svccontrol::Stop, status), 0u);
  machine->clock().Sleep(spooler().stopMs);
  ASSERT_EQ(service->StartServiceA(), 0u);
  machine->clock().Sleep(spooler().startMs);
  const auto second = machine->services().RunningInstance("spooler");
  ASSERT_TRUE(second.has_value());
  EXPECT_NE(*first, *second);
}

TEST_F(SimServiceControlTest, UserWithoutRightsGetsOnlyReadAccess) {
  machine->config().user.canControlServices = false;
  EXPECT_EQ(machine->services().OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager),
            winerr::AccessDenied);
  EXPECT_EQ(manager, nullptr);
  ASSERT_EQ(machine->services().OpenSCManagerA(kScManagerConnect, manager), 0u);
  std::unique_ptr<platform::ServiceHandle> service;
  EXPECT_EQ(manager->OpenServiceA("spooler", platform::svcaccess::ServiceAllAccess, service), winerr::AccessDenied);
  ASSERT_EQ(manager->OpenServiceA("spooler", kGenericRead, service), 0u);
  EXPECT_EQ(Query(*service).currentState, svcstate::Running);
  ServiceStatus status;
  EXPECT_EQ(service->ControlService(platform::svccontrol::Stop, status), winerr::AccessDenied);
  EXPECT_EQ(service->StartServiceA(), winerr::AccessDenied);
  EXPECT_EQ(spooler().state, svcstate::Running);
}

TEST_F(SimServiceControlTest, HandleDoesOnlyWhatItWasOpenedFor) {
  ASSERT_EQ(machine->services().OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager), 0u);
  std::unique_ptr<platform::ServiceHandle> service;
  ASSERT_EQ(manager->OpenServiceA("Spooler", kServiceQueryStatus, service), 0u);
  ServiceStatus status;
  EXPECT_EQ(service->ControlService(platform::svccontrol::Stop, status), winerr::AccessDenied);
  EXPECT_EQ(service->QueryServiceStatus(status), 0u);
  EXPECT_EQ(manager->OpenServiceA("Spoolr", kServiceQueryStatus, service), winerr::ServiceDoesNotExist);
  EXPECT_EQ(service, nullptr);
}

TEST_F(SimServiceControlTest, FaultsHitTheNamedCall) {
  auto& faults = machine->faults();
  faults.FailOnce("OpenSCManagerA", 1115);
  EXPECT_EQ(machine->services().OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager), 1115u);
  auto service = OpenSpooler();
  ASSERT_NE(service, nullptr);
  faults.FailOnce("OpenServiceA", 1060);
  std::unique_ptr<platform::ServiceHandle> other;
  EXPECT_EQ(manager->OpenServiceA("spooler", platform::svcaccess::ServiceAllAccess, other), 1060u);
  faults.FailOnce("QueryServiceStatus", 6);
  ServiceStatus status;
  EXPECT_EQ(service->QueryServiceStatus(status), 6u);
  faults.FailOnce("ControlService", 1051);
  EXPECT_EQ(service->ControlService(platform::svccontrol::Stop, status), 1051u);
  EXPECT_EQ(spooler().state, svcstate::Running) << "a failed control changes nothing";
  ASSERT_EQ(service->ControlService(platform::svccontrol::Stop, status), 0u);
  machine->clock().Sleep(spooler().stopMs);
  faults.FailOnce("StartServiceA", 1053);
  EXPECT_EQ(service->StartServiceA(), 1053u);
  EXPECT_EQ(Query(*service).currentState, svcstate::Stopped);
}

TEST_F(SimServiceControlTest, HandlesAreAccountedUntilClosed) {
  auto service = OpenSpooler();
  EXPECT_EQ(machine->handles().Describe(),
            (std::vector<std::string>{"service manager ServicesActive", "service Spooler"}));
  service.reset();
  manager.reset();
  EXPECT_EQ(machine->handles().OpenCount(), 0u);
  EXPECT_EQ(machine->faults().CallCount("CloseServiceHandle"), 2u);
}

TEST(SimServiceFileTest, StateAndTimingsRoundTrip) {
  simtest::TempDir temp;
  {
    auto machine = SimMachine::OpenFolder(temp.path());
    auto& spooler = machine->config().services["spooler"];
    spooler = {svcstate::Running, 300, 1500, 900, 7000, 250, true, false};
    machine->config().services["KvxHelper"] = {svcstate::StartPending, 1, 2, 3, 4, 5, false, true};
    // A stop under way whose time has passed is saved as done.
    ServiceStatus status;
    std::unique_ptr<platform::ServiceManagerHandle> manager;
    ASSERT_EQ(machine->services().OpenSCManagerA(kScManagerConnect, manager), 0u);
    std::unique_ptr<platform::ServiceHandle> service;
    ASSERT_EQ(manager->OpenServiceA("spooler", platform::svcaccess::ServiceAllAccess, service), 0u);
    ASSERT_EQ(service->ControlService(platform::svccontrol::Stop, status), 0u);
    machine->clock().Sleep(300);
    machine->config().user.canControlServices = false;
    machine->Save();
  }
  const Json doc = Json::parse(simtest::ReadFile(temp.path() / "machine.json"));
  EXPECT_EQ(doc["services"]["Spooler"],
            (Json{{"state", "stopped"}, {"stopMs", 300}, {"stopWaitHint", 1500}, {"startMs", 900},
                  {"startWaitHint", 7000}, {"checkPointEveryMs", 250}, {"startStalls", true},
                  {"startNeverCompletes", false}}));
  EXPECT_EQ(doc["services"]["KvxHelper"]["state"], "startPending");
  EXPECT_EQ(doc["spooler"]["running"], false);
  EXPECT_EQ(doc["user"]["canControlServices"], false);

  auto again = SimMachine::OpenFolder(temp.path());
  const auto& helper = again->config().services["kvxhelper"];
  EXPECT_EQ(std::tie(helper.state, helper.stopMs, helper.startWaitHint, helper.startNeverCompletes),
            std::make_tuple(svcstate::StartPending, 1u, 4u, true));
  EXPECT_EQ(again->config().services["spooler"].startMs, 900u);
  EXPECT_FALSE(again->config().user.canControlServices);
}

TEST(SimServiceFileTest, PendingStartInTheFileCompletesAfterItsTime) {
  simtest::TempDir temp;
  simtest::WriteFile(temp.path() / "machine.json", R"({"format": "kvx-machine", "version": 1,
      "services": {"spooler": {"state": "startPending", "startMs": 700}}})");
  auto machine = SimMachine::OpenFolder(temp.path());
  EXPECT_FALSE(machine->services().RunningInstance("spooler").has_value());
  machine->clock().Sleep(700);
  EXPECT_TRUE(machine->services().RunningInstance("spooler").has_value());
}

TEST(SimServiceFileTest, SpoolerRunningDecidesOnlyWithoutAServiceState) {
  simtest::TempDir temp;
  simtest::WriteFile(temp.path() / "machine.json",
                     R"({"format": "kvx-machine", "version": 1, "spooler": {"running": false}})");
  EXPECT_EQ(SimMachine::OpenFolder(temp.path())->config().services["spooler"].state, svcstate::Stopped);
  simtest::WriteFile(temp.path() / "machine.json", R"({"format": "kvx-machine", "version": 1,
      "spooler": {"running": false}, "services": {"SPOOLER": {"state": "running"}}})");
  auto machine = SimMachine::OpenFolder(temp.path());
  EXPECT_EQ(machine->config().services["spooler"].state, svcstate::Running);
  EXPECT_EQ(machine->config().services.size(), 1u);
}

}  // namespace
