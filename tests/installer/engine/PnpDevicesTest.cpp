// Driver packages and the device lookup on the simulated device tree.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "engine/PnpDevices.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

using Json = nlohmann::ordered_json;
using platform::DWORD;
using Strings = std::vector<std::string>;
namespace winerr = platform::winerr;

using installertest::Device;

class PnpTest : public ::testing::Test {
protected:
  void SetDevices(Json devices) { harness.machine->document()["devices"] = std::move(devices); }
  void WriteInf(const std::string& relative) { simtest::WriteFile(relative, "[Version]\r\n"); }
  std::size_t Calls(const char* op) const { return harness.machine->faults().CallCount(op); }
  std::size_t OpenHandles() const { return harness.machine->handles().OpenCount(); }
  Json& Document() { return harness.machine->document(); }

  enginetest::EngineHarness harness;
  platform::Platform& os = harness.platform;
};

// --- InstallPnpDriver -------------------------------------------------------------------

TEST_F(PnpTest, InfPathThatFillsMaxPathFailsBeforeLoadingAnything) {
  const std::string base = "C:\\";
  const std::string tooLong = base + std::string(260 - base.size(), 'a');  // 260 characters + NUL
  ASSERT_EQ(tooLong.size(), 260u);
  EXPECT_EQ(InstallPnpDriver(os, tooLong, "USB\\VID_5C4E&PID_8030"), kInfPathTooLong);
  EXPECT_EQ(Calls("LoadLibraryA"), 0u);

  // One character less fits: the lookup goes on (and finds no such file).
  const std::string fits = tooLong.substr(0, 259);
  EXPECT_EQ(InstallPnpDriver(os, fits, "USB\\VID_5C4E&PID_8030"), winerr::FileNotFound);
  EXPECT_EQ(Calls("LoadLibraryA"), 1u);
  EXPECT_EQ(OpenHandles(), 0u);

  // A relative path is measured as "D:\" and the path, wherever the media lies on the host.
  EXPECT_EQ(InstallPnpDriver(os, std::string(257, 'a'), "USB\\VID_5C4E&PID_8030"), kInfPathTooLong);
  EXPECT_EQ(InstallPnpDriver(os, std::string(256, 'a'), "USB\\VID_5C4E&PID_8030"), winerr::FileNotFound);
}

TEST_F(PnpTest, UsbPrinterPackageInstallsForThePresentDevice) {
  SetDevices(Json::array({Device("USB", {"USB\\VID_5C4E&PID_8030&REV_0100", "USB\\VID_5C4E&PID_8030"}, "Printer", "")}));
  WriteInf("driver/usb/KvxVT5USB.inf");
  EXPECT_TRUE(InstallUsbPrinterDriver(os));
  ASSERT_TRUE(Document().contains("installedDrivers"));
  const Json& installed = Document()["installedDrivers"];
  ASSERT_EQ(installed.size(), 1u);
  EXPECT_EQ(installed[0]["hardwareId"], "USB\\VID_5C4E&PID_8030");
  // The package was handed over with its full path on the media's drive, not the relative one.
  EXPECT_EQ(installed[0]["inf"], "D:\\driver\\usb\\KvxVT5USB.inf");
  EXPECT_EQ(OpenHandles(), 0u);
}

TEST_F(PnpTest, PackageNoBetterThanTheInstalledDriverCountsAsSuccess) {
  SetDevices(Json::array({Device("System", {"LPTENUM\\TOLVARENRQ-7000TH6351"}, "Printer", "")}));
  Document()["driverPackages"] = Json{{"LPTENUM\\TOLVARENRQ-7000TH6351", Json{{"better", false}}}};
  WriteInf("driver/parallel/Tolv.inf");
  EXPECT_TRUE(InstallParallelPrinterDriver(os));
  EXPECT_EQ(InstallPnpDriver(os, ".\\driver\\parallel\\Tolv.inf", "LPTENUM\\TOLVARENRQ-7000TH6351"),
            winerr::Success);
  EXPECT_FALSE(Document().contains("installedDrivers"));
}

