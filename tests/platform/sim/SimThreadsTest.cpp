// Threads on the simulated machine: each keeps its own virtual time, and two of them may call the
// machine at once.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include <nlohmann/json.hpp>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::DWORD;
namespace waitresult = platform::waitresult;

// How the creating thread learns that the worker has ended.
enum class Observe { Wait, PollEvery5Ms, ExitCode, Close };

struct ClockCase {
  std::string name;
  std::uint64_t creatorAt;     // the creator's time when it starts the worker
  std::uint64_t creatorSleeps;  // what it sleeps afterwards, while the worker waits for it
  std::uint64_t workerSleeps;
  Observe observe;
  std::uint64_t workerBegins, workerEnds, creatorEnds;
};

class SimThreadClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(SimThreadClockTest, EachThreadKeepsItsOwnTime) {
  const ClockCase& c = GetParam();
  auto machine = platform::sim::SimMachine::InMemory();
  platform::Platform os = machine->platform();
  os.clock.Sleep(static_cast<DWORD>(c.creatorAt));
  std::promise<void> go;
  std::shared_future<void> started = go.get_future().share();
  std::atomic<std::uint64_t> begins{0}, ends{0};
  std::unique_ptr<platform::ThreadHandle> worker;
  ASSERT_EQ(os.threads.CreateThread(
                [&]() -> DWORD {
                  begins = machine->clock().Elapsed();
                  started.wait();
                  for (std::uint64_t slept = 0; slept < c.workerSleeps; slept += 10) os.clock.Sleep(10);
                  ends = machine->clock().Elapsed();
                  return 42;
                },
                worker),
            0u);

  for (std::uint64_t slept = 0; slept < c.creatorSleeps; slept += 5) os.clock.Sleep(5);
  // Looking at a running thread costs no virtual time.
  EXPECT_EQ(worker->WaitForSingleObject(5), waitresult::Timeout);
  EXPECT_EQ(worker->GetExitCodeThread(), platform::kStillActive);
  EXPECT_EQ(machine->clock().Elapsed(), c.creatorAt + c.creatorSleeps);
  go.set_value();

