// The simulated device tree and system libraries: class ids, present devices, property buffers,
// device keys, driver updates, missing libraries and functions, and the handles they take.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::DWORD;
using platform::DeviceInfoData;
using platform::Guid;
using platform::sim::SimMachine;
namespace winerr = platform::winerr;
namespace fs = std::filesystem;

constexpr Guid kPortsGuid = {0x78, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11,
                             0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};

class SimDeviceSetupTest : public testing::Test {
protected:
  void TearDown() override { EXPECT_EQ(machine->handles().Describe(), std::vector<std::string>{}); }

  Guid ClassGuid(const std::string& name) {
    std::vector<Guid> guids;
    DWORD required = 0;
    EXPECT_EQ(devices.SetupDiClassGuidsFromNameA(name, 1, guids, required), winerr::Success);
    return guids.empty() ? Guid{} : guids[0];
  }

  std::vector<std::string> Descriptions(platform::DeviceInfoSet& set) {
    std::vector<std::string> names;
    DeviceInfoData device;
    for (DWORD i = 0; set.SetupDiEnumDeviceInfo(i, device) == winerr::Success; ++i) {
      DWORD type = 0, required = 0;
      std::vector<std::uint8_t> data;
      EXPECT_EQ(set.SetupDiGetDeviceRegistryPropertyA(device, platform::spdrp::DeviceDesc, 256, type, data, required),
                winerr::Success);
      names.emplace_back(data.begin(), data.end() - 1);
    }
    return names;
  }

  std::unique_ptr<SimMachine> machine = SimMachine::InMemory();
  platform::DeviceSetup& devices = machine->devices();
};

TEST_F(SimDeviceSetupTest, ClassIdsHaveWindowsValuesAndBufferRule) {
  std::vector<Guid> guids;
  DWORD required = 0;
  EXPECT_EQ(devices.SetupDiClassGuidsFromNameA("ports", 0, guids, required), winerr::InsufficientBuffer);
  EXPECT_EQ(required, 1u);
  EXPECT_TRUE(guids.empty());
  ASSERT_EQ(devices.SetupDiClassGuidsFromNameA("Ports", 1, guids, required), winerr::Success);
  EXPECT_EQ(guids, std::vector<Guid>{kPortsGuid});
  for (const char* name : {"System", "USB", "Printer"}) EXPECT_NE(ClassGuid(name), Guid{}) << name;
  EXPECT_EQ(devices.SetupDiClassGuidsFromNameA("NoSuchClass", 4, guids, required), winerr::Success);
  EXPECT_EQ(required, 0u);
}

TEST_F(SimDeviceSetupTest, DefaultMachineHasItsComAndLptPorts) {
  std::unique_ptr<platform::DeviceInfoSet> set;
  ASSERT_EQ(devices.SetupDiGetClassDevsA(kPortsGuid, platform::digcf::Present, set), winerr::Success);
  EXPECT_EQ(Descriptions(*set), (std::vector<std::string>{"Communications Port (COM1)", "Printer Port (LPT1)"}));
  DeviceInfoData device;
  EXPECT_EQ(set->SetupDiEnumDeviceInfo(2, device), winerr::NoMoreItems);
}

TEST_F(SimDeviceSetupTest, PresentFlagLeavesOutAbsentDevices) {
  machine->document()["devices"] = nlohmann::ordered_json::parse(R"([
    {"class": "Ports", "hardwareIds": ["ACPI\\PNP0501"], "description": "A", "portName": "COM1", "present": true},
    {"class": "Ports", "hardwareIds": ["USB\\VID_1"], "description": "B", "present": false},
    {"class": "USB", "hardwareIds": ["USB\\ROOT_HUB"], "description": "C"}])");
  std::unique_ptr<platform::DeviceInfoSet> set;
  ASSERT_EQ(devices.SetupDiGetClassDevsA(kPortsGuid, platform::digcf::Present, set), winerr::Success);
  EXPECT_EQ(Descriptions(*set), std::vector<std::string>{"A"});
  ASSERT_EQ(devices.SetupDiGetClassDevsA(kPortsGuid, 0, set), winerr::Success);
  EXPECT_EQ(Descriptions(*set), (std::vector<std::string>{"A", "B"}));
  ASSERT_EQ(devices.SetupDiGetClassDevsA(ClassGuid("USB"), platform::digcf::Present, set), winerr::Success);
  EXPECT_EQ(Descriptions(*set), std::vector<std::string>{"C"});
}

TEST_F(SimDeviceSetupTest, HardwareIdIsAMultiStringThatMustFit) {
  machine->document()["devices"] = nlohmann::ordered_json::parse(
      R"([{"class": "Ports", "hardwareIds": ["ACPI\\PNP0501", "*PNP0501"], "portName": "COM1"}])");
  std::unique_ptr<platform::DeviceInfoSet> set;
  ASSERT_EQ(devices.SetupDiGetClassDevsA(kPortsGuid, platform::digcf::Present, set), winerr::Success);
  DeviceInfoData device;
  ASSERT_EQ(set->SetupDiEnumDeviceInfo(0, device), winerr::Success);
  const std::string expected = simtest::Bytes("ACPI\\PNP0501\0*PNP0501\0\0");
  DWORD type = 0, required = 0;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(set->SetupDiGetDeviceRegistryPropertyA(device, platform::spdrp::HardwareId, static_cast<DWORD>(expected.size() - 1), type, data,
                                                   required),
            winerr::InsufficientBuffer);
  EXPECT_EQ(required, expected.size());
  EXPECT_TRUE(data.empty());
  ASSERT_EQ(set->SetupDiGetDeviceRegistryPropertyA(device, platform::spdrp::HardwareId, static_cast<DWORD>(expected.size()), type, data,
                                                   required),
            winerr::Success);
  EXPECT_EQ(type, platform::regtype::MultiSz);
  EXPECT_EQ(std::string(data.begin(), data.end()), expected);
  EXPECT_EQ(set->SetupDiGetDeviceRegistryPropertyA(device, platform::spdrp::DeviceDesc, 256, type, data, required),
            winerr::InvalidData)
      << "a device without a description";
}

