// How long a whole installation takes on the default machine, in virtual time: the sum of the
// waits on its path. Each part is named so a change of pace shows where it came from. The whole
// unattended run around it adds only the waits of the user-interface thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <nlohmann/json.hpp>

#include "app/ExitCodes.h"
#include "engine/InstallSequence.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

using Ms = std::uint64_t;

// The default spooler stops in 100 ms and starts in 800 ms (SpoolerControlTest).
// Stop: 100 ms after opening the service, the 100-ms stop seen on the next 10-ms poll, then 500 ms.
constexpr Ms kStopSpooler = 100 + 100 + 10 + 500;
// Start: the first 1000-ms poll finds it running, then 100 ms.
constexpr Ms kStartSpoolerAndWait = 1000 + 100;
constexpr Ms kSpoolerRestart = kStopSpooler + kStartSpoolerAndWait;
// Two 200-ms pauses; the default stop is over within the first (SpoolerControlTest).
constexpr Ms kCycleSpooler = 200 + 200;

// The parts of Install, in the order they happen.
constexpr Ms kOpeningRestart = kSpoolerRestart;
// Around the Ostrel model's USB library copy.
constexpr Ms kOstrelLibraryRestart = kSpoolerRestart;
// The monitor module is not in the system directory yet: its first copy waits 2000 ms.
constexpr Ms kMonitorStep = kStopSpooler + 2000 + kStartSpoolerAndWait;
// After "plug in your printer" on a USB port.
constexpr Ms kUsbPlugInWait = 7000;
// Restart before AddPrinterA, cycle after it (RegistrationTest).
constexpr Ms kAddPrinterQueue = kSpoolerRestart + kCycleSpooler;
// The spooler is still coming back from the cycle: the printer opens on the retry after 3000 ms
// (PaperFormTest); then the two 500-ms settling waits.
constexpr Ms kPaperForm = 3000 + 500 + 500;
constexpr Ms kClosingRestart = 100 + kSpoolerRestart;
constexpr Ms kSerialInstall =
    kOpeningRestart + kOstrelLibraryRestart + kMonitorStep + kAddPrinterQueue + kPaperForm + kClosingRestart;
// After the worker, the port monitor is given time to see the port's new serial settings.
constexpr Ms kSerialSettle = 300;

// A spooler that takes 300 ms to stop: each stop is seen 200 ms later, and the cycle waits out
// the 100 ms of its stop that outlast its pause before it starts the spooler again.
constexpr Ms kSlowStop = 200;
constexpr Ms kSlowStopCycleWait = 300 - 200;

struct PathCase {
  std::string name;
  std::string model;
  std::string port;
  nlohmann::json devices;
  Ms expected;
  // The caption of the message shown and the time it was closed at; none when no message.
  std::optional<std::pair<std::string, Ms>> message = std::nullopt;
  std::uint32_t spoolerStopMs = 100;
};

class InstallDurationTest : public ::testing::TestWithParam<PathCase> {
protected:
  static void Prepare(const PathCase& path, enginetest::EngineHarness& harness, Win2kXPInstaller& installer) {
    harness.StageMedia(path.model);
    harness.machine->document()["devices"] = path.devices;
    harness.machine->config().services["Spooler"].stopMs = path.spoolerStopMs;
    installer.SetPortName(path.port);
    installer.record.formName = "Print width 80mm 30cm";
  }
};