  switch (c.observe) {
    case Observe::Wait:
      EXPECT_EQ(worker->WaitForSingleObject(platform::kInfinite), waitresult::Object0);
      break;
    case Observe::PollEvery5Ms:
      while (worker->WaitForSingleObject(5) != waitresult::Object0) {
      }
      break;
    case Observe::ExitCode:
      while (worker->GetExitCodeThread() == platform::kStillActive) std::this_thread::yield();
      break;
    case Observe::Close:
      worker.reset();
      break;
  }
  EXPECT_EQ(begins.load(), c.workerBegins);
  EXPECT_EQ(ends.load(), c.workerEnds);
  EXPECT_EQ(machine->clock().Elapsed(), c.creatorEnds);
  if (worker) {
    EXPECT_EQ(worker->GetExitCodeThread(), 42u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SimThreadClockTest,
    ::testing::Values(
        // Polling neither shortens nor lengthens the worker's waits, and ends exactly at its end.
        ClockCase{"PolledWorker", 0, 0, 7000, Observe::PollEvery5Ms, 0, 7000, 7000},
        ClockCase{"WorkerStartsAtItsCreatorsTime", 1000, 0, 500, Observe::Wait, 1000, 1500, 1500},
        // The creator's own sleeps do not move the worker; seeing the end never goes back in time.
        ClockCase{"CreatorSleepsPastTheEnd", 0, 300, 100, Observe::Wait, 0, 100, 300},
        ClockCase{"CreatorSleepsShortOfTheEnd", 0, 300, 1000, Observe::Wait, 0, 1000, 1000},
        ClockCase{"ExitCodeShowsTheEnd", 200, 0, 250, Observe::ExitCode, 200, 450, 450},
        ClockCase{"ClosingWaitsForTheEnd", 0, 0, 250, Observe::Close, 0, 250, 250}),
    [](const auto& test) { return test.param.name; });

// Both threads write and read every part of the machine; ThreadSanitizer watches for races.
TEST(SimMachineThreadsTest, TwoThreadsCallTheMachineAtOnce) {
  constexpr int kRounds = 40;
  auto machine = platform::sim::SimMachine::InMemory();
  machine->document()["devices"] = nlohmann::json::array(
      {{{"class", "USB"}, {"hardwareIds", {"USB\\VID_0001"}}, {"present", true}, {"description", "One"}},
       {{"class", "USB"}, {"hardwareIds", {"USB\\VID_0002"}}, {"present", true}, {"description", "Two"}}});
  simtest::WriteFile(machine->driveC() / "hammer.inf", "[Version]\r\n");
  platform::Platform os = machine->platform();

  const auto work = [&os](int t) -> DWORD {
    const std::string name = std::to_string(t);
    DWORD failures = 0;
    const auto expect = [&failures](bool ok) { failures += ok ? 0 : 1; };
    for (int i = 0; i < kRounds; ++i) {
      std::unique_ptr<platform::RegistryKey> key;
      expect(os.registry.CreateKey(platform::RootKey::LocalMachine, "SOFTWARE\\Hammer\\" + name,
                                   platform::regaccess::AllAccess, key) == 0);
      expect(key && key->SetValue("v" + std::to_string(i), platform::regtype::Dword,
                                  platform::RegDwordBytes(static_cast<DWORD>(i))) == 0);
      bool reboot = false;
      expect(os.devices.UpdateDriverForPlugAndPlayDevicesA("USB\\VID_000" + std::to_string(t + 1), "C:\\hammer.inf",
                                                           1, reboot) == 0);
      std::vector<platform::Guid> guids;
      DWORD required = 0;
      expect(os.devices.SetupDiClassGuidsFromNameA("USB", 1, guids, required) == 0);
      std::unique_ptr<platform::DeviceInfoSet> set;
      expect(!guids.empty() && os.devices.SetupDiGetClassDevsA(guids[0], platform::digcf::Present, set) == 0);
      platform::DeviceInfoData device;
      expect(set && set->SetupDiEnumDeviceInfo(1, device) == 0);
      std::unique_ptr<platform::Library> library;
      expect(os.libraries.LoadLibraryA("SETUPAPI.DLL", library) == 0);
      expect(library && library->FindFunction("SetupDiGetClassDevsA") == 0);
      std::vector<std::string> ports;
      expect(os.spooler.EnumPortsA(ports) == 0);
      std::unique_ptr<platform::PrinterHandle> printer;
      expect(os.spooler.OpenPrinterA("Nobody " + name, 0, printer) == platform::winerr::InvalidPrinterName);
      std::unique_ptr<platform::ServiceManagerHandle> manager;
      std::unique_ptr<platform::ServiceHandle> service;
      platform::ServiceStatus status;
      expect(os.services.OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager) == 0);
      expect(manager && manager->OpenServiceA("Spooler", platform::svcaccess::ServiceAllAccess, service) == 0);
      expect(service && service->QueryServiceStatus(status) == 0);
      expect(os.files.AppendToFileA("C:\\hammer" + name + ".log", "x") == 0);
      os.clock.Sleep(10);
    }
    return failures;
  };

  std::unique_ptr<platform::ThreadHandle> first, second;
  ASSERT_EQ(os.threads.CreateThread([&] { return work(0); }, first), 0u);
  ASSERT_EQ(os.threads.CreateThread([&] { return work(1); }, second), 0u);
  ASSERT_EQ(first->WaitForSingleObject(platform::kInfinite), waitresult::Object0);
  ASSERT_EQ(second->WaitForSingleObject(platform::kInfinite), waitresult::Object0);
  EXPECT_EQ(first->GetExitCodeThread(), 0u);
  EXPECT_EQ(second->GetExitCodeThread(), 0u);

  const auto lock = machine->Lock();
  EXPECT_EQ(machine->document()["installedDrivers"].size(), 2u * kRounds);
  for (const char* log : {"hammer0.log", "hammer1.log"})
    EXPECT_EQ(simtest::ReadFile(machine->driveC() / log), std::string(kRounds, 'x'));
  EXPECT_EQ(machine->handles().OpenCount(), 0u);
  EXPECT_EQ(machine->clock().Elapsed(), 10u * kRounds);
}

}  // namespace
