// The port monitor's installation and the change of a printer's port, on the simulated machine in
// virtual time. The default spooler takes 710 ms to stop and 1100 ms to start again.
#include "engine/PortMonitorInstall.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "installer/engine/EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;
namespace winerr = platform::winerr;
using platform::DWORD;
using Json = nlohmann::ordered_json;

constexpr const char* kUsbPrinter = "USB\\VID_5C3D&PID_0001";
constexpr const char* kUsbDriverId = "USB\\VID_5C4E&PID_8030";
constexpr const char* kParallelPrinter = "LPTENUM\\TOLVARENRQ-7000TH6351";

// The kit's texts are Windows-1252, as LoadStringA gives them.
const std::string kConnectEnglish =
    "To correctly proceed with this installation you MUST plug and turn your printer on now.\n\n"
    "When you\xB4re ready, press the OK button.";
const std::string kConnectPortuguese =
    "Para prosseguir a instala\xE7\xE3o corretamente, voc\xEA deve conectar e ligar a impressora neste momento.\n\n"
    "Quando estiver pronto, pressione o bot\xE3o OK.\n";

class PortMonitorTest : public ::testing::Test {
protected:
  PortMonitorTest() { harness.StageMedia(); }
  void TearDown() override { EXPECT_EQ(harness.machine->handles().OpenCount(), 0u); }

  Json& Document() { return harness.machine->document(); }
  // The printer is plugged in: its device, and the one the interface driver is installed for.
  void Connect(const std::vector<std::pair<std::string, std::string>>& classAndIds) {
    if (!Document().contains("devices")) Document()["devices"] = Json::array();
    for (const auto& [setupClass, id] : classAndIds)
      Document()["devices"].push_back(installertest::Device(setupClass, id));
  }
  void ConnectUsb() { Connect({{"USB", kUsbPrinter}, {"USB", kUsbDriverId}}); }
  void ConnectParallel() { Connect({{"System", kParallelPrinter}}); }
  // Hardware ids the interface drivers were installed for.
  std::vector<std::string> InstalledDrivers() {
    std::vector<std::string> ids;
    if (Document().contains("installedDrivers"))
      for (const Json& entry : Document()["installedDrivers"]) ids.push_back(entry["hardwareId"]);
    return ids;
  }
  fs::path System() const { return harness.machine->driveC() / "Windows" / "System32"; }
  std::size_t Calls(const char* op) const { return harness.machine->faults().CallCount(op); }
  const platform::sim::SpoolerMonitor* Monitor() {
    snapshot = harness.machine->spooler().Snapshot();
    return snapshot.FindMonitor("Korvex Port Monitor");
  }
  // Virtual times of the last `count` message pumps (one precedes each AddMonitorA attempt).
  std::vector<std::uint64_t> LastPumps(std::size_t count) const {
    const auto& times = harness.pumpTimes;
    return std::vector<std::uint64_t>(times.end() - static_cast<std::ptrdiff_t>(std::min(count, times.size())),
                                      times.end());
  }
  std::optional<DWORD> PortNumber(const std::string& port) {
    std::unique_ptr<platform::RegistryKey> key;
    const std::string path = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Korvex Port Monitor\\Ports\\" + port;
    if (harness.platform.registry.OpenKey(platform::RootKey::LocalMachine, path, platform::regaccess::Read, key) != 0)
      return std::nullopt;
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    if (key->QueryValue("PortNumber", type, data) != 0 || data.size() != 4) return std::nullopt;
    return DWORD(data[0] | data[1] << 8 | data[2] << 16 | DWORD(data[3]) << 24);
  }
  bool Install(const std::string& port) {
    installer.SetPortName(port);
    installer.SetSourceDirectory();
    return InstallPortMonitor(installer);
  }

  enginetest::EngineHarness harness;
  Win2kXPInstaller installer{harness.context};
  platform::sim::SpoolerState snapshot;
};

