// Every operating-system call of a whole unattended run of the wizard, failed once in turn: the
// program must end by itself, say an outcome the saved machine bears out, close what it opened,
// leave a machine that loads again, keep what was installed before and log what it reports.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "app/ProgramMain.h"
#include "engine/PortMonitorContract.h"
#include "support/FaultSweep.h"
#include "installer/InstallerTestSupport.h"
#include "installer/engine/EngineTestSupport.h"
#include "platform/CaseFolding.h"
#include "platform/sim/MachineFile.h"
#include "platform/sim/SerialAttachments.h"

namespace {

using faultsweep::Fault;
using nlohmann::json;
using platform::sim::SimMachine;
using Strings = std::vector<std::string>;

// A run that has not ended after this long in real time has hung.
constexpr auto kHung = std::chrono::seconds(120);
// The longest run on the machine's clock: the slowest clean one (a board search, an update and a
// search again, three spooler restarts) takes half a minute; two minutes leave room for any retry.
constexpr std::uint64_t kLongestRunMs = 2 * 60 * 1000;
const std::string kModel = "RQ-7200 TH";
const std::string kSettingsKey = "SOFTWARE\\Korvex\\KvxPortsIO";

struct Scenario {
  const char* name;
  Strings args;                      // the run under test
  Strings earlier;                   // the installation before it; empty: none
  std::string port;                  // the port of the printer the run installs
  bool movesEarlierPrinter = false;  // the earlier printer may end on `port`
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

int RunProgramOn(SimMachine& machine, const Strings& options, std::ostream& out, std::ostream& err) {
  Strings args{"--unattended"};
  args.insert(args.end(), options.begin(), options.end());
  platform::Platform platform = machine.platform();
  ProgramEnvironment environment{platform, nullptr, out, err, {}};
  return RunProgram(ParseProgramOptions(args), environment);
}

// The machine every run of a scenario starts from, saved once: the installation runs' machine with
// a printer on COM1 that answers at 38400, and the earlier installation.
class StartingMachine {
public:
  explicit StartingMachine(const Strings& earlier) {
    auto machine = installertest::InstallerMachine();
    installertest::ArrangeRunMachine(*machine);
    machine->config().serial["COM1"] = simtest::Printer(38400);
    if (!earlier.empty()) {
      std::ostringstream out;
      EXPECT_EQ(RunProgramOn(*machine, earlier, out, out), 0) << out.str();
    }
    machine->Save();
    std::filesystem::copy(machine->folder(), folder_.path(), std::filesystem::copy_options::recursive);
  }

