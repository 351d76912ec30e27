// Every operating-system call of a whole installation, failed once in turn: the run must always
// end, reach the last progress step, close what it opened and say why it did not install.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <optional>
#include <set>

#include "engine/InstallWorker.h"
#include "support/FaultSweep.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

using faultsweep::CallSites;
using faultsweep::Fault;
using faultsweep::kDiskFull;
using faultsweep::Joined;
using platform::DWORD;
namespace winerr = platform::winerr;

const std::string kModel = "RQ-7200 TH";

struct Outcome {
  DWORD exitCode = 0;
  std::int32_t progressStep = 0;
  DWORD lastError = 0;
  std::vector<std::string> handlesLeft;
  std::string errorLog;
  std::vector<std::string> callLog;
  std::vector<std::string> messageCaptions;
  bool printerInstalled = false;
  std::string driverDirectory;
};

// One installation of the model on a fresh machine whose printers are all connected.
Outcome RunInstall(const std::string& port, const std::optional<Fault>& fault = std::nullopt) {
  enginetest::EngineHarness harness;
  harness.StageMedia(kModel);
  harness.machine->document()["devices"] = installertest::ConnectedPrinters();
  Win2kXPInstaller installer(harness.context);
  installer.SetPortName(port);
  installer.record.formName = "Print width 80mm 30cm";
  installer.record.needsPortMonitor = true;

  platform::sim::FaultInjector& faults = harness.machine->faults();
  faults.ResetLog();
  if (fault) faults.FailNth(fault->op, fault->nth, fault->error);
  Outcome outcome;
  {
    outcome.exitCode = enginetest::StartWorker(installer, kModel, 1)->Join();
  }
  outcome.callLog = faults.CallLog();
  faults.Clear();
  outcome.progressStep = installer.record.progressStep.load();
  outcome.lastError = installer.record.lastError;
  outcome.handlesLeft = harness.machine->handles().Describe();
  outcome.errorLog = enginetest::EngineHarness::ErrorLog();
  for (const auto& message : harness.messages) outcome.messageCaptions.push_back(message.caption);
  // Read from the spooler's state: a run may leave the service stopped.
  platform::sim::SpoolerState spooler = harness.machine->spooler().Snapshot();
  outcome.printerInstalled = spooler.FindPrinter(kModel) != nullptr;
  outcome.driverDirectory = spooler.driverDirectory;
  return outcome;
}

// Starting the worker belongs to the installation run, which reports its failure itself.
std::vector<Fault> InstallCallSites(const std::vector<std::string>& log, std::size_t from = 0,
                                    std::size_t to = std::string::npos) {
  std::vector<Fault> sites = CallSites(log, from, to);
  std::erase_if(sites, [](const Fault& site) { return site.op == "CreateThread"; });
  return sites;
}

// The calls a port kind adds to a serial installation: what lies between the longest common
// beginning and end of the two logs. The rest behaves as on the serial port, already swept.
std::vector<Fault> CallsAddedTo(const std::vector<std::string>& serial, const std::vector<std::string>& log) {
  const std::size_t common = std::min(serial.size(), log.size());
  std::size_t head = 0;
  while (head < common && serial[head] == log[head]) ++head;
  std::size_t tail = 0;
  while (tail < common - head && serial[serial.size() - 1 - tail] == log[log.size() - 1 - tail]) ++tail;
  return InstallCallSites(log, head, log.size() - tail);
}

bool LooksForDevices(const std::string& op) {
  return op.starts_with("SetupDi") || op == "LoadLibraryA" || op == "GetProcAddress";
}

struct PortKind {
  std::string name;
  std::string port;
  bool everyCall;  // else only the calls the kind adds to a serial installation
};

void PrintTo(const PortKind& kind, std::ostream* out) { *out << kind.name; }

class InstallFaultSweep : public ::testing::TestWithParam<PortKind> {};

TEST_P(InstallFaultSweep, AnyOneCallFailingStillEndsTheRunCleanly) {
  const Outcome clean = RunInstall(GetParam().port);
  ASSERT_EQ(clean.exitCode, 1u) << clean.errorLog;
  ASSERT_EQ(clean.errorLog, "");
  const std::vector<Fault> sites =
      GetParam().everyCall ? InstallCallSites(clean.callLog) : CallsAddedTo(RunInstall("COM1:").callLog, clean.callLog);
  ASSERT_FALSE(sites.empty());

  std::set<std::string> operations;
  std::size_t notInstalled = 0;
  for (const Fault& fault : sites) {
    operations.insert(fault.op);
    SCOPED_TRACE(faultsweep::Describe(fault));
    const Outcome run = RunInstall(GetParam().port, fault);
    // The run repeats the clean one up to the fault, so the fault did strike.
    ASSERT_GE(static_cast<std::size_t>(std::count(run.callLog.begin(), run.callLog.end(), fault.op)), fault.nth);
    EXPECT_EQ(run.progressStep, 7);
    EXPECT_TRUE(run.handlesLeft.empty()) << Joined(run.handlesLeft);
    ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 1) << run.exitCode;
    // On a machine without the printer, the exit code is the truth about it.
    EXPECT_EQ(run.printerInstalled, run.exitCode == 1);
    if (run.exitCode == 0) {
      ++notInstalled;
      // Every way to fail (copy step, monitor twice, driver, queue) writes its line or keeps its
      // code; the calls whose failure the sequence ignores (spooler restarts, paper form, clean-up)
      // leave a later, reporting step to fail, or let the installation succeed. So no fault is
      // allowed to fail the run silently.
      EXPECT_TRUE(!run.errorLog.empty() || run.lastError != 0) << "the installation failed and nobody was told";
    }
    // Nobody is asked to plug in a printer that is there, unless looking for it failed.
    if (!run.messageCaptions.empty()) {
      EXPECT_TRUE(LooksForDevices(fault.op)) << Joined(run.messageCaptions);
    }
  }
  std::cout << "fault sweep (" << GetParam().name << "): " << sites.size() << " call sites, " << operations.size()
            << " operations, " << notInstalled << " runs left without a printer\n";
  RecordProperty("callSites", static_cast<int>(sites.size()));
  RecordProperty("operations", static_cast<int>(operations.size()));
}

