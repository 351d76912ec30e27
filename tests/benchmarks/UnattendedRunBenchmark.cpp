// Real time of the whole unattended serial installation with a test page, as the Linux program
// runs it on a fresh machine folder, split into its parts so a regression shows where it lies:
// loading machine.json, the dialogs (the run on the user-interface thread), the engine (Install on
// its worker) and saving machine.json. The model list on the same machine is the baseline.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "app/ExitCodes.h"
#include "app/InstallerResources.h"
#include "app/ProgramMain.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using platform::DWORD;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Adds the real time of every thread it starts to `spent`.
class TimedThreads : public platform::Threads {
public:
  TimedThreads(platform::Threads& inner, Clock::duration& spent) : inner_(inner), spent_(spent) {}
  DWORD CreateThread(std::function<DWORD()> function, std::unique_ptr<platform::ThreadHandle>& out) override {
    return inner_.CreateThread(
        [this, function = std::move(function)] {
          const auto start = Clock::now();
          const DWORD result = function();
          spent_ += Clock::now() - start;  // read only once the thread has been waited for
          return result;
        },
        out);
  }
  DWORD SetCurrentThreadPriority(int priority) override { return inner_.SetCurrentThreadPriority(priority); }

private:
  platform::Threads& inner_;
  Clock::duration& spent_;
};

// The distribution folder as the current directory, and a fresh machine's machine.json to copy.
struct Media {
  Media() {
    harness.StageMedia();
    platform::sim::SimMachine::OpenFolder(fresh.path())->Save();
  }
  void FreshMachine() const {
    fs::remove_all(run.path());
    fs::create_directories(run.path());
    fs::copy_file(fresh.path() / "machine.json", run.path() / "machine.json");
  }
  enginetest::EngineHarness harness;
  simtest::TempDir fresh, run;
};

int Run(platform::Platform& platform, const std::vector<std::string>& args) {
  std::ostringstream out, err;
  ProgramEnvironment environment{platform, nullptr, out, err, {}};
  return RunProgram(ParseProgramOptions(args), environment);
}

void BM_UnattendedSerialRunWithTestPage(benchmark::State& state) {
  const Media media;
  const std::vector<std::string> args{"--unattended", "--model", "RQ-7200 TH", "--interface", "serial",
                                      "--port", "COM1", "--test-page", "yes"};
  Clock::duration load{}, run{}, engine{}, save{};
  bool installed = true;
  for (auto _ : state) {
    state.PauseTiming();
    media.FreshMachine();
    state.ResumeTiming();

    const auto start = Clock::now();
    auto machine = platform::sim::SimMachine::OpenFolder(media.run.path());
    machine->CheckSavable();
    machine->printing().SetProgramBitmaps(InstallerBitmapFile);
    const auto loaded = Clock::now();
    platform::Platform platform = machine->platform();
    TimedThreads threads(platform.threads, engine);
    platform::Platform timed{platform.clock,   platform.registry, platform.profile, platform.version,
                             platform.process, platform.services, platform.spooler, platform.messages,
                             platform.files,   platform.libraries, platform.devices, threads,
                             platform.serial,  platform.printing, platform.sockets, platform.ipHelper,
                             platform.lastError, platform.fonts};
    installed &= Run(timed, args) == kExitInstalled;
    const auto ran = Clock::now();
    machine->Save();
    const auto saved = Clock::now();
    load += loaded - start;
    run += ran - loaded;
    save += saved - ran;
  }
  if (!installed) state.SkipWithError("a run did not install");
  const auto average = [&](Clock::duration d) { return benchmark::Counter(Ms(d), benchmark::Counter::kAvgIterations); };
  state.counters["load_ms"] = average(load);
  state.counters["dialogs_ms"] = average(run - engine);
  state.counters["engine_ms"] = average(engine);
  state.counters["save_ms"] = average(save);
}
BENCHMARK(BM_UnattendedSerialRunWithTestPage)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

// What the run is compared with: the same machine read, the catalog listed, nothing saved.
void BM_ListModels(benchmark::State& state) {
  const Media media;
  media.FreshMachine();
  bool listed = true;
  for (auto _ : state) {
    auto machine = platform::sim::SimMachine::OpenFolderToRead(media.run.path());
    platform::Platform platform = machine->platform();
    listed &= Run(platform, {"--list-models"}) == kExitInstalled;
  }
  if (!listed) state.SkipWithError("the model list failed");
}
BENCHMARK(BM_ListModels)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
