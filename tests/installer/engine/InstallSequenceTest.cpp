// The installation sequence on its worker thread, watched as the progress dialog watches it.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "engine/InstallWorker.h"
#include "engine/PortMonitorInstall.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;
namespace winerr = platform::winerr;
using Steps = std::vector<std::int32_t>;

const Steps kAllSteps{0, 1, 2, 3, 4, 5, 6, 7};

// Reads progressStep each time progressEvent wakes it. The worker is held at its next message pump
// until the step it reported has been read, so no step can be overwritten unseen.
class ProgressWatch {
public:
  explicit ProgressWatch(const EngineContext& base) : context(base) {
    context.pumpMessages = [this] { HoldUntilSeen(); };
  }

  Steps Follow(InstallerRecord& watched, InstallWorker& worker) {
    Steps seen;
    for (;;) {
      if (watched.progressEvent.WaitFor(std::chrono::milliseconds(5))) {
        const std::int32_t step = watched.progressStep.load();
        seen.push_back(step);
        std::lock_guard lock(mutex_);
        seen_ = step;
        changed_.notify_all();
      } else if (worker.Finished()) {
        return seen;
      }
    }
  }

  EngineContext context;
  InstallerRecord* record = nullptr;

private:
  void HoldUntilSeen() {
    const std::int32_t step = record->progressStep.load();
    std::unique_lock lock(mutex_);
    // Bounded only so that a step reported without its event fails the test instead of hanging it.
    changed_.wait_for(lock, std::chrono::seconds(10), [&] { return seen_ == step; });
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::int32_t seen_ = -1;
};

class InstallSequenceTest : public ::testing::Test {
protected:
  void SetUp() override {
    // Slower than one poll, so the first start lets messages through while step 0 shows.
    harness.machine->config().services["Spooler"].startMs = 1500;
    harness.StageMedia();
    harness.machine->document()["devices"] = installertest::ConnectedPrinters();
    Prepare(installer, "COM1:");
  }
  void Prepare(Win2kXPInstaller& target, const std::string& port) {
    watch.record = &target.record;
    target.SetPortName(port);
    target.record.formName = "Print width 80mm 30cm";
  }
  // Runs the installation on a worker thread; the steps seen and the thread's exit code.
  std::pair<Steps, platform::DWORD> Run(Win2kXPInstaller& target, const std::string& printer = kPrinter) {
    const auto worker = enginetest::StartWorker(target, printer, 1);
    Steps steps = watch.Follow(target.record, *worker);
    return {steps, worker->Join()};
  }
  std::size_t Calls(const char* op) const { return harness.machine->faults().CallCount(op); }
  platform::sim::FaultInjector& Faults() { return harness.machine->faults(); }
  std::optional<platform::sim::SpoolerPrinter> Printer() const {
    auto state = harness.machine->spooler().Snapshot();
    const auto* printer = state.FindPrinter(kPrinter);
    return printer ? std::optional(*printer) : std::nullopt;
  }
  // Files (not the driver's version folder) left in the printer driver directory.
  std::vector<std::string> FilesInDriverDirectory() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(harness.machine->spooler().HostDriverDirectory()))
      if (!entry.is_directory()) names.push_back(entry.path().filename().string());
    return names;
  }
  void ExpectClosedOut(const Win2kXPInstaller& target) {
    EXPECT_EQ(target.record.progressStep.load(), 7);
    EXPECT_FALSE(target.record.needsPortMonitor);
    EXPECT_TRUE(target.record.fileList.empty());
    EXPECT_EQ(FilesInDriverDirectory(), std::vector<std::string>{});
    EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
  }

  static constexpr const char* kPrinter = "RQ-7200 TH";
  enginetest::EngineHarness harness;
  ProgressWatch watch{harness.context};
  Win2kXPInstaller installer{watch.context};
};

TEST_F(InstallSequenceTest, AWorkerThatCannotBeCreatedSaysWhyAndInstallsNothing) {
  Faults().ResetLog();
  Faults().FailOnce("CreateThread", winerr::NotEnoughMemory);
  std::unique_ptr<InstallWorker> worker;
  EXPECT_EQ(InstallWorker::Start(installer, kPrinter, 1, worker), winerr::NotEnoughMemory);
  EXPECT_EQ(worker, nullptr);
  EXPECT_EQ(Faults().CallLog(), std::vector<std::string>{"CreateThread"});
  EXPECT_EQ(installer.record.progressStep.load(), 0);
}