  // A copy in a folder of its own, as a new process of the program finds it.
  std::unique_ptr<SimMachine> Copy(const simtest::TempDir& into) const {
    std::filesystem::copy(folder_.path(), into.path(), std::filesystem::copy_options::recursive);
    auto machine = SimMachine::OpenFolder(into.path());
    machine->printing().SetProgramBitmaps(InstallerBitmapFile);
    return machine;
  }

private:
  simtest::TempDir folder_;
};

// What a run under test did, with the machine as machine.json held it before and after.
struct RunResult {
  int exitCode = 0;
  std::string outcome;
  Strings messages;  // the transcript's message boxes
  std::string transcript, err;
  std::vector<std::string> callLog;
  std::vector<std::string> handlesLeft;
  std::uint64_t virtualMs = 0;
  std::string reloadError;  // empty when the saved machine loaded again
  json before, after;
  platform::sim::SpoolerState spooler;  // as reloaded
  std::string errorLog;
};

// One run of the program with these options on the machine (saved to its folder afterwards).
RunResult RunOn(SimMachine& machine, const Strings& args, const std::optional<Fault>& fault = std::nullopt) {
  std::filesystem::remove("errors.log");
  RunResult run;
  run.before = platform::sim::MachineFileDocument(machine.config(), machine.registryTree(),
                                                  machine.spooler().Snapshot(), machine.document());
  platform::sim::FaultInjector& faults = machine.faults();
  faults.ResetLog();
  if (fault) faults.FailNth(fault->op, fault->nth, fault->error);

  std::ostringstream out, err;
  const std::uint64_t start = machine.clock().Elapsed();
  auto ending = std::async(std::launch::async, [&] {
    const int code = RunProgramOn(machine, args, out, err);
    return std::make_pair(code, machine.clock().Elapsed() - start);
  });
  if (ending.wait_for(kHung) != std::future_status::ready) {
    std::cerr << args.front() << ": the run did not end with " << (fault ? faultsweep::Describe(*fault) : "no fault")
              << '\n';
    std::abort();  // the run still uses the machine: nothing can be cleaned up
  }
  std::tie(run.exitCode, run.virtualMs) = ending.get();
  run.callLog = faults.CallLog();
  faults.Clear();

  run.transcript = out.str();
  run.err = err.str();
  std::istringstream lines(run.transcript);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("message ")) run.messages.push_back(line);
    if (line.starts_with("outcome ")) run.outcome = line.substr(8);
  }
  run.handlesLeft = machine.handles().Describe();
  run.errorLog = enginetest::EngineHarness::ErrorLog();
  machine.Save();
  run.after = json::parse(simtest::ReadFile(machine.machineFile()));
  try {
    run.spooler = SimMachine::OpenFolderToRead(machine.folder())->spooler().Snapshot();
  } catch (const std::exception& e) {
    run.reloadError = e.what();
  }
  return run;
}

RunResult RunScenario(const Scenario& scenario, const StartingMachine& starting,
                      const std::optional<Fault>& fault = std::nullopt) {
  const simtest::TempDir folder;
  return RunOn(*starting.Copy(folder), scenario.args, fault);
}

// A printer the spooler can print to, by its name or its port: its driver registered, its port there.
bool UsablePrinter(platform::sim::SpoolerState spooler, const std::string& name, const std::string& port) {
  return std::any_of(spooler.printers.begin(), spooler.printers.end(), [&](const auto& printer) {
    return (name.empty() || platform::EqualNoCase(printer.name, name)) &&
           (port.empty() || platform::EqualNoCase(printer.port, port)) && spooler.FindDriver(printer.driver) &&
           spooler.HasPort(printer.port);
  });
}

// The exit codes of each outcome line; the gate ends the process with -2, -1 (8 bits kept) or, for a
// system it does not know, 0.
bool ExitCodeSays(int code, const std::string& outcome) {
  const int status = code & 0xFF;
  if (outcome == "installed" || outcome == "already-installed" || outcome == "port-changed") return status == 0;
  if (outcome == "not-installed") return status == 1;
  if (outcome == "failed") return status == 3;
  return outcome == "error" && (status == 0 || status == 2 || status == 254 || status == 255);
}

const json& Member(const json& object, const std::string& key) {
  static const json none;
  const auto it = object.find(key);
  return it == object.end() ? none : *it;
}

// What the earlier installation left that differs after the run: its printer, that printer's port,
// its settings key and its port's default configuration.
Strings EarlierStateChanged(const RunResult& run, const Scenario& scenario) {
  Strings changed;
  const json& keysBefore = run.before.at("registry").at("HKEY_LOCAL_MACHINE");
  const json& keysAfter = run.after.at("registry").at("HKEY_LOCAL_MACHINE");
  for (const json& printer : run.before.at("spooler").at("printers")) {
    const std::string name = printer.at("name"), port = printer.at("port");
    const json* now = enginetest::FindNamed(run.after.at("spooler").at("printers"), name);
    json expected = printer;
    if (now && scenario.movesEarlierPrinter && platform::EqualNoCase(now->value("port", ""), scenario.port))
      expected["port"] = now->at("port");
    if (!now || *now != expected) changed.push_back("printer " + name);
    if (!run.spooler.HasPort(port)) changed.push_back("port " + port);
    const std::string bare = port.ends_with(':') ? port.substr(0, port.size() - 1) : port;
    if (Member(Member(keysBefore, kSettingsKey), port) != Member(Member(keysAfter, kSettingsKey), port))
      changed.push_back("printer type of " + port);
    if (Member(keysBefore, kSettingsKey + "\\" + bare) != Member(keysAfter, kSettingsKey + "\\" + bare))
      changed.push_back("settings key of " + port);
    const std::string device = bare.substr(std::string(kMonitorPortPrefix).size());
    if (Member(Member(run.before, "serial"), device) != Member(Member(run.after, "serial"), device))
      changed.push_back("configuration of " + device);
  }
  return changed;
}