TEST_F(PnpTest, NoPresentDeviceGivesTheSystemsCode) {
  SetDevices(Json::array({Device("Ports", {"USB\\VID_5C3D&PID_0003"}, "Virtual COM", "COM5", false)}));
  WriteInf("driver/usb/lindor_usbser.inf");
  EXPECT_EQ(InstallPnpDriver(os, ".\\driver\\usb\\lindor_usbser.inf", "USB\\VID_5C3D&PID_0003"),
            winerr::NoSuchDevInst);
  EXPECT_FALSE(InstallUsbVirtualComDriver(os));

  harness.machine->faults().FailOnce("UpdateDriverForPlugAndPlayDevicesA", winerr::AccessDenied);
  EXPECT_EQ(InstallPnpDriver(os, ".\\driver\\usb\\lindor_usbser.inf", "USB\\VID_5C3D&PID_0003"),
            winerr::AccessDenied);
  EXPECT_EQ(OpenHandles(), 0u);
}

TEST_F(PnpTest, MissingLibraryOrFunctionIsReportedAndTheLibraryFreed) {
  WriteInf("driver/usb/KvxVT5USB.inf");
  Document()["libraries"] = Json{{"missing", {"newdev.dll"}}};
  EXPECT_EQ(InstallPnpDriver(os, ".\\driver\\usb\\KvxVT5USB.inf", "USB\\VID_5C4E&PID_8030"), winerr::ModNotFound);

  Document()["libraries"] = Json{{"missingFunctions", {{"newdev.dll", {"UpdateDriverForPlugAndPlayDevicesA"}}}}};
  EXPECT_EQ(InstallPnpDriver(os, ".\\driver\\usb\\KvxVT5USB.inf", "USB\\VID_5C4E&PID_8030"), winerr::ProcNotFound);
  EXPECT_EQ(Calls("UpdateDriverForPlugAndPlayDevicesA"), 0u);
  EXPECT_EQ(OpenHandles(), 0u);
}

// --- FindPresentPorts and IsDevicePresent -----------------------------------------------

class FindDevicesTest : public PnpTest {
protected:
  void SetUp() override {
    SetDevices(Json::array({
        Device("Ports", {"ACPI\\PNP0501"}, "Communications Port (COM10)", "COM10:"),
        Device("Ports", {"acpi\\pnp0501"}, "Communications Port (COM4)", "com4"),
        Device("Ports", {"ACPI\\PNP0400"}, "Printer Port (LPT1)", "LPT1"),
        Device("Ports", {"USB\\VID_5C3D&PID_0003"}, "Virtual COM (COM7)", "COM7"),
        // 255 id characters, their NUL and the list's final NUL: one byte too many.
        Device("Ports", {"ACPI\\" + std::string(250, 'X')}, "Oversized ids (COM9)", "COM9"),
        Device("Ports", {"ACPI\\PNP0501"}, "Unplugged (COM5)", "COM5", false),
        Device("Ports", {"ACPI\\PNP0501"}, "Bare prefix", "COM"),
    }));
  }
  bool Find(const char* prefix, const char* filter, bool exclude) {
    const PresentPorts found = FindPresentPorts(os.libraries, os.devices, PortFilter{prefix, filter, exclude});
    ports = found.names;
    descriptions = found.descriptions;
    lastError = found.lastError;
    return !ports.empty();
  }
  bool Present(const std::string& setupClass, const std::string& hardwareId) {
    return IsDevicePresent(os.libraries, os.devices, setupClass, hardwareId);
  }

  Strings ports{"stale"}, descriptions{"stale"};
  DWORD lastError = 0;
};

