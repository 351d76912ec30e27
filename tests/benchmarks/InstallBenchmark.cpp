// Real time of a whole installation on the simulated machine. Its clock is virtual, so the
// spooler restarts and other waits cost nothing: what remains is the system's own overhead.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/InstallSequence.h"
#include "engine/InstallWorker.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

const std::string kModel = "RQ-7200 TH";
const char* const kPorts[] = {"COM1:", "USB", "LPT1:", "IP_192.168.0.50"};

// A machine with the distribution folder and every printer connected, and an installer for the port.
struct Installation {
  explicit Installation(const std::string& port) {
    harness.StageMedia(kModel);
    harness.machine->document()["devices"] = installertest::ConnectedPrinters();
    installer.SetPortName(port);
    installer.record.formName = "Print width 80mm 30cm";
    installer.record.needsPortMonitor = true;
  }
  enginetest::EngineHarness harness;
  Win2kXPInstaller installer{harness.context};
};

void ReportVirtualTime(benchmark::State& state, std::uint64_t virtualMs) {
  state.counters["virtual_s_per_install"] =
      benchmark::Counter(static_cast<double>(virtualMs) / 1000.0, benchmark::Counter::kAvgIterations);
}

// The first installation on a fresh machine: everything is copied, registered and added.
void BM_InstallOnFreshMachine(benchmark::State& state) {
  const std::string port = kPorts[state.range(0)];
  state.SetLabel(port);
  std::uint64_t virtualMs = 0;
  bool installed = true;
  for (auto _ : state) {
    state.PauseTiming();
    auto installation = std::make_unique<Installation>(port);
    const std::uint64_t start = installation->harness.Now();
    state.ResumeTiming();

    installed &= Install(installation->installer, kModel, 1);

    state.PauseTiming();
    virtualMs += installation->harness.Now() - start;
    installation.reset();
    state.ResumeTiming();
  }
  if (!installed) state.SkipWithError("an installation failed");
  ReportVirtualTime(state, virtualMs);
}
BENCHMARK(BM_InstallOnFreshMachine)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The same installation again on one machine: the printer and the monitor module are already there.
void BM_ReinstallOnSameMachine(benchmark::State& state) {
  const std::string port = kPorts[state.range(0)];
  state.SetLabel(port);
  Installation installation(port);
  bool installed = Install(installation.installer, kModel, 1);
  std::uint64_t virtualMs = 0;
  for (auto _ : state) {
    // As a fresh installer would: the monitor step is not skipped.
    installation.installer.record.needsPortMonitor = true;
    const std::uint64_t start = installation.harness.Now();
    installed &= Install(installation.installer, kModel, 1);
    virtualMs += installation.harness.Now() - start;
  }
  if (!installed) state.SkipWithError("an installation failed");
  ReportVirtualTime(state, virtualMs);
}
BENCHMARK(BM_ReinstallOnSameMachine)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// As the installation run does it: Install on its own worker thread, joined.
void BM_InstallOnWorkerThread(benchmark::State& state) {
  Installation installation("COM1:");
  bool installed = true;
  for (auto _ : state) {
    installation.installer.record.needsPortMonitor = true;
    installed &= enginetest::StartWorker(installation.installer, kModel, 1)->Join() == 1;
  }
  if (!installed) state.SkipWithError("an installation failed");
}
BENCHMARK(BM_InstallOnWorkerThread)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