TEST_F(SimDeviceSetupTest, DeviceKeyHoldsPortNameInTheRegistry) {
  std::unique_ptr<platform::DeviceInfoSet> set;
  ASSERT_EQ(devices.SetupDiGetClassDevsA(kPortsGuid, platform::digcf::Present, set), winerr::Success);
  DeviceInfoData device;
  ASSERT_EQ(set->SetupDiEnumDeviceInfo(1, device), winerr::Success);
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(set->SetupDiOpenDevRegKey(device, platform::dicskey::ScopeGlobal, platform::dicskey::ProfileCurrent,
                                      platform::dicskey::KeyTypeDevice, platform::regaccess::Read, key),
            winerr::Success);
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  ASSERT_EQ(key->QueryValue("PortName", type, data), winerr::Success);
  EXPECT_EQ(std::string(data.begin(), data.end()), simtest::Bytes("LPT1\0"));
  key.reset();
  std::unique_ptr<platform::RegistryKey> same;
  EXPECT_EQ(machine->registry().OpenKey(platform::RootKey::LocalMachine,
                                        "SYSTEM\\CurrentControlSet\\Enum\\ACPI\\PNP0400\\2\\Device Parameters",
                                        platform::regaccess::Read, same),
            winerr::Success);
}

TEST_F(SimDeviceSetupTest, DriverUpdateFollowsThePackagesAndDevices) {
  simtest::WriteFile(machine->driveC() / "Kvx" / "kvx.inf", "[Version]");
  machine->document()["driverPackages"] = nlohmann::ordered_json::parse(R"({"ACPI\\PNP0400": {"better": false}})");
  bool reboot = true;
  EXPECT_EQ(devices.UpdateDriverForPlugAndPlayDevicesA("ACPI\\PNP0501", "C:\\Kvx\\none.inf", 0, reboot),
            winerr::FileNotFound);
  EXPECT_EQ(devices.UpdateDriverForPlugAndPlayDevicesA("USB\\VID_9999", "C:\\Kvx\\kvx.inf", 0, reboot),
            winerr::NoSuchDevInst);
  EXPECT_EQ(devices.UpdateDriverForPlugAndPlayDevicesA("ACPI\\PNP0400", "C:\\Kvx\\kvx.inf", 0, reboot),
            winerr::NoMoreItems);
  ASSERT_EQ(devices.UpdateDriverForPlugAndPlayDevicesA("acpi\\pnp0501", "C:\\Kvx\\kvx.inf", 0, reboot),
            winerr::Success);
  EXPECT_FALSE(reboot);
  EXPECT_EQ(machine->document()["installedDrivers"].size(), 1u);
  EXPECT_EQ(devices.UpdateDriverForPlugAndPlayDevicesA("ACPI\\PNP0501", "C:\\Kvx\\kvx.inf", 0, reboot),
            winerr::NoMoreItems)
      << "the installed package is no better than itself";
}

TEST_F(SimDeviceSetupTest, FaultsAndHandleAccounting) {
  std::unique_ptr<platform::DeviceInfoSet> set;
  machine->faults().FailOnce("SetupDiGetClassDevsA", winerr::InvalidClass);
  EXPECT_EQ(devices.SetupDiGetClassDevsA(kPortsGuid, 0, set), winerr::InvalidClass);
  EXPECT_EQ(set, nullptr);
  ASSERT_EQ(devices.SetupDiGetClassDevsA(kPortsGuid, 0, set), winerr::Success);
  EXPECT_EQ(machine->handles().OpenCount("device info set"), 1u);
  set.reset();
  EXPECT_EQ(machine->handles().OpenCount("device info set"), 0u);
}

class SimLibrariesTest : public SimDeviceSetupTest {};

TEST_F(SimLibrariesTest, KnownLibrariesLoadUnlessMarkedMissing) {
  platform::Libraries& libraries = machine->libraries();
  std::unique_ptr<platform::Library> lib;
  ASSERT_EQ(libraries.LoadLibraryA("setupapi.dll", lib), winerr::Success);
  EXPECT_EQ(lib->FindFunction("SetupDiOpenDevRegKey"), winerr::Success);
  EXPECT_EQ(machine->handles().OpenCount("library"), 1u);
  lib.reset();
  EXPECT_EQ(libraries.LoadLibraryA("nosuch.dll", lib), winerr::ModNotFound);

  machine->document()["libraries"] = nlohmann::ordered_json::parse(
      R"({"missing": ["NEWDEV.DLL"], "missingFunctions": {"SETUPAPI.DLL": ["SetupDiOpenDevRegKey"]}})");
  EXPECT_EQ(libraries.LoadLibraryA("newdev.dll", lib), winerr::ModNotFound);
  ASSERT_EQ(libraries.LoadLibraryA("SetupAPI", lib), winerr::Success);
  EXPECT_EQ(lib->FindFunction("SetupDiOpenDevRegKey"), winerr::ProcNotFound);
  EXPECT_EQ(lib->FindFunction("SetupDiGetClassDevsA"), winerr::Success);
  ASSERT_EQ(libraries.LoadLibraryA("winspool.drv", lib), winerr::Success);
}

}  // namespace