TEST_F(FindDevicesTest, PortNamesTakeTheirColonAndEveryPassingDeviceItsDescription) {
  EXPECT_TRUE(Find("COM", nullptr, false));
  EXPECT_EQ(ports, (Strings{"COM10:", "com4:", "COM7:"}));
  // LPT1 is no COM port, but its description is listed; the unplugged and oversized devices are not.
  EXPECT_EQ(descriptions, (Strings{"Communications Port (COM10)", "Communications Port (COM4)", "Printer Port (LPT1)",
                                   "Virtual COM (COM7)", "Bare prefix"}));
  EXPECT_EQ(OpenHandles(), 0u);
}

TEST_F(FindDevicesTest, FilterMatchesUpperCasedIdsAndExcludeInvertsIt) {
  EXPECT_TRUE(Find("COM", "PNP05", false));
  EXPECT_EQ(ports, (Strings{"COM10:", "com4:"}));

  EXPECT_TRUE(Find("COM", "USB", true));
  EXPECT_EQ(ports, (Strings{"COM10:", "com4:"}));
  EXPECT_EQ(descriptions, (Strings{"Communications Port (COM10)", "Communications Port (COM4)", "Printer Port (LPT1)",
                                   "Bare prefix"}));

  EXPECT_TRUE(Find("LPT", nullptr, false));
  EXPECT_EQ(ports, (Strings{"LPT1:"}));
}

TEST_F(FindDevicesTest, PresenceCheckStopsAtTheFirstMatch) {
  EXPECT_TRUE(Present("Ports", "PNP0501"));
  // Only that device's hardware ids were read: no port value, no description.
  EXPECT_EQ(Calls("SetupDiGetDeviceRegistryPropertyA"), 1u);
  EXPECT_EQ(Calls("SetupDiEnumDeviceInfo"), 1u);
  EXPECT_EQ(Calls("SetupDiOpenDevRegKey"), 0u);

  EXPECT_FALSE(Present("USB", "USB\\VID_5C3D&PID_0001"));
  EXPECT_FALSE(Present("NoSuchClass", "PNP0501"));
  EXPECT_EQ(OpenHandles(), 0u);
}

TEST_F(FindDevicesTest, APrefixThatNamesNoPortLooksUpNothing) {
  EXPECT_FALSE(Find("CO", nullptr, false));
  EXPECT_TRUE(ports.empty());
  EXPECT_TRUE(descriptions.empty());
  EXPECT_EQ(Calls("LoadLibraryA"), 0u);
}

TEST_F(FindDevicesTest, MissingSetupLibraryOrFunctionFailsWithItsCode) {
  Document()["libraries"] = Json{{"missing", {"SETUPAPI.DLL"}}};
  EXPECT_FALSE(Find("COM", nullptr, false));
  EXPECT_EQ(lastError, winerr::ModNotFound);

  for (const char* function : {"SetupDiOpenDevRegKey", "SetupDiEnumDeviceInfo"}) {
    Document()["libraries"] = Json{{"missingFunctions", {{"SETUPAPI.DLL", {function}}}}};
    EXPECT_FALSE(Find("COM", nullptr, false)) << function;
    EXPECT_EQ(lastError, winerr::CallNotImplemented) << function;
  }
  EXPECT_EQ(Calls("SetupDiClassGuidsFromNameA"), 0u);
  EXPECT_EQ(OpenHandles(), 0u);
}

TEST_F(FindDevicesTest, FailedSystemCallsEndTheLookupWithTheirCode) {
  harness.machine->faults().FailOnce("SetupDiGetClassDevsA", winerr::NotEnoughMemory);
  EXPECT_FALSE(Find("COM", nullptr, false));
  EXPECT_EQ(lastError, winerr::NotEnoughMemory);

  // A device whose key cannot be opened still shows its description.
  harness.machine->faults().FailOnce("SetupDiOpenDevRegKey", winerr::AccessDenied);
  EXPECT_TRUE(Find("COM", "PNP05", false));
  EXPECT_EQ(ports, (Strings{"com4:"}));
  EXPECT_EQ(descriptions.size(), 3u);
  EXPECT_EQ(OpenHandles(), 0u);
}

}  // namespace
