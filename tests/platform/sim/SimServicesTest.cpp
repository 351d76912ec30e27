// Virtual time, fault injection and handle accounting of the simulated machine.
#include <gtest/gtest.h>

#include <thread>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::sim::FaultInjector;
using platform::sim::HandleTable;
using platform::sim::SimClock;

TEST(SimClockTest, SleepAdvancesVirtualTimeOnly) {
  SimClock clock(1000);
  EXPECT_EQ(clock.GetTickCount(), 1000u);
  clock.Sleep(7000);
  EXPECT_EQ(clock.GetTickCount(), 8000u);
  EXPECT_EQ(clock.Elapsed(), 7000u);
  clock.Advance(5);
  EXPECT_EQ(clock.GetTickCount(), 8005u);
}

TEST(SimClockTest, TickCountWrapsAt32Bits) {
  SimClock clock(0xFFFFFF00);
  clock.Sleep(0x200);
  EXPECT_EQ(clock.GetTickCount(), 0x100u);
  EXPECT_EQ(clock.Elapsed(), 0x200u);
}

// Each thread has its own time; one the clock has not seen begins at the main thread's.
TEST(SimClockTest, SleepsOnManyThreadsEachCountForTheirThread) {
  SimClock clock;
  clock.Sleep(100);
  std::vector<std::thread> threads;
  std::vector<std::uint64_t> seen(4);
  for (std::size_t t = 0; t < seen.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 1000; ++i) clock.Sleep(3);
      seen[t] = clock.Elapsed();
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(seen, std::vector<std::uint64_t>(4, 3100));
  EXPECT_EQ(clock.Elapsed(), 100u);
}

TEST(SimClockTest, MachineClockStartsAtTheConfiguredTick) {
  simtest::TempDir temp;
  simtest::WriteFile(temp.path() / "machine.json",
                     R"({"format": "kvx-machine", "version": 1, "clock": {"startTick": 4294967000}})");
  auto machine = platform::sim::SimMachine::OpenFolder(temp.path());
  machine->platform().clock.Sleep(1000);
  EXPECT_EQ(machine->platform().clock.GetTickCount(), 704u);
}

TEST(SimFaultInjectorTest, FailOnceFailsOnlyTheNextCall) {
  FaultInjector faults;
  faults.Check("RegOpenKeyExA");
  faults.FailOnce("RegOpenKeyExA", 5);
  EXPECT_EQ(faults.Check("RegSetValueExA"), 0u);
  EXPECT_EQ(faults.Check("RegOpenKeyExA"), 5u);
  EXPECT_EQ(faults.Check("RegOpenKeyExA"), 0u);
}

TEST(SimFaultInjectorTest, FailFromFailsTheNthCallAndEveryLaterOne) {
  FaultInjector faults;
  faults.Check("GetVersionExA");
  faults.FailFrom("GetVersionExA", 3, 87);
  std::vector<platform::DWORD> results;
  for (int i = 0; i < 5; ++i) results.push_back(faults.Check("GetVersionExA"));
  EXPECT_EQ(results, (std::vector<platform::DWORD>{0, 0, 87, 87, 87}));
  faults.Clear();
  EXPECT_EQ(faults.Check("GetVersionExA"), 0u);
  EXPECT_EQ(faults.CallCount("GetVersionExA"), 7u);
}

TEST(SimFaultInjectorTest, FailOnceAfterWaitsForItsTrigger) {
  FaultInjector faults;
  faults.FailOnceAfter("RegSetValueExA", "SetDefaultCommConfigA", 5);
  EXPECT_EQ(faults.Check("RegSetValueExA"), 0u);
  faults.Check("SetDefaultCommConfigA");
  EXPECT_EQ(faults.Check("RegSetValueExA"), 5u);
  EXPECT_EQ(faults.Check("RegSetValueExA"), 0u);
}

TEST(SimFaultInjectorTest, PendingFaultSurvivesAResetOfTheLog) {
  FaultInjector faults;
  faults.Check("RegQueryValueExA");
  faults.FailFrom("RegQueryValueExA", 2, 2);
  faults.ResetLog();
  EXPECT_EQ(faults.CallCount("RegQueryValueExA"), 0u);
  EXPECT_EQ(faults.Check("RegQueryValueExA"), 0u);
  EXPECT_EQ(faults.Check("RegQueryValueExA"), 2u);
}

TEST(SimFaultInjectorTest, MachineServicesLogTheirCallsInOrderOnceAsked) {
  auto machine = platform::sim::SimMachine::InMemory();
  platform::Platform p = machine->platform();
  platform::OsVersionInfoA info;
  (void)p.version.GetVersionExA(info);
  EXPECT_EQ(machine->faults().CallCount("GetVersionExA"), 1u);
  EXPECT_TRUE(machine->faults().CallLog().empty());
  machine->faults().ResetLog();
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(p.registry.CreateKey(platform::RootKey::CurrentUser, "Software\\Korvex", platform::regaccess::AllAccess,
                                 key),
            0);
  // Only the calls' order matters here.
  (void)key->SetValue("v", platform::regtype::Sz, platform::RegSzBytes("1"));
  (void)p.version.GetVersionExA(info);
  std::vector<char> buffer(10);
  (void)p.profile.GetPrivateProfileStringA("S", "k", "", buffer, "C:\\x.ini");
  (void)p.process.GetModuleFileNameA();
  EXPECT_EQ(machine->faults().CallLog(),
            (std::vector<std::string>{"RegCreateKeyExA", "RegSetValueExA", "GetVersionExA", "GetPrivateProfileStringA",
                                      "GetModuleFileNameA"}));

  machine->faults().FailOnce("GetVersionExA", 1722);
  EXPECT_EQ(p.version.GetVersionExA(info), 1722u);
  machine->faults().FailOnce("RegSetValueExA", 1018);
  EXPECT_EQ(key->SetValue("v", platform::regtype::Sz, platform::RegSzBytes("2")), 1018);
  std::vector<std::uint8_t> data;
  platform::DWORD type = 0;
  ASSERT_EQ(key->QueryValue("v", type, data), 0);
  EXPECT_EQ(platform::RegSzText(data), "1");
  machine->faults().FailOnce("GetModuleFileNameA", 8);
  EXPECT_EQ(p.process.GetModuleFileNameA(), "");
}

TEST(SimHandleTableTest, DescribesWhatIsStillOpen) {
  HandleTable handles;
  const auto a = handles.Register("registry key", "HKEY_CURRENT_USER\\Software");
  const auto b = handles.Register("printer", "RQ-7200");
  EXPECT_EQ(handles.OpenCount(), 2u);
  EXPECT_EQ(handles.OpenCount("printer"), 1u);
  EXPECT_TRUE(handles.Release(a));
  EXPECT_FALSE(handles.Release(a));
  EXPECT_EQ(handles.Describe(), (std::vector<std::string>{"printer RQ-7200"}));
  EXPECT_TRUE(handles.Release(b));
  EXPECT_EQ(handles.OpenCount(), 0u);
}

}  // namespace