// --- InstallPortMonitor -----------------------------------------------------------------

TEST_F(PortMonitorTest, AFinishedInstallerTouchesNothing) {
  installer.record.needsPortMonitor = false;
  installer.SetPortName("USB");
  harness.machine->faults().ResetLog();
  EXPECT_TRUE(InstallPortMonitor(installer));
  EXPECT_TRUE(harness.machine->faults().CallLog().empty());
  EXPECT_EQ(harness.Now(), 0u);
  EXPECT_TRUE(harness.messages.empty());
}

TEST_F(PortMonitorTest, APresentMonitorModuleIsKeptWhileTheOtherModulesAreReplaced) {
  // First installation: the module is missing and is copied after a pause.
  std::uint64_t start = harness.Now();
  ASSERT_TRUE(Install("COM1:"));
  const std::uint64_t firstRun = harness.Now() - start;
  EXPECT_EQ(simtest::ReadFile(System() / "KorvexMon.dll"), "shipped KorvexMon.dll");
  ASSERT_NE(Monitor(), nullptr);
  EXPECT_EQ(Monitor()->dll, "KorvexMon.dll");
  EXPECT_EQ(Monitor()->environment, "Windows x64");

  // Older copies everywhere; the UI module read-only, as some copies from CD come.
  for (const char* name : {"KorvexMon.dll", "KorvexMonUI.dll", "SiUSBXp.dll"})
    simtest::WriteFile(System() / name, std::string("old ") + name);
  fs::permissions(System() / "KorvexMonUI.dll", fs::perms::owner_write, fs::perm_options::remove);

  start = harness.Now();
  EXPECT_TRUE(InstallPortMonitor(installer));  // the monitor answers 3006 now
  EXPECT_EQ(firstRun - (harness.Now() - start), 2000u);
  EXPECT_EQ(simtest::ReadFile(System() / "KorvexMon.dll"), "old KorvexMon.dll");
  EXPECT_EQ(simtest::ReadFile(System() / "KorvexMonUI.dll"), "shipped KorvexMonUI.dll");
  EXPECT_EQ(simtest::ReadFile(System() / "SiUSBXp.dll"), "shipped SiUSBXp.dll");
  EXPECT_EQ(installer.record.lastError, 0u);
  EXPECT_EQ(Calls("AddMonitorA"), 2u);
  // A serial port needs neither a question nor an interface driver.
  EXPECT_TRUE(harness.messages.empty());
  EXPECT_EQ(Calls("UpdateDriverForPlugAndPlayDevicesA"), 0u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

struct LanguageCase {
  const char* name;
  platform::LANGID language;
  const std::string* text;
};

class UsbQuestionTest : public PortMonitorTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(UsbQuestionTest, UsbWithoutPrinterAsksWaitsSevenSecondsThenInstallsTheDriver) {
  harness.language = GetParam().language;
  // The user plugs the printer in while the question is open.
  harness.onMessage = [this](const std::string&) { ConnectUsb(); };
  EXPECT_TRUE(Install("USB"));
  ASSERT_EQ(harness.messages.size(), 1u);
  EXPECT_EQ(harness.messages[0].caption, "Usb Setup");
  EXPECT_EQ(harness.messages[0].text, *GetParam().text);
  // The driver saw the device plugged in during the question, so it was installed after it.
  EXPECT_EQ(InstalledDrivers(), std::vector<std::string>{kUsbDriverId});
  EXPECT_NE(Document()["installedDrivers"][0]["inf"].get<std::string>().find("KvxVT5USB.inf"), std::string::npos);
  EXPECT_EQ(LastPumps(1), std::vector<std::uint64_t>{harness.messages[0].closedAt + 7000});
  ASSERT_NE(Monitor(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Languages, UsbQuestionTest,
                         ::testing::Values(LanguageCase{"English", platform::lang::EnglishUs, &kConnectEnglish},
                                           LanguageCase{"Portuguese", platform::lang::PortugueseBrazil,
                                                        &kConnectPortuguese}),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST_F(PortMonitorTest, ParallelWithoutPrinterAsksWithoutWaiting) {
  harness.onMessage = [this](const std::string&) { ConnectParallel(); };
  EXPECT_TRUE(Install("LPT1:"));
  ASSERT_EQ(harness.messages.size(), 1u);
  EXPECT_EQ(harness.messages[0].caption, "Parallel Setup");
  EXPECT_EQ(harness.messages[0].text, kConnectEnglish);
  EXPECT_EQ(InstalledDrivers(), std::vector<std::string>{kParallelPrinter});
  EXPECT_EQ(LastPumps(1), std::vector<std::uint64_t>{harness.messages[0].closedAt});
}

TEST_F(PortMonitorTest, AConnectedPrinterIsNotAskedFor) {
  ConnectUsb();
  ConnectParallel();
  EXPECT_TRUE(Install("USB"));
  EXPECT_TRUE(Install("LPT1:"));
  EXPECT_TRUE(harness.messages.empty());
  EXPECT_EQ(InstalledDrivers(), (std::vector<std::string>{kUsbDriverId, kParallelPrinter}));
}

TEST_F(PortMonitorTest, APortNamedBothUsbAndLptIsUsb) {
  EXPECT_TRUE(Install("LPT_USB1"));
  ASSERT_EQ(harness.messages.size(), 1u);
  EXPECT_EQ(harness.messages[0].caption, "Usb Setup");
  EXPECT_EQ(LastPumps(1), std::vector<std::uint64_t>{harness.messages[0].closedAt + 7000});
  // Only the USB package was tried (and found no device).
  EXPECT_EQ(Calls("UpdateDriverForPlugAndPlayDevicesA"), 1u);
  EXPECT_EQ(PortKindOf("Kvx_LPT1USB"), PortKind::Usb);
}

TEST_F(PortMonitorTest, AlreadyInstalledAnswersEndTheRegistrationAtOnce) {
  for (const DWORD answer : {winerr::PrintMonitorAlreadyInstalled, winerr::AlreadyExists}) {
    harness.machine->faults().ResetLog();
    harness.machine->faults().FailOnce("AddMonitorA", answer);
    EXPECT_TRUE(Install("COM1:")) << answer;
    EXPECT_EQ(Calls("AddMonitorA"), 1u) << answer;
    EXPECT_EQ(installer.record.lastError, 0u) << answer;
  }
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(PortMonitorTest, TenFailedRegistrationsTenMillisecondsApartFailTheStep) {
  harness.machine->faults().FailFrom("AddMonitorA", 1, winerr::AccessDenied);
  installer.record.tcpPort = 9101;
  EXPECT_FALSE(Install("IP_10.0.0.9"));
  EXPECT_EQ(Calls("AddMonitorA"), 10u);
  EXPECT_EQ(installer.record.lastError, winerr::AccessDenied);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "AddMonitor FAILED with code: 5\r\n");
  const std::vector<std::uint64_t> attempts = LastPumps(10);
  for (std::size_t i = 1; i < attempts.size(); ++i) EXPECT_EQ(attempts[i] - attempts[i - 1], 10u) << i;
  // No port is created on a monitor that is not there.
  EXPECT_EQ(Calls("AddPortExA"), 0u);
  EXPECT_EQ(PortNumber("Kvx_IP_10.0.0.9"), std::nullopt);
}

TEST_F(PortMonitorTest, NineFailedRegistrationsAreRetriedToSuccess) {
  for (std::size_t n = 1; n <= 9; ++n) harness.machine->faults().FailNth("AddMonitorA", n, winerr::RpcServerUnavailable);
  EXPECT_TRUE(Install("COM1:"));
  EXPECT_EQ(Calls("AddMonitorA"), 10u);
  EXPECT_NE(Monitor(), nullptr);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(PortMonitorTest, ANetworkPortIsCreatedOnTheMonitorWithItsNumber) {
  installer.record.tcpPort = 9101;
  EXPECT_TRUE(Install("IP_192.168.0.50"));
  ASSERT_NE(Monitor(), nullptr);
  EXPECT_EQ(Monitor()->ports, std::vector<std::string>{"Kvx_IP_192.168.0.50"});
  EXPECT_EQ(PortNumber("Kvx_IP_192.168.0.50"), 9101u);
  EXPECT_TRUE(harness.messages.empty());
}

TEST_F(PortMonitorTest, AMonitorModuleThatCannotBePlacedFailsEveryPortButUsb) {
  fs::remove("WIN2KXP/KorvexMon.dll");
  ConnectParallel();
  for (const char* port : {"COM1:", "IP_10.0.0.9", "LPT1:"}) {
    EXPECT_FALSE(Install(port)) << port;
    EXPECT_EQ(installer.record.lastError, winerr::FileNotFound) << port;
  }
  // The parallel driver is still installed before the step gives up.
  EXPECT_EQ(InstalledDrivers(), std::vector<std::string>{kParallelPrinter});
  EXPECT_EQ(Calls("AddMonitorA"), 0u);
  EXPECT_EQ(Calls("AddPortExA"), 0u);
  // Logged, as the run says nothing else of the cause.
  const std::string line = "InstallPortMonitor failed with code: 2\r\n";
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), line + line + line);
}

TEST_F(PortMonitorTest, OnUsbAModuleDeniedIsTakenAsInUse) {
  ConnectUsb();
  // The monitor is registered, and its module (the second file copied, after its UI module) denied.
  harness.RegisterPortMonitor();
  harness.machine->faults().FailNth("CopyFileA", 2, winerr::AccessDenied);
  EXPECT_TRUE(Install("USB"));
  EXPECT_EQ(installer.record.lastError, 0u);
  EXPECT_EQ(Calls("AddMonitorA"), 1u);
  EXPECT_EQ(simtest::ReadFile(System() / "SiUSBXp.dll"), "shipped SiUSBXp.dll");
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(PortMonitorTest, OnUsbAnyOtherModuleErrorIsLoggedAndFails) {
  ConnectUsb();
  fs::remove("WIN2KXP/KorvexMon.dll");
  EXPECT_FALSE(Install("USB"));
  EXPECT_EQ(installer.record.lastError, winerr::FileNotFound);
  // The driver goes in before the module's failure is looked at.
  EXPECT_EQ(InstalledDrivers(), std::vector<std::string>{kUsbDriverId});
  EXPECT_EQ(Calls("AddMonitorA"), 0u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "InstallPortMonitor USB failed with code: 2\r\n");
}

TEST_F(PortMonitorTest, CatalogModuleNamesThatLeaveTheSystemDirectoryAreRefused) {
  harness.folder.Write(
      "[KvxDrivers.2K.FILES]\r\nmonitor=..\\KorvexMon.dll\r\nmonitorUI=..\\KorvexMonUI.dll\r\n");
  // Where ".\WIN2KXP\.." leads.
  simtest::WriteFile(fs::current_path() / "KorvexMon.dll", "stray KorvexMon.dll");
  simtest::WriteFile(fs::current_path() / "KorvexMonUI.dll", "stray KorvexMonUI.dll");
  installer.ReadDriverFileSet();
  ASSERT_EQ(installer.record.monitorDll, "..\\KorvexMon.dll");
  EXPECT_FALSE(Install("COM1:"));
  EXPECT_EQ(installer.record.lastError, winerr::InvalidName);
  EXPECT_EQ(Calls("AddMonitorA"), 0u);

  installer.record.monitorDll = "sub\\KorvexMon.dll";
  EXPECT_FALSE(Install("USB"));
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(),
            "InstallPortMonitor failed with code: 123\r\nInstallPortMonitor USB failed with code: 123\r\n");

  const fs::path windows = harness.machine->driveC() / "Windows";
  EXPECT_FALSE(fs::exists(windows / "KorvexMon.dll"));
  EXPECT_FALSE(fs::exists(windows / "KorvexMonUI.dll"));
  EXPECT_FALSE(fs::exists(System() / "sub"));
  EXPECT_EQ(simtest::ReadFile(System() / "SiUSBXp.dll"), "shipped SiUSBXp.dll");
}

TEST_F(PortMonitorTest, AnUnreadableSystemDirectoryFailsTheStepWithItsError) {
  harness.machine->faults().FailOnce("GetSystemDirectoryA", winerr::NotEnoughMemory);
  EXPECT_FALSE(Install("COM1:"));
  EXPECT_EQ(installer.record.lastError, winerr::NotEnoughMemory);
  // Nothing is copied anywhere, least of all to the root of the drive.
  EXPECT_EQ(Calls("CopyFileA"), 0u);
  EXPECT_EQ(Calls("AddMonitorA"), 0u);
}

// --- ChangePrinterPort ------------------------------------------------------------------

class ChangePortTest : public PortMonitorTest {
protected:
  ChangePortTest() {
    harness.machine->spooler().Edit([](platform::sim::SpoolerState& state) {
      enginetest::AddInstalledPrinter(state, "RQ-7200 TH", "COM1:");
    });
    // As the installation run reads it.
    std::unique_ptr<platform::PrinterHandle> printer;
    EXPECT_EQ(harness.platform.spooler.OpenPrinterA("RQ-7200 TH", platform::printeraccess::Use, printer), 0u);
    DWORD needed = 0;
    EXPECT_EQ(printer->GetPrinter2A(0, needed, info), platform::winerr::InsufficientBuffer);
    EXPECT_EQ(printer->GetPrinter2A(needed, needed, info), 0u);
    info.hasSecurityDescriptor = true;
  }
  bool Change(const std::string& port, const std::string& printer = "RQ-7200 TH") {
    installer.SetPortName(port);
    return ChangePrinterPort(installer, printer, info);
  }
  std::string PrinterPort() { return harness.machine->spooler().Snapshot().FindPrinter("RQ-7200 TH")->port; }

  platform::PrinterInfo2A info;
};

TEST_F(ChangePortTest, APrinterThatCannotBeOpenedIsLeftAlone) {
  harness.machine->faults().ResetLog();
  EXPECT_FALSE(Change("COM1:", "No Such Printer"));
  EXPECT_EQ(installer.record.installOutcome, 0);
  EXPECT_EQ(harness.machine->faults().CallLog(), std::vector<std::string>{"OpenPrinterA"});
}

TEST_F(ChangePortTest, WithoutMonitorPortsTheMonitorIsInstalledFromTheBuiltInNames) {
  harness.folder.Write("[KvxDrivers.2K.FILES]\r\nmonitor=OtherMon.dll\r\nmonitorUI=OtherMonUI.dll\r\n");
  harness.machine->faults().ResetLog();
  EXPECT_TRUE(Change("COM1:"));
  EXPECT_EQ(Calls("GetPrivateProfileStringA"), 0u);
  EXPECT_EQ(Calls("GetPrivateProfileSectionA"), 0u);
  ASSERT_NE(Monitor(), nullptr);
  EXPECT_EQ(Monitor()->dll, "KorvexMon.dll");
  EXPECT_TRUE(fs::exists(System() / "KorvexMonUI.dll"));
  EXPECT_EQ(installer.record.sourceDir, ".\\WIN2KXP");
  EXPECT_EQ(installer.record.installOutcome, 4);
  EXPECT_EQ(PrinterPort(), "Kvx_COM1:");
  EXPECT_EQ(info.pPortName, "Kvx_COM1:");
  EXPECT_FALSE(info.hasSecurityDescriptor);
}

TEST_F(ChangePortTest, APrinterDeletedWhileTheMonitorIsInstalledFailsTheChange) {
  harness.onMessage = [this](const std::string&) {
    harness.machine->spooler().Edit([](platform::sim::SpoolerState& state) { state.printers.clear(); });
  };
  EXPECT_FALSE(Change("USB"));
  EXPECT_NE(Monitor(), nullptr);
  EXPECT_EQ(harness.messages.size(), 1u);
  EXPECT_EQ(installer.record.installOutcome, 5);
}

TEST_F(ChangePortTest, ExistingMonitorPortsSkipTheInstallation) {
  harness.RegisterPortMonitor();
  EXPECT_TRUE(Change("LPT1:"));
  EXPECT_EQ(Calls("CopyFileA"), 0u);
  EXPECT_EQ(Calls("OpenSCManagerA"), 0u);
  EXPECT_EQ(Calls("AddMonitorA"), 0u);
  EXPECT_EQ(harness.Now(), 0u);
  EXPECT_EQ(PrinterPort(), "Kvx_LPT1:");
  EXPECT_EQ(installer.record.installOutcome, 4);
  // No parallel printer is connected: the user is asked on this path too.
  ASSERT_EQ(harness.messages.size(), 1u);
  EXPECT_EQ(harness.messages[0].caption, "Parallel Setup");
}

TEST_F(ChangePortTest, ANetworkPortGetsItsMonitorPortAndNumber) {
  harness.RegisterPortMonitor();
  installer.record.tcpPort = 9200;
  EXPECT_TRUE(Change("IP_10.0.0.7"));
  EXPECT_EQ(PrinterPort(), "Kvx_IP_10.0.0.7");
  EXPECT_EQ(PortNumber("Kvx_IP_10.0.0.7"), 9200u);
  EXPECT_TRUE(harness.messages.empty());
}

TEST_F(ChangePortTest, UsbWithoutPrinterIsAskedForAfterTheMove) {
  harness.RegisterPortMonitor();
  harness.onMessage = [this](const std::string&) {
    // The printer has already moved when the user is asked.
    EXPECT_EQ(PrinterPort(), "Kvx_USB");
    ConnectUsb();
  };
  const std::uint64_t start = harness.Now();
  EXPECT_TRUE(Change("USB"));
  ASSERT_EQ(harness.messages.size(), 1u);
  EXPECT_EQ(harness.messages[0].caption, "Usb Setup");
  EXPECT_EQ(harness.messages[0].text, kConnectEnglish);
  EXPECT_EQ(harness.Now() - start, 7000u);
  EXPECT_EQ(InstalledDrivers(), std::vector<std::string>{kUsbDriverId});
  EXPECT_EQ(installer.record.installOutcome, 4);
}

TEST_F(ChangePortTest, ARefusedChangeLeavesThePrinterAndAsksNothing) {
  harness.RegisterPortMonitor();
  harness.machine->faults().FailOnce("SetPrinterA", winerr::AccessDenied);
  EXPECT_FALSE(Change("USB"));
  EXPECT_EQ(installer.record.installOutcome, 5);
  EXPECT_EQ(PrinterPort(), "COM1:");
  EXPECT_TRUE(harness.messages.empty());
  EXPECT_EQ(Calls("UpdateDriverForPlugAndPlayDevicesA"), 0u);
}

TEST_F(ChangePortTest, AFailedMonitorInstallationLeavesThePrinter) {
  harness.machine->faults().FailFrom("AddMonitorA", 1, winerr::AccessDenied);
  EXPECT_FALSE(Change("COM1:"));
  EXPECT_EQ(Calls("SetPrinterA"), 0u);
  EXPECT_EQ(installer.record.installOutcome, 0);
  EXPECT_EQ(PrinterPort(), "COM1:");
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "AddMonitor FAILED with code: 5\r\n");
}

}  // namespace