TEST_F(InstallSequenceTest, ASuccessfulInstallationShowsEveryStepAndLeavesNothingStaged) {
  const auto [steps, exitCode] = Run(installer);
  EXPECT_EQ(steps, kAllSteps);
  EXPECT_EQ(exitCode, 1u);
  EXPECT_EQ(installer.record.installOutcome, 0);
  EXPECT_EQ(installer.record.modelName, kPrinter);
  EXPECT_EQ(installer.record.printerType, 1);
  ExpectClosedOut(installer);
  ASSERT_TRUE(Printer());
  EXPECT_NE(Printer()->FindData("TrayFormTable"), nullptr);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");

  // The monitor is not installed again by the same installer.
  const std::size_t stops = Calls("ControlService");
  EXPECT_TRUE(InstallPortMonitor(installer));
  EXPECT_EQ(Calls("ControlService"), stops);
}

struct FailureCase {
  std::string name;
  std::string port;
  std::function<void(enginetest::EngineHarness&)> arrange;
  Steps steps;
  std::string log;
};

class InstallFailureTest : public InstallSequenceTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(InstallFailureTest, StopsCountingWhereItFailedAndStillCloses) {
  Prepare(installer, GetParam().port);
  GetParam().arrange(harness);
  const auto [steps, exitCode] = Run(installer);
  EXPECT_EQ(steps, GetParam().steps);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), GetParam().log);
  ExpectClosedOut(installer);
  EXPECT_FALSE(Printer());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, InstallFailureTest,
    ::testing::Values(
        FailureCase{"CopyFails", "COM1:", [](auto&) { fs::remove("WIN2KXP/unidrv.hlp"); }, {0, 1, 2, 6, 7},
                    "CopyFile(.\\WIN2KXP\\unidrv.hlp,C:\\Windows\\System32\\spool\\drivers\\x64\\unidrv.hlp,FALSE) "
                    "FAILED CODE: 2\r\n"},
        // Both attempts of the monitor step try AddMonitorA ten times.
        FailureCase{"MonitorRegistrationFailsTwice", "COM1:",
                    [](auto& h) { h.machine->faults().FailFrom("AddMonitorA", 1, winerr::AccessDenied); },
                    {0, 1, 2, 3, 6, 7},
                    "AddMonitor FAILED with code: 5\r\nAddMonitor FAILED with code: 5\r\n"},
        // A log that cannot be written loses its line and changes nothing else.
        FailureCase{"MonitorRegistrationFailsTwiceAndTheLogIsBusyOnce", "COM1:",
                    [](auto& h) {
                      h.machine->faults().FailFrom("AddMonitorA", 1, winerr::AccessDenied);
                      h.machine->faults().FailOnce("AppendToFileA", winerr::SharingViolation);
                    },
                    {0, 1, 2, 3, 6, 7},
                    "AddMonitor FAILED with code: 5\r\n"},
        FailureCase{"UsbMonitorModuleMissingTwice", "USB", [](auto&) { fs::remove("WIN2KXP/KorvexMon.dll"); },
                    {0, 1, 2, 3, 6, 7},
                    "InstallPortMonitor USB failed with code: 2\r\nInstallPortMonitor USB failed with code: 2\r\n"},
        FailureCase{"AddPrinterDriverFails", "COM1:",
                    [](auto& h) { h.machine->faults().FailOnce("AddPrinterDriverA", winerr::AccessDenied); },
                    {0, 1, 2, 3, 4, 6, 7},
                    "AddPrinterDriver FAILED with code: 5\r\n"},
        FailureCase{"AddPrinterFails", "LPT1:",
                    [](auto& h) { h.machine->faults().FailOnce("AddPrinterA", winerr::AccessDenied); },
                    {0, 1, 2, 3, 4, 5, 6, 7},
                    "AddPrinter FAILED with code: 5\r\n"}),
    [](const auto& paramInfo) { return paramInfo.param.name; });