// The lines the run said it added to the error log (standard error lists them) that the log lacks.
Strings ErrorLogLinesMissing(const RunResult& run) {
  Strings missing;
  std::istringstream err(run.err);
  bool listed = false;
  for (std::string line; std::getline(err, line);) {
    if (line.starts_with("this run's lines of the error log")) {
      listed = true;
    } else if (listed && line.starts_with("  ")) {
      if (run.errorLog.find(line.substr(2)) == std::string::npos) missing.push_back(line.substr(2));
    } else {
      listed = false;
    }
  }
  return missing;
}

// Where the run left the user, the machine or the error log in a state its outcome does not say.
Strings Problems(const RunResult& run, const RunResult& clean, const Scenario& scenario) {
  Strings problems;
  const auto problem = [&](bool bad, const std::string& what) {
    if (bad) problems.push_back(what);
  };
  problem(run.virtualMs > kLongestRunMs, "ran " + std::to_string(run.virtualMs) + " ms");
  problem(!ExitCodeSays(run.exitCode, run.outcome),
          "exit code " + std::to_string(run.exitCode) + " with outcome " + run.outcome);
  if (run.outcome == "installed" || run.outcome == "port-changed") {
    problem(!UsablePrinter(run.spooler, "", scenario.port), "no usable printer on " + scenario.port);
  } else if (run.outcome == "already-installed") {
    // The printer that could not be looked at before is found by the installation, wherever it is.
    problem(!UsablePrinter(run.spooler, kModel, ""), "no usable printer " + kModel);
  } else {
    // A message the clean run does not show (it may ask questions), or for a refused option its text.
    const bool told = std::any_of(run.messages.begin(), run.messages.end(), [&](const std::string& message) {
      return std::find(clean.messages.begin(), clean.messages.end(), message) == clean.messages.end();
    });
    problem(!told && (run.outcome != "error" || run.err.empty()), "nobody was told");
    problem(run.outcome != "error" && UsablePrinter(run.spooler, "", scenario.port), "a printer on " + scenario.port);
  }
  for (const std::string& handle : run.handlesLeft) problems.push_back("left open: " + handle);
  problem(!run.reloadError.empty(), "machine.json does not load: " + run.reloadError);
  for (const std::string& what : EarlierStateChanged(run, scenario)) problems.push_back("changed: " + what);
  for (const std::string& line : ErrorLogLinesMissing(run)) problems.push_back("not in errors.log: " + line);
  return problems;
}

// Hundreds of machines come and go: in memory where the system has a memory file system, since
// taking a machine's folder off a disk costs more than the whole run on it.
class MachinesInMemory {
public:
  MachinesInMemory() {
    if (const char* old = std::getenv("TMPDIR")) old_ = old;
    if (::access(kMemory, W_OK) == 0) ::setenv("TMPDIR", kMemory, 1);
  }
  ~MachinesInMemory() { old_ ? ::setenv("TMPDIR", old_->c_str(), 1) : ::unsetenv("TMPDIR"); }
  MachinesInMemory(const MachinesInMemory&) = delete;
  MachinesInMemory& operator=(const MachinesInMemory&) = delete;

private:
  static constexpr const char* kMemory = "/dev/shm";
  std::optional<std::string> old_;
};

