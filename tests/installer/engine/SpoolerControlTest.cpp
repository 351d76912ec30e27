// The spooler restarts in virtual time. Default service: stop 100 ms, start 800 ms with a wait
// hint of 3000 ms and a check point every 500 ms.
#include <gtest/gtest.h>

#include "installer/engine/EngineTestSupport.h"

namespace {

using platform::svcstate::Running;
using platform::svcstate::Stopped;

class SpoolerControlTest : public ::testing::Test {
protected:
  platform::sim::ServiceConfig& spooler() { return harness.machine->config().services["Spooler"]; }
  platform::DWORD State() {
    std::unique_ptr<platform::ServiceManagerHandle> manager;
    std::unique_ptr<platform::ServiceHandle> service;
    platform::ServiceStatus status;
    EXPECT_EQ(harness.platform.services.OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager), 0u);
    EXPECT_EQ(manager->OpenServiceA("spooler", platform::svcaccess::ServiceAllAccess, service), 0u);
    EXPECT_EQ(service->QueryServiceStatus(status), 0u);
    return status.currentState;
  }
  // Runs the operation and returns the virtual milliseconds it took.
  template <typename Operation>
  std::uint64_t Took(Operation operation) {
    const std::uint64_t start = harness.Now();
    harness.pumpTimes.clear();
    operation();
    pumpTimes.clear();
    for (auto t : harness.pumpTimes) pumpTimes.push_back(t - start);
    return harness.Now() - start;
  }
  std::size_t Calls(const char* op) const { return harness.machine->faults().CallCount(op); }

  enginetest::EngineHarness harness;
  Win2kXPInstaller installer{harness.context};
  // Relative to the start of the last operation.
  std::vector<std::uint64_t> pumpTimes;
};

TEST_F(SpoolerControlTest, StopPollsEveryTenMillisecondsThenWaitsHalfASecond) {
  // 100 ms after opening, the stop completes after 100 ms and is seen on the next 10-ms poll.
  EXPECT_EQ(Took([&] { installer.StopSpooler(); }), 100u + 100u + 10u + 500u);
  EXPECT_EQ(State(), Stopped);
  // Already stopped: one poll.
  EXPECT_EQ(Took([&] { installer.StopSpooler(); }), 610u);
  spooler().stopMs = 1234;
  installer.StartSpoolerAndWait();
  EXPECT_EQ(Took([&] { installer.StopSpooler(); }), 100u + 1250u + 500u);
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
}

TEST_F(SpoolerControlTest, AStopThatNeverCompletesIsAbandonedAfterFiveSeconds) {
  spooler().stopMs = 60000;
  EXPECT_EQ(Took([&] { installer.StopSpooler(); }), 100u + 5000u + 500u);
  EXPECT_EQ(State(), platform::svcstate::StopPending);
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
}

TEST_F(SpoolerControlTest, ARunningSpoolerIsNotStartedAgain) {
  EXPECT_EQ(Took([&] { EXPECT_TRUE(installer.WaitForSpoolerRunning()); }), 0u);
  EXPECT_EQ(Calls("StartServiceA"), 0u);
  EXPECT_EQ(Took([&] { installer.StartSpoolerAndWait(); }), 100u);
}

TEST_F(SpoolerControlTest, AWaitHintOfThreeSecondsIsPolledEverySecond) {
  installer.StopSpooler();
  // The default start takes 800 ms: one poll, plus the pause after it.
  EXPECT_EQ(Took([&] { installer.StartSpoolerAndWait(); }), 1100u);
  EXPECT_EQ(State(), Running);

  installer.StopSpooler();
  spooler().startMs = 2500;
  EXPECT_EQ(Took([&] { EXPECT_TRUE(installer.WaitForSpoolerRunning()); }), 3000u);
  // Messages go through between polls; the poll that finds it running ends the wait.
  EXPECT_EQ(pumpTimes, (std::vector<std::uint64_t>{1000, 2000}));
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
}

TEST_F(SpoolerControlTest, ALongWaitHintIsPolledEveryTenSeconds) {
  installer.StopSpooler();
  spooler().startWaitHint = 200000;
  spooler().startMs = 25000;
  EXPECT_EQ(Took([&] { EXPECT_TRUE(installer.WaitForSpoolerRunning()); }), 30000u);
  EXPECT_EQ(pumpTimes, (std::vector<std::uint64_t>{10000, 20000}));
}

