// Whole installations where the simulated machine refuses what Windows refuses: a user without
// administrative rights, and port monitor modules the running spooler holds.
#include <gtest/gtest.h>

#include "engine/InstallWorker.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;
using platform::DWORD;

DWORD RunInstall(const std::string& port, Win2kXPInstaller& installer) {
  installer.SetPortName(port);
  installer.record.formName = "Print width 80mm 30cm";
  installer.record.needsPortMonitor = true;
  return enginetest::StartWorker(installer, "RQ-7200 TH", 1)->Join();
}

struct StandardUserCase {
  const char* name;
  const char* port;
  std::string errorLog;
};

void PrintTo(const StandardUserCase& row, std::ostream* os) { *os << row.name; }

class StandardUserInstallTest : public ::testing::TestWithParam<StandardUserCase> {};

// Copies refused with 5 count as done; the monitor module's refused copy fails the monitor step and
// is logged, except on a USB port, where AddMonitorA is then refused and logged; once per attempt of the step.
TEST_P(StandardUserInstallTest, FailsWithTheMonitorStep) {
  enginetest::EngineHarness harness;
  harness.StageMedia();
  harness.machine->document()["devices"] = installertest::ConnectedPrinters();
  harness.machine->config().user.administrator = false;
  Win2kXPInstaller installer(harness.context);

  EXPECT_EQ(RunInstall(GetParam().port, installer), 0u);
  EXPECT_EQ(installer.record.progressStep.load(), 7);
  EXPECT_EQ(installer.record.installOutcome, 0);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), GetParam().errorLog);
  const platform::sim::SpoolerState spooler = harness.machine->spooler().Snapshot();
  EXPECT_TRUE(spooler.monitors.empty());
  EXPECT_TRUE(spooler.drivers.empty());
  EXPECT_TRUE(spooler.printers.empty());
  EXPECT_FALSE(fs::exists(harness.machine->driveC() / "Windows" / "System32" / "KorvexMon.dll"));
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
}

const std::string kMonitorRefusedTwice = "AddMonitor FAILED with code: 5\r\nAddMonitor FAILED with code: 5\r\n";
const std::string kModuleRefusedTwice =
    "InstallPortMonitor failed with code: 5\r\nInstallPortMonitor failed with code: 5\r\n";

INSTANTIATE_TEST_SUITE_P(Ports, StandardUserInstallTest,
                         ::testing::Values(StandardUserCase{"Serial", "COM1:", kModuleRefusedTwice},
                                           StandardUserCase{"Usb", "USB", kMonitorRefusedTwice},
                                           StandardUserCase{"Parallel", "LPT1:", kModuleRefusedTwice},
                                           StandardUserCase{"Network", "IP_192.0.2.50", kModuleRefusedTwice}),
                         [](const auto& param) { return std::string(param.param.name); });

struct HeldModulesCase {
  const char* name;
  bool spoolerStops;
  const char* replaced;  // what the monitor's UI module and the USB access library hold afterwards
};

void PrintTo(const HeldModulesCase& row, std::ostream* os) { *os << row.name; }

class HeldModulesInstallTest : public ::testing::TestWithParam<HeldModulesCase> {};

// A second installation: the monitor is registered, so the running spooler holds its modules.
// They are copied while the spooler is stopped; when it cannot be stopped their copies fail with
// 32, which is ignored, and the installation succeeds with the modules already in place.
TEST_P(HeldModulesInstallTest, ModulesAreReplacedOnlyWhileTheSpoolerIsStopped) {
  enginetest::EngineHarness harness;
  harness.StageMedia();
  harness.machine->document()["devices"] = installertest::ConnectedPrinters();
  harness.RegisterPortMonitor();
  const fs::path system = harness.machine->driveC() / "Windows" / "System32";
  for (const char* module : {"KorvexMon.dll", "KorvexMonUI.dll", "SiUSBXp.dll"}) simtest::WriteFile(system / module, std::string("old ") + module);
  // ERROR_DEPENDENT_SERVICES_RUNNING: another service needs the spooler.
  if (!GetParam().spoolerStops) harness.machine->faults().FailFrom("ControlService", 1, 1051);
  Win2kXPInstaller installer(harness.context);

  EXPECT_EQ(RunInstall("COM1:", installer), 1u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
  EXPECT_EQ(simtest::ReadFile(system / "KorvexMon.dll"), "old KorvexMon.dll") << "an installed monitor module is kept";
  EXPECT_EQ(simtest::ReadFile(system / "KorvexMonUI.dll"), GetParam().replaced + std::string(" KorvexMonUI.dll"));
  EXPECT_EQ(simtest::ReadFile(system / "SiUSBXp.dll"), GetParam().replaced + std::string(" SiUSBXp.dll"));
}

INSTANTIATE_TEST_SUITE_P(Spooler, HeldModulesInstallTest,
                         ::testing::Values(HeldModulesCase{"Stops", true, "shipped"},
                                           HeldModulesCase{"NeverStops", false, "old"}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