INSTANTIATE_TEST_SUITE_P(Ports, InstallFaultSweep,
                         ::testing::Values(PortKind{"Serial", "COM1:", true}, PortKind{"Usb", "USB", true},
                                           PortKind{"Parallel", "LPT1:", false},
                                           PortKind{"Network", "IP_192.168.0.50", false}),
                         [](const auto& paramInfo) { return paramInfo.param.name; });

// The kth call of op after the nth call of anchorOp in a clean run's log, as a fault to inject.
Fault After(const std::vector<std::string>& log, const std::string& anchorOp, std::size_t anchorNth, std::size_t k,
            const std::string& op, DWORD error) {
  const std::vector<Fault> sites = InstallCallSites(log);
  auto site = std::find_if(sites.begin(), sites.end(),
                           [&](const Fault& f) { return f.op == anchorOp && f.nth == anchorNth; });
  for (std::size_t seen = 0; site != sites.end(); ++site)
    if (site->op == op && ++seen == k) return {op, site->nth, error};
  ADD_FAILURE() << "no call " << k << " of " << op << " after " << anchorOp << " #" << anchorNth;
  return {op, 1, error};
}

// Clean runs' call logs, to find the calls the single failures below name.
const std::vector<std::string>& SerialLog() {
  static const std::vector<std::string> log = RunInstall("COM1:").callLog;
  return log;
}
const std::vector<std::string>& UsbLog() {
  static const std::vector<std::string> log = RunInstall("USB").callLog;
  return log;
}

// The single failures whose outcome is prescribed exactly.
TEST(InstallFaultOutcome, DriverRefusedBySpoolerIsLoggedAndNothingIsInstalled) {
  const Outcome run = RunInstall("COM1:", Fault{"AddPrinterDriverA", 1, winerr::AccessDenied});
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.errorLog, "AddPrinterDriver FAILED with code: 5\r\n");
  EXPECT_EQ(run.lastError, winerr::AccessDenied);
  EXPECT_EQ(std::count(run.callLog.begin(), run.callLog.end(), "AddPrinterA"), 0);
  EXPECT_EQ(run.progressStep, 7);
}

TEST(InstallFaultOutcome, FirstDriverFileThatCannotBeCopiedEndsTheCopyStep) {
  // The model's USB access library is copied before the list, which starts once the driver
  // directory is known.
  const Fault fault = After(SerialLog(), "GetPrinterDriverDirectoryA", 1, 1, "CopyFileA", kDiskFull);
  const Outcome run = RunInstall("COM1:", fault);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.errorLog, "CopyFile(.\\WIN2KXP\\unidrv.dll," + run.driverDirectory +
                              "\\unidrv.dll,FALSE) FAILED CODE: 112\r\n");
  EXPECT_EQ(run.lastError, kDiskFull);
  // No later file was tried, and the monitor was not touched.
  EXPECT_EQ(std::count(run.callLog.begin(), run.callLog.end(), "CopyFileA"), fault.nth);
  EXPECT_EQ(std::count(run.callLog.begin(), run.callLog.end(), "AddMonitorA"), 0);
}

TEST(InstallFaultOutcome, DriverFileInUseCountsAsCopied) {
  for (const DWORD inUse : {winerr::SharingViolation, winerr::AccessDenied}) {
    SCOPED_TRACE(inUse);
    const Outcome run = RunInstall("COM1:", After(SerialLog(), "GetPrinterDriverDirectoryA", 1, 3, "CopyFileA", inUse));
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.errorLog, "");
  }
}

TEST(InstallFaultOutcome, QueueRefusedBySpoolerIsLogged) {
  const Outcome run = RunInstall("COM1:", Fault{"AddPrinterA", 1, winerr::AccessDenied});
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.errorLog, "AddPrinter FAILED with code: 5\r\n");
  EXPECT_EQ(run.lastError, winerr::AccessDenied);
}

TEST(InstallFaultOutcome, SpoolerNotRestartedBeforeTheQueueFailsItWithTheSpoolersCode) {
  // The restart right before AddPrinterA is the one in which the start is refused.
  const Outcome run =
      RunInstall("COM1:", After(SerialLog(), "AddPrinterDriverA", 1, 1, "StartServiceA", winerr::AccessDenied));
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.errorLog, "AddPrinter FAILED with code: 1722\r\n");
}

TEST(InstallFaultOutcome, UsbMonitorModuleThatCannotBeCopiedIsLoggedAndTheSecondAttemptInstalls) {
  // In the monitor step (the second look at the system directory; the first placed the USB access
  // library) the monitor UI module is copied first, then the monitor module, not there yet.
  const Fault fault = After(UsbLog(), "GetSystemDirectoryA", 2, 2, "CopyFileA", kDiskFull);
  const Outcome run = RunInstall("USB", fault);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.errorLog, "InstallPortMonitor USB failed with code: 112\r\n");
  EXPECT_EQ(std::count(run.callLog.begin(), run.callLog.end(), "AddMonitorA"), 1);
}

}  // namespace
