// The port monitor's ports and numbers, and free printer names, on the simulated spooler.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "engine/MonitorPorts.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

using platform::DWORD;
namespace winerr = platform::winerr;

constexpr const char* kPortsKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Korvex Port Monitor\\Ports\\";

class MonitorPortsTest : public ::testing::Test {
protected:
  void AddPrinters(const std::vector<std::string>& names) {
    harness.machine->spooler().Edit([&](platform::sim::SpoolerState& state) {
      for (const auto& name : names) {
        platform::sim::SpoolerPrinter printer;
        printer.name = name;
        printer.port = "LPT1:";
        printer.driver = "Generic";
        state.printers.push_back(printer);
      }
    });
  }
  // "PortNumber" of a port's key, or none.
  std::optional<DWORD> PortNumber(const std::string& port) {
    std::unique_ptr<platform::RegistryKey> key;
    if (os.registry.OpenKey(platform::RootKey::LocalMachine, kPortsKey + port, platform::regaccess::Read, key) != 0)
      return std::nullopt;
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    if (key->QueryValue("PortNumber", type, data) != 0 || type != platform::regtype::Dword || data.size() != 4)
      return std::nullopt;
    return DWORD(data[0] | data[1] << 8 | data[2] << 16 | DWORD(data[3]) << 24);
  }
  std::size_t Calls(const char* op) const { return harness.machine->faults().CallCount(op); }
  std::size_t OpenHandles() const { return harness.machine->handles().OpenCount(); }

  enginetest::EngineHarness harness;
  platform::Platform& os = harness.platform;
  Win2kXPInstaller installer{harness.context};
};

TEST_F(MonitorPortsTest, MonitorPortIsRecognisedAnywhereInTheName) {
  EXPECT_FALSE(PortMonitorPortsExist(os.spooler));  // COM1:, LPT1:, FILE:
  harness.RegisterPortMonitor();
  ASSERT_EQ(os.spooler.AddPortExA("Net_Kvx_IP_10.0.0.5", "Korvex Port Monitor"), winerr::Success);
  EXPECT_TRUE(PortMonitorPortsExist(os.spooler));

  harness.machine->faults().FailOnce("EnumPortsA", winerr::RpcServerUnavailable);
  EXPECT_FALSE(PortMonitorPortsExist(os.spooler));
}

TEST_F(MonitorPortsTest, AddingAPortTwiceKeepsTheSecondNumber) {
  harness.RegisterPortMonitor();
  AddMonitorPort(installer, "Kvx_IP_192.168.0.20", 9100);
  EXPECT_EQ(PortNumber("Kvx_IP_192.168.0.20"), 9100u);
  std::vector<std::string> ports;
  ASSERT_EQ(os.spooler.EnumPortsA(ports), winerr::Success);
  EXPECT_NE(std::find(ports.begin(), ports.end(), "Kvx_IP_192.168.0.20"), ports.end());

  // The port exists now; the spooler refuses it, the number is still rewritten.
  AddMonitorPort(installer, "Kvx_IP_192.168.0.20", 9101);
  EXPECT_EQ(PortNumber("Kvx_IP_192.168.0.20"), 9101u);
  EXPECT_EQ(Calls("AddPortExA"), 2u);
  EXPECT_EQ(OpenHandles(), 0u);
}

TEST_F(MonitorPortsTest, WithoutAddPortExNothingIsWritten) {
  harness.RegisterPortMonitor();
  harness.machine->document()["libraries"] =
      nlohmann::ordered_json{{"missingFunctions", {{"winspool.drv", {"AddPortExA"}}}}};
  AddMonitorPort(installer, "Kvx_IP_10.1.1.1", 9100);
  EXPECT_EQ(Calls("AddPortExA"), 0u);
  EXPECT_EQ(PortNumber("Kvx_IP_10.1.1.1"), std::nullopt);
  EXPECT_EQ(OpenHandles(), 0u);
}