// The distribution folder, the current directory of every run.
class WizardFaultSweep : public testing::TestWithParam<Scenario> {
protected:
  WizardFaultSweep() {
    media_.StageMedia();
    simtest::WriteFile("driver/usb/lindor_usbser.inf", "[Version]\r\n");
    simtest::WriteFile("driver/usb/x86/usbser.sys", "shipped usbser");
  }

private:
  MachinesInMemory memory_;
  enginetest::EngineHarness media_;
};

TEST_P(WizardFaultSweep, AnyOneCallFailingStillEndsTheRunAsTheMachineSays) {
  const Scenario& scenario = GetParam();
  const StartingMachine start(scenario.earlier);
  const RunResult clean = RunScenario(scenario, start);
  ASSERT_EQ(clean.exitCode, 0) << clean.transcript << clean.err;
  ASSERT_EQ(Problems(clean, clean, scenario), Strings{}) << clean.transcript;
  ASSERT_NE(clean.outcome, "already-installed");
  const std::vector<Fault> sites = faultsweep::CallSites(clean.callLog);

  std::set<std::string> operations;
  std::map<std::string, int> outcomes;
  for (const Fault& fault : sites) {
    operations.insert(fault.op);
    SCOPED_TRACE(faultsweep::Describe(fault));
    const RunResult run = RunScenario(scenario, start, fault);
    // The run repeats the clean one up to the fault, so the fault did strike.
    ASSERT_GE(static_cast<std::size_t>(std::count(run.callLog.begin(), run.callLog.end(), fault.op)), fault.nth);
    ++outcomes[run.outcome];
    EXPECT_EQ(Problems(run, clean, scenario), Strings{}) << run.transcript << run.err;
  }
  std::cout << "fault sweep (" << scenario.name << "): " << sites.size() << " call sites, " << operations.size()
            << " operations; outcomes:";
  for (const auto& [outcome, count] : outcomes) std::cout << ' ' << outcome << ' ' << count;
  std::cout << '\n';
  RecordProperty("callSites", static_cast<int>(sites.size()));
  RecordProperty("operations", static_cast<int>(operations.size()));
}

Strings With(Strings args, const Strings& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

const Strings kEarlierOnCom10{"--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM10"};
const Strings kAgainOnCom1{"--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1", "--if-exists"};

INSTANTIATE_TEST_SUITE_P(
    Scenarios, WizardFaultSweep,
    testing::Values(
        Scenario{"SerialDetectAndTestPage",
                 {"--model", "RQ-7200 TH", "--interface", "serial", "--detect", "--test-page", "yes"}, {}, "Kvx_COM1:"},
        // The catalog's Ostrel model: the settings job follows.
        Scenario{"ParallelSettingsJob", {"--model", "RQ-7200 TH", "--interface", "parallel"}, {}, "Kvx_LPT1:"},
        Scenario{"UsbNewVirtualPort", {"--model", "RQ-7200 TH", "--interface", "usb", "--add-vcom-port", "--port", "COM5"},
                 {}, "Kvx_COM5:"},
        Scenario{"EthernetSearchAndBoardUpdate",
                 {"--model", "RQ-7200 TH", "--interface", "ethernet", "--search", "--board", "02-00-4B-56-58-30",
                  "--board-ip", "192.0.2.60", "--board-port", "9100", "--board-dhcp", "on"},
                 {}, "Kvx_IP_192.0.2.60"},
        Scenario{"ReinstallChangePort", With(kAgainOnCom1, {"change-port"}), kEarlierOnCom10, "Kvx_COM1:", true},
        Scenario{"ReinstallNewPrinter", With(kAgainOnCom1, {"new"}), kEarlierOnCom10, "Kvx_COM1:"}),
    [](const testing::TestParamInfo<Scenario>& param) { return std::string(param.param.name); });

}  // namespace