TEST_F(SpoolerControlTest, AStartThatKeepsAdvancingIsFollowedPastItsWaitHint) {
  installer.StopSpooler();
  spooler().startMs = 7000;
  EXPECT_EQ(Took([&] { EXPECT_TRUE(installer.WaitForSpoolerRunning()); }), 7000u);
}

TEST_F(SpoolerControlTest, AStalledStartGivesUpOnceItsWaitHintHasPassed) {
  installer.StopSpooler();
  spooler().startStalls = true;
  spooler().startNeverCompletes = true;
  // Polls at 1, 2 and 3 s see no progress; at 4 s more than the 3-s hint has passed.
  EXPECT_EQ(Took([&] { EXPECT_FALSE(installer.WaitForSpoolerRunning()); }), 4000u);
  EXPECT_EQ(pumpTimes, (std::vector<std::uint64_t>{1000, 2000, 3000}));
  // Still pending: the second start is refused at once.
  EXPECT_EQ(Took([&] { installer.StartSpoolerAndWait(); }), 100u);
  EXPECT_EQ(Calls("StartServiceA"), 2u);
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
}

TEST_F(SpoolerControlTest, CycleWaitsOutAStopUnderWayBeforeStarting) {
  // The default stop is over within the 200-ms pause: nothing more to wait for.
  EXPECT_EQ(Took([&] { installer.CycleSpooler(); }), 400u);
  EXPECT_EQ(pumpTimes, (std::vector<std::uint64_t>{200, 200}));
  EXPECT_EQ(Calls("ControlService"), 1u);
  EXPECT_EQ(Calls("StartServiceA"), 1u);
  EXPECT_EQ(State(), platform::svcstate::StartPending);

  // A stop slower than the pause is polled until it completes, then the start is accepted.
  harness.machine->clock().Advance(1000);
  spooler().stopMs = 300;
  EXPECT_EQ(Took([&] { installer.CycleSpooler(); }), 200u + 100u + 200u);
  EXPECT_EQ(pumpTimes, (std::vector<std::uint64_t>{300, 300}));
  EXPECT_EQ(Calls("StartServiceA"), 2u);
  EXPECT_EQ(State(), platform::svcstate::StartPending);

  // A refused stop (the service is still starting) is sent once more, and no stop is waited for.
  EXPECT_EQ(Took([&] { installer.CycleSpooler(); }), 400u);
  EXPECT_EQ(Calls("ControlService"), 4u);
  EXPECT_EQ(Calls("StartServiceA"), 4u);

  // A stop that never completes is waited for as long as a stop is.
  harness.machine->clock().Advance(1000);
  spooler().stopMs = 60000;
  EXPECT_EQ(Took([&] { installer.CycleSpooler(); }), 200u + 5000u + 200u);
  EXPECT_EQ(State(), platform::svcstate::StopPending);
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
}

TEST_F(SpoolerControlTest, WithoutTheRightToControlServicesOnlyTheFixedWaitsRemain) {
  harness.machine->config().user.canControlServices = false;
  EXPECT_EQ(Took([&] { installer.StopSpooler(); }), 500u);
  EXPECT_EQ(Took([&] { EXPECT_FALSE(installer.WaitForSpoolerRunning()); }), 0u);
  EXPECT_EQ(Took([&] { installer.StartSpoolerAndWait(); }), 100u);
  EXPECT_EQ(Took([&] { installer.CycleSpooler(); }), 0u);
  harness.machine->config().user.canControlServices = true;
  EXPECT_EQ(State(), Running);
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
}

TEST_F(SpoolerControlTest, AServiceThatCannotBeOpenedCostsTheOpeningPause) {
  harness.machine->faults().FailFrom("OpenServiceA", 1, platform::winerr::AccessDenied);
  EXPECT_EQ(Took([&] { installer.StopSpooler(); }), 600u);
  EXPECT_FALSE(installer.WaitForSpoolerRunning());
  EXPECT_EQ(Took([&] { installer.CycleSpooler(); }), 0u);
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);

  harness.machine->faults().Clear();
  installer.StopSpooler();
  harness.machine->faults().FailOnce("QueryServiceStatus", platform::winerr::AccessDenied);
  EXPECT_FALSE(installer.WaitForSpoolerRunning());
  EXPECT_EQ(Calls("StartServiceA"), 0u);
  harness.machine->faults().FailOnce("StartServiceA", platform::winerr::AccessDenied);
  EXPECT_FALSE(installer.WaitForSpoolerRunning());
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
}

}  // namespace
