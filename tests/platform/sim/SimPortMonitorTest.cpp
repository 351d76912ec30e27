// The simulated spooler's ports and port monitors: what EnumPortsA lists, how monitors and their
// ports are registered and refused, and that they survive machine.json.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::sim::SimMachine;
namespace winerr = platform::winerr;

constexpr const char* kMonitor = "Test Monitor";
constexpr const char* kKorvexMonitor = "Korvex Port Monitor";

class SimPortMonitorTest : public testing::Test {
protected:
  void PutMonitorDll() {
    std::string system;
    ASSERT_EQ(machine->files().GetSystemDirectoryA(system), winerr::Success);
    simtest::WriteFile(machine->driveC() / "Windows" / "System32" / "TestMon.dll", "MZ");
  }

  std::unique_ptr<SimMachine> machine = SimMachine::InMemory();
  platform::PrintSpooler& spooler = machine->spooler();
};

TEST_F(SimPortMonitorTest, PortsAreTheLocalOnesThenTheMonitors) {
  std::vector<std::string> ports;
  ASSERT_EQ(spooler.EnumPortsA(ports), winerr::Success);
  EXPECT_EQ(ports, (std::vector<std::string>{"COM1:", "LPT1:", "FILE:"}));
  PutMonitorDll();
  ASSERT_EQ(spooler.AddMonitorA(kMonitor, std::nullopt, "testmon.dll"), winerr::Success);
  ASSERT_EQ(spooler.AddPortExA("Test_IP_1", "test monitor"), winerr::Success);
  ASSERT_EQ(spooler.EnumPortsA(ports), winerr::Success);
  EXPECT_EQ(ports, (std::vector<std::string>{"COM1:", "LPT1:", "FILE:", "Test_IP_1"}));
}

TEST_F(SimPortMonitorTest, SystemMonitorListsItsPortsForTheLocalOnes) {
  simtest::WriteFile(machine->driveC() / "Windows" / "System32" / "KorvexMon.dll", "MZ");
  ASSERT_EQ(spooler.AddMonitorA(kKorvexMonitor, std::string("Windows x64"), "KorvexMon.dll"),
            winerr::Success);
  ASSERT_EQ(spooler.AddPortExA("Kvx_IP_10.0.0.5", kKorvexMonitor), winerr::Success);
  EXPECT_EQ(spooler.AddPortExA("Kvx_COM1", kKorvexMonitor), winerr::AlreadyExists);
  std::vector<std::string> ports;
  ASSERT_EQ(spooler.EnumPortsA(ports), winerr::Success);
  EXPECT_EQ(ports, (std::vector<std::string>{"COM1:", "LPT1:", "FILE:", "Kvx_COM1", "Kvx_LPT1", "Kvx_IP_10.0.0.5"}));
}

TEST_F(SimPortMonitorTest, MonitorNeedsItsModuleAndTheRightEnvironment) {
  EXPECT_EQ(spooler.AddMonitorA(kMonitor, std::nullopt, "TestMon.dll"), winerr::ModNotFound);
  PutMonitorDll();
  EXPECT_EQ(spooler.AddMonitorA(kMonitor, std::string("Windows NT x86"), "TestMon.dll"), winerr::InvalidEnvironment);
  EXPECT_EQ(spooler.AddMonitorA(kMonitor, std::string("Windows x64"), "TestMon.dll"), winerr::Success);
  EXPECT_EQ(spooler.AddMonitorA("TEST MONITOR", std::nullopt, "TestMon.dll"), winerr::PrintMonitorAlreadyInstalled);
  const auto state = machine->spooler().Snapshot();
  ASSERT_EQ(state.monitors.size(), 1u);
  EXPECT_EQ(state.monitors[0].dll, "TestMon.dll");
}

TEST_F(SimPortMonitorTest, PortNeedsARegisteredMonitorAndANewName) {
  EXPECT_EQ(spooler.AddPortExA("Test_IP_1", kMonitor), winerr::InvalidParameter);
  PutMonitorDll();
  ASSERT_EQ(spooler.AddMonitorA(kMonitor, std::nullopt, "TestMon.dll"), winerr::Success);
  EXPECT_EQ(spooler.AddPortExA("COM1:", kMonitor), winerr::AlreadyExists);
  ASSERT_EQ(spooler.AddPortExA("Test_IP_1", kMonitor), winerr::Success);
  EXPECT_EQ(spooler.AddPortExA("test_ip_1", kMonitor), winerr::AlreadyExists);
}

TEST_F(SimPortMonitorTest, StoppedSpoolerAndFaults) {
  std::vector<std::string> ports;
  machine->faults().FailOnce("EnumPortsA", winerr::NotEnoughMemory);
  EXPECT_EQ(spooler.EnumPortsA(ports), winerr::NotEnoughMemory);
  machine->faults().FailOnce("AddMonitorA", winerr::AccessDenied);
  EXPECT_EQ(spooler.AddMonitorA(kMonitor, std::nullopt, "TestMon.dll"), winerr::AccessDenied);
  machine->config().services["spooler"].state = platform::svcstate::Stopped;
  EXPECT_EQ(spooler.EnumPortsA(ports), winerr::RpcServerUnavailable);
  EXPECT_EQ(spooler.AddPortExA("Test_IP_1", kMonitor), winerr::RpcServerUnavailable);
}

TEST(SimMachineSectionsTest, NewSectionsSurviveSaveAndOpen) {
  simtest::TempDir dir;
  {
    auto machine = SimMachine::OpenFolder(dir.path());
    simtest::WriteFile(machine->driveC() / "Windows" / "System32" / "TestMon.dll", "MZ");
    simtest::WriteFile(machine->driveC() / "k.inf", "x");
    ASSERT_EQ(machine->spooler().AddMonitorA(kMonitor, std::nullopt, "TestMon.dll"), winerr::Success);
    ASSERT_EQ(machine->spooler().AddPortExA("Test_IP_1", kMonitor), winerr::Success);
    machine->document()["libraries"] = nlohmann::ordered_json::parse(R"({"missing": ["newdev.dll"]})");
    bool reboot = false;
    ASSERT_EQ(machine->devices().UpdateDriverForPlugAndPlayDevicesA("ACPI\\PNP0501", "C:\\k.inf", 0, reboot),
              winerr::Success);
    machine->Save();
  }
  auto machine = SimMachine::OpenFolder(dir.path());
  std::vector<std::string> ports;
  ASSERT_EQ(machine->spooler().EnumPortsA(ports), winerr::Success);
  EXPECT_EQ(ports.back(), "Test_IP_1");
  std::unique_ptr<platform::Library> lib;
  EXPECT_EQ(machine->libraries().LoadLibraryA("NewDev.dll", lib), winerr::ModNotFound);
  bool reboot = false;
  EXPECT_EQ(machine->devices().UpdateDriverForPlugAndPlayDevicesA("ACPI\\PNP0501", "C:\\k.inf", 0, reboot),
            winerr::NoMoreItems);
  EXPECT_EQ(machine->document()["installedDrivers"].size(), 1u);
}

}  // namespace