TEST_P(InstallDurationTest, TakesTheSumOfItsWaits) {
  const PathCase& path = GetParam();
  enginetest::EngineHarness harness;
  Win2kXPInstaller installer(harness.context);
  Prepare(path, harness, installer);

  ASSERT_EQ(harness.Now(), 0u);
  EXPECT_TRUE(Install(installer, path.model, 0));
  EXPECT_EQ(harness.Now(), path.expected);
  auto spooler = harness.machine->spooler().Snapshot();
  auto* printer = spooler.FindPrinter(path.model);
  ASSERT_NE(printer, nullptr);
  EXPECT_NE(printer->FindData("TrayFormTable"), nullptr);
  if (path.message) {
    ASSERT_EQ(harness.messages.size(), 1u);
    EXPECT_EQ(harness.messages[0].caption, path.message->first);
    EXPECT_EQ(harness.messages[0].closedAt, path.message->second);
  } else {
    EXPECT_TRUE(harness.messages.empty());
  }
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

// Started as the installation run starts it: on a worker thread that this thread polls every
// 5 ms, while another thread polls by sleeping in virtual time. Neither changes the duration.
TEST_P(InstallDurationTest, TakesTheSameOnAPolledWorkerThread) {
  const PathCase& path = GetParam();
  enginetest::EngineHarness harness;
  Win2kXPInstaller installer(harness.context);
  Prepare(path, harness, installer);

  std::atomic<bool> ended{false};
  std::thread sleeper([&] {
    while (!ended) {
      harness.platform.clock.Sleep(5);
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
  });
  const auto worker = enginetest::StartWorker(installer, path.model, 0);
  while (!worker->WaitFor(5)) {
  }
  ended = true;
  sleeper.join();
  EXPECT_EQ(worker->ExitCode(), 1u);
  EXPECT_EQ(harness.Now(), path.expected);
  if (path.message) {
    ASSERT_EQ(harness.messages.size(), 1u);
    EXPECT_EQ(harness.messages[0].closedAt, path.message->second);
  }
}

const nlohmann::json kNoDevices = nlohmann::json::array();
const nlohmann::json kUsbPrinter = installertest::UsbPrinterDevices();

// "RQ-7200 TH" is the example catalog's Ostrel model; "VT5000" is not.
INSTANTIATE_TEST_SUITE_P(
    Paths, InstallDurationTest,
    ::testing::Values(
        PathCase{"Serial", "RQ-7200 TH", "COM1:", kNoDevices, kSerialInstall},
        PathCase{"SerialWithoutOstrelLibrary", "VT5000", "COM1:", kNoDevices,
                 kOpeningRestart + kMonitorStep + kAddPrinterQueue + kPaperForm + kClosingRestart},
        // The paper form is still set: the cycle after AddPrinterA starts the spooler again.
        PathCase{"SlowSpoolerStop", "VT5000", "COM1:", kNoDevices,
                 kOpeningRestart + kSlowStop + kMonitorStep + kSlowStop + kAddPrinterQueue + kSlowStop +
                     kSlowStopCycleWait + kPaperForm + kClosingRestart + kSlowStop,
                 std::nullopt, 300},
        PathCase{"UsbWithNoPrinter", "RQ-7200 TH", "USB", kNoDevices,
                 kOpeningRestart + kOstrelLibraryRestart + kMonitorStep + kUsbPlugInWait + kAddPrinterQueue +
                     kPaperForm + kClosingRestart,
                 std::pair<std::string, Ms>{"Usb Setup", kOpeningRestart + kOstrelLibraryRestart + kMonitorStep}},
        PathCase{"UsbWithPrinter", "RQ-7200 TH", "USB", kUsbPrinter,
                 kOpeningRestart + kOstrelLibraryRestart + kMonitorStep + kAddPrinterQueue + kPaperForm +
                     kClosingRestart},
        // The message is answered and the installation goes straight on.
        PathCase{"ParallelWithNoPrinter", "RQ-7200 TH", "LPT1:", kNoDevices,
                 kOpeningRestart + kOstrelLibraryRestart + kMonitorStep + kAddPrinterQueue + kPaperForm +
                     kClosingRestart,
                 std::pair<std::string, Ms>{"Parallel Setup", kOpeningRestart + kOstrelLibraryRestart + kMonitorStep}},
        PathCase{"Network", "RQ-7200 TH", "IP_192.168.0.50", kNoDevices,
                 kOpeningRestart + kOstrelLibraryRestart + kMonitorStep + kAddPrinterQueue + kPaperForm +
                     kClosingRestart}),
    [](const auto& test) { return test.param.name; });

// The unattended serial run with a test page: the dialogs, the test page and the polling of the
// worker take no time of their own.
TEST(WholeRunDuration, IsTheInstallationThenTheSerialSettle) {
  enginetest::EngineHarness media;
  media.StageMedia();
  installertest::ProgramRun run;
  ASSERT_EQ(run.Execute({"--unattended", "--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1",
                         "--test-page", "yes"}),
            kExitInstalled)
      << run.out.str() << run.err.str();
  EXPECT_EQ(run.machine->clock().Elapsed(), kSerialInstall + kSerialSettle);
}

}  // namespace