TEST_F(InstallSequenceTest, AMonitorStepThatFailsOnceIsTriedAgainAndTheInstallationGoesOn) {
  Prepare(installer, "IP_192.168.0.50");
  // The monitor module's copy comes after the Ostrel library, the list and the monitor UI module.
  Win2kXPInstaller probe(harness.context);
  probe.record.modelName = kPrinter;
  probe.BuildFileList(kPrinter);
  ASSERT_TRUE(probe.record.ostrelModel);
  Faults().FailNth("CopyFileA", 1 + probe.record.fileList.size() + 2, winerr::SharingViolation);

  const auto [steps, exitCode] = Run(installer);
  EXPECT_EQ(steps, kAllSteps);
  EXPECT_EQ(exitCode, 1u);
  EXPECT_EQ(Calls("AddMonitorA"), 1u);
  EXPECT_EQ(simtest::ReadFile(harness.machine->driveC() / "Windows" / "System32" / "KorvexMon.dll"),
            "shipped KorvexMon.dll");
  ASSERT_TRUE(Printer());
  EXPECT_EQ(Printer()->port, "Kvx_IP_192.168.0.50");
  ExpectClosedOut(installer);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "InstallPortMonitor failed with code: 32\r\n");
}

TEST_F(InstallSequenceTest, AnExistingPrinterIsNotedAndTheDriverStillCopiedAndRegistered) {
  ASSERT_EQ(Run(installer).second, 1u);
  // A newer driver module in the distribution, installed over the printer of the same name.
  simtest::WriteFile("WIN2KXP/KorvexVT5K.dll", "shipped KorvexVT5K.dll v2");
  Win2kXPInstaller again(watch.context);
  Prepare(again, "COM1:");

  const auto [steps, exitCode] = Run(again);
  EXPECT_EQ(steps, kAllSteps);
  EXPECT_EQ(exitCode, 1u);
  EXPECT_EQ(again.record.installOutcome, 2);
  EXPECT_EQ(Calls("AddPrinterDriverA"), 2u);
  EXPECT_EQ(simtest::ReadFile(harness.machine->spooler().HostDriverDirectory() / "3" / "KorvexVT5K.dll"),
            "shipped KorvexVT5K.dll v2");
  EXPECT_EQ(harness.machine->spooler().Snapshot().printers.size(), 1u);
  ExpectClosedOut(again);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(InstallSequenceTest, AFailedCopyStillTriesThePaperFormAndRestartsTheSpooler) {
  fs::remove("WIN2KXP/stdnames.gpd");
  Faults().ResetLog();
  const auto [steps, exitCode] = Run(installer);
  EXPECT_EQ(steps, (Steps{0, 1, 2, 6, 7}));
  EXPECT_EQ(exitCode, 0u);

  // After the failed copy: two attempts to open the printer for its form, the second after 3 s,
  // then the closing restart of the spooler.
  const std::vector<std::string> log = Faults().CallLog();
  const auto lastCopy = std::find(log.rbegin(), log.rend(), "CopyFileA");
  ASSERT_NE(lastCopy, log.rend());
  std::vector<std::string> after;
  for (auto op = lastCopy.base(); op != log.end(); ++op)
    if ((*op == "OpenPrinterA" || *op == "ControlService" || *op == "StartServiceA") &&
        (after.empty() || after.back() != *op))
      after.push_back(*op);
  EXPECT_EQ(after, (std::vector<std::string>{"OpenPrinterA", "ControlService", "StartServiceA"}));
  EXPECT_EQ(Calls("OpenPrinterA"), 1u + 2u);
  EXPECT_EQ(Calls("AddMonitorA"), 0u);
  ExpectClosedOut(installer);
}

TEST_F(InstallSequenceTest, UnderNt4ThePaperFormIsLeftAlone) {
  harness.osKind = kOsWinNt4;
  const auto [steps, exitCode] = Run(installer);
  EXPECT_EQ(steps, kAllSteps);
  EXPECT_EQ(exitCode, 1u);
  ASSERT_TRUE(Printer());
  EXPECT_EQ(Printer()->FindData("TrayFormTable"), nullptr);
  // Only the lookup of an existing printer opened one.
  EXPECT_EQ(Calls("OpenPrinterA"), 1u);
  ExpectClosedOut(installer);
}

}  // namespace