TEST_F(MonitorPortsTest, PortNumberKeyIsCreatedOnlyWhenItCannotBeOpened) {
  EXPECT_TRUE(SetMonitorPortNumber(os.registry, "Kvx_IP_1", 515));
  EXPECT_EQ(PortNumber("Kvx_IP_1"), 515u);
  const std::size_t creates = Calls("RegCreateKeyExA");
  EXPECT_TRUE(SetMonitorPortNumber(os.registry, "Kvx_IP_1", 9100));
  EXPECT_EQ(Calls("RegCreateKeyExA"), creates);
  EXPECT_EQ(PortNumber("Kvx_IP_1"), 9100u);

  harness.machine->faults().FailOnce("RegCreateKeyExA", winerr::AccessDenied);
  EXPECT_FALSE(SetMonitorPortNumber(os.registry, "Kvx_IP_2", 9100));
  harness.machine->faults().FailOnce("RegSetValueExA", winerr::AccessDenied);
  EXPECT_FALSE(SetMonitorPortNumber(os.registry, "Kvx_IP_1", 1));
  EXPECT_EQ(PortNumber("Kvx_IP_1"), 9100u);
  EXPECT_EQ(OpenHandles(), 0u);
}

TEST_F(MonitorPortsTest, UniqueNameTakesTheFirstFreeCopyNumber) {
  AddPrinters({"P", "P (Copy 1)", "P (Copy 2)"});
  std::string name = "P";
  EXPECT_TRUE(MakeUniquePrinterName(installer, name));
  EXPECT_EQ(name, "P (Copy 3)");
  EXPECT_EQ(installer.record.modelName, "P (Copy 3)");
  EXPECT_EQ(OpenHandles(), 0u);
}

TEST_F(MonitorPortsTest, UniqueNameStartsAtCopyOneEvenWhenThePlainNameIsFree) {
  installer.record.modelName = "Q";
  std::string name = "Q";
  EXPECT_TRUE(MakeUniquePrinterName(installer, name));
  EXPECT_EQ(name, "Q (Copy 1)");
  EXPECT_EQ(installer.record.modelName, "Q (Copy 1)");
  EXPECT_EQ(Calls("OpenPrinterA"), 1u);
}

TEST_F(MonitorPortsTest, AllNineCopiesTakenLeavesTheNameAlone) {
  std::vector<std::string> taken;
  for (int i = 1; i <= 9; ++i) taken.push_back("P (Copy " + std::to_string(i) + ")");
  AddPrinters(taken);
  installer.record.modelName = "P";
  std::string name = "P";
  EXPECT_FALSE(MakeUniquePrinterName(installer, name));
  EXPECT_EQ(name, "P");
  EXPECT_EQ(installer.record.modelName, "P");
  EXPECT_EQ(Calls("OpenPrinterA"), 9u);
  EXPECT_EQ(OpenHandles(), 0u);
}

// Only "no such printer" frees a candidate: any other refusal may hide an existing printer, whose
// name AddPrinterA would then answer with "already exists", taken as success.
TEST(MakeUniquePrinterName, AnOpenFailureOtherThanNoSuchPrinterEndsTheSearch) {
  for (const DWORD error : {winerr::AccessDenied, winerr::RpcServerUnavailable, winerr::NotEnoughMemory}) {
    SCOPED_TRACE(error);
    enginetest::EngineHarness harness;
    harness.machine->spooler().Edit(
        [](platform::sim::SpoolerState& state) { enginetest::AddInstalledPrinter(state, "P (Copy 1)", "LPT1:"); });
    Win2kXPInstaller installer(harness.context);
    installer.record.modelName = "P";
    harness.machine->faults().FailNth("OpenPrinterA", 2, error);
    std::string name = "P";
    EXPECT_FALSE(MakeUniquePrinterName(installer, name));
    EXPECT_EQ(name, "P");
    EXPECT_EQ(installer.record.modelName, "P");
    EXPECT_EQ(installer.record.lastError, error);
    EXPECT_EQ(harness.machine->faults().CallCount("OpenPrinterA"), 2u);
    EXPECT_EQ(enginetest::EngineHarness::ErrorLog(),
              "MakeUniquePrinterName: OpenPrinter(P (Copy 2)) FAILED with code: " + std::to_string(error) + "\r\n");
    EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
  }
}

}  // namespace