namespace {

// What a removal's outcome line says about its exit code.
bool RemovalExitCodeSays(int code, const std::string& outcome) {
  const int status = code & 0xFF;
  if (outcome == "removed") return status == 0;
  if (outcome == "not-found" || outcome == "refused") return status == 1;
  if (outcome == "failed") return status == 3;
  return outcome == "error" && (status == 0 || status == 2 || status == 254 || status == 255);
}

// A printer without its port, or a serial port of this installer without its settings key.
Strings HalfRemoved(const RunResult& run) {
  Strings half;
  for (const auto& printer : run.spooler.printers)
    if (!run.spooler.HasPort(printer.port)) half.push_back("printer " + printer.name + " without " + printer.port);
  const json& keys = run.after.at("registry").at("HKEY_LOCAL_MACHINE");
  for (const auto& monitor : run.spooler.monitors) {
    for (const std::string& port : monitor.ports) {
      const std::string bare = port.ends_with(':') ? port.substr(0, port.size() - 1) : port;
      if (bare.starts_with(std::string(kMonitorPortPrefix) + "COM") && !keys.contains(kSettingsKey + "\\" + bare))
        half.push_back("port " + port + " without its settings key");
    }
  }
  return half;
}

// A removal's outcome line names the printer after its outcome.
std::string RemovalOutcome(const RunResult& run) { return run.outcome.substr(0, run.outcome.find(' ')); }

json WithoutClock(json document) {
  document.erase("clock");
  return document;
}

class RemovalFaultSweep : public WizardFaultSweep {};

// Whatever one failing call leaves of a removal, a second removal finishes it: the machine ends as a
// removal without a fault leaves it.
TEST_F(RemovalFaultSweep, AnyOneCallFailingLeavesWhatASecondRemovalFinishes) {
  const StartingMachine start({"--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1"});
  const Strings remove{"--remove", kModel};
  const simtest::TempDir cleanFolder;
  const RunResult clean = RunOn(*start.Copy(cleanFolder), remove);
  ASSERT_EQ(clean.exitCode, 0) << clean.transcript << clean.err;
  ASSERT_EQ(RemovalOutcome(clean), "removed");
  const std::vector<Fault> sites = faultsweep::CallSites(clean.callLog);

  std::map<std::string, int> outcomes;
  for (const Fault& fault : sites) {
    SCOPED_TRACE(faultsweep::Describe(fault));
    const simtest::TempDir folder;
    const std::unique_ptr<SimMachine> machine = start.Copy(folder);
    const RunResult run = RunOn(*machine, remove, fault);
    const std::string outcome = RemovalOutcome(run);
    ++outcomes[outcome];
    Strings problems = HalfRemoved(run);
    if (!RemovalExitCodeSays(run.exitCode, outcome))
      problems.push_back("exit code " + std::to_string(run.exitCode) + " with outcome " + run.outcome);
    if (outcome == "failed" && run.errorLog.empty()) problems.push_back("failed, and errors.log says nothing");
    for (const std::string& handle : run.handlesLeft) problems.push_back("left open: " + handle);
    if (!run.reloadError.empty()) problems.push_back("machine.json does not load: " + run.reloadError);
    EXPECT_EQ(problems, Strings{}) << run.transcript << run.err;

    const RunResult again = RunOn(*machine, remove);
    EXPECT_TRUE(RemovalOutcome(again) == "removed" || RemovalOutcome(again) == "not-found") << again.transcript;
    EXPECT_EQ(WithoutClock(again.after), WithoutClock(clean.after)) << run.transcript << again.transcript;
  }
  std::cout << "fault sweep (removal): " << sites.size() << " call sites; outcomes:";
  for (const auto& [outcome, count] : outcomes) std::cout << ' ' << outcome << ' ' << count;
  std::cout << '\n';
  RecordProperty("callSites", static_cast<int>(sites.size()));
}

}  // namespace
