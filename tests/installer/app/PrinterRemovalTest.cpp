// --remove and --list-printers on the simulated machine: an installation taken back leaves the
// machine as it was, and each step that Windows refuses ends the removal where a second one finishes it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include <nlohmann/json.hpp>

#include "app/ExitCodes.h"
#include "installer/InstallerTestSupport.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

using nlohmann::json;
using installertest::PortDevice;
using Strings = std::vector<std::string>;

// What an installation then a removal may leave changed: the virtual clock, the interface drivers
// (packages installed, no longer better than the installed ones, and files, which other devices may use), the profile's "monitor installed" flag, and the
// COM port's default configuration (the port's own setting, which the installer does not own), and
// the keys of the devices looked at, which Windows has from the start and the machine writes when asked.
struct MachineState {
  json document;
  std::map<std::string, std::string> files;  // drive_c, by path
  bool operator==(const MachineState&) const = default;
};

void PrintTo(const MachineState& state, std::ostream* os) {
  *os << state.document.dump(1);
  for (const auto& [path, content] : state.files) *os << "\n" << path << ": " << content;
}

class RemovalFixture : protected installertest::ProgramRun {
protected:
  RemovalFixture() {
    harness.StageMedia();
    harness.StageMedia("RQ-7200 TH (Scaled)");
    machine->document()["devices"] =
        installertest::ConnectedPrinters({PortDevice("COM1", "ACPI\\PNP0501"), PortDevice("LPT1", "ACPI\\PNP0401"),
                                          PortDevice("COM5", "USB\\VID_5C3D&PID_0003")});
  }
  MachineState State() {
    machine->Save();
    json document = json::parse(simtest::ReadFile(machine->machineFile()));
    document.erase("clock");
    document.erase("installedDrivers");
    document.erase("driverPackages");
    document.erase("serial");
    document["registry"]["HKEY_CURRENT_USER"].erase("Software\\Korvex\\KvxInstaller\\NEW_PORT_MONITOR_INSTALLED");
    // An empty key shows only where a path below it ends; the keys below are compared.
    for (auto& [root, keys] : document["registry"].items()) {
      for (auto key = keys.begin(); key != keys.end();) {
        const bool device = key.key().starts_with("SYSTEM\\CurrentControlSet\\Enum\\");
        key = device || key.value().empty() ? keys.erase(key) : std::next(key);
      }
    }
    MachineState state{document, {}};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(machine->driveC())) {
      const std::string path = std::filesystem::relative(entry.path(), machine->driveC()).string();
      if (entry.is_regular_file() && !path.ends_with("USBSER.sys")) state.files[path] = simtest::ReadFile(entry.path());
    }
    return state;
  }
  void Install(const Strings& args) {
    Strings line{"--unattended"};
    line.insert(line.end(), args.begin(), args.end());
    ASSERT_EQ(Execute(line), kExitInstalled) << out.str() << err.str();
  }
  int Remove(const Strings& names) {
    Strings line;
    for (const std::string& name : names) line.insert(line.end(), {"--remove", name});
    return Execute(line);
  }
  enginetest::EngineHarness harness;
};

class RemovalTest : public RemovalFixture, public testing::Test {};

// A printer of another maker's, on a local port.
void AddAnotherMakersPrinter(platform::sim::SpoolerState& state) {
  platform::sim::SpoolerDriver driver;
  driver.name = "Other Maker";
  driver.driverPath = "othermk.dll";
  state.drivers.push_back(driver);
  platform::sim::SpoolerPrinter printer;
  printer.name = "Other";
  printer.port = "LPT1:";
  printer.driver = driver.name;
  state.printers.push_back(printer);
}

struct RoundTrip {
  const char* name;
  Strings install;
  std::string printer;
};
void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.name; }

class RemovalRoundTripTest : public RemovalFixture, public testing::TestWithParam<RoundTrip> {};

TEST_P(RemovalRoundTripTest, PutsTheMachineBackAsItWas) {
  const MachineState before = State();
  Install(GetParam().install);
  ASSERT_EQ(Remove({GetParam().printer}), kExitInstalled) << out.str() << err.str();
  EXPECT_EQ(OutLines().back(), "outcome removed \"" + GetParam().printer + "\"");
  EXPECT_EQ(State(), before) << out.str();
}

const Strings kSerial{"--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1", "--baud", "38400"};

INSTANTIATE_TEST_SUITE_P(
    EveryInterface, RemovalRoundTripTest,
    testing::Values(RoundTrip{"Serial", kSerial, "RQ-7200 TH"},
                    RoundTrip{"SerialReduced", {"--model", "RQ-7200 TH", "--driver", "reduced", "--interface", "serial"},
                              "RQ-7200 TH (Scaled)"},
                    RoundTrip{"Parallel", {"--model", "RQ-7200 TH", "--interface", "parallel"}, "RQ-7200 TH"},
                    RoundTrip{"ParallelReduced", {"--model", "RQ-7200 TH", "--driver", "reduced", "--interface", "parallel"},
                              "RQ-7200 TH (Scaled)"},
                    RoundTrip{"UsbNewVirtualCom",
                              {"--model", "RQ-7200 TH", "--interface", "usb", "--add-vcom-port", "--port", "COM5"},
                              "RQ-7200 TH"},
                    RoundTrip{"UsbReduced", {"--model", "RQ-7200 TH", "--driver", "reduced", "--interface", "usb", "--port", "COM5"},
                              "RQ-7200 TH (Scaled)"},
                    RoundTrip{"Ethernet", {"--model", "RQ-7200 TH", "--interface", "ethernet", "--ip", "192.0.2.7"}, "RQ-7200 TH"},
                    RoundTrip{"EthernetReduced",
                              {"--model", "RQ-7200 TH", "--driver", "reduced", "--interface", "ethernet", "--ip", "192.0.2.7"},
                              "RQ-7200 TH (Scaled)"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(RemovalTest, KeepsWhatAnotherPrinterUsesUntilTheLastGoes) {
  const MachineState before = State();
  Install(kSerial);
  machine->spooler().Edit([](platform::sim::SpoolerState& state) {
    platform::sim::SpoolerPrinter other = state.printers.front();
    other.name = "Back office";
    state.printers.push_back(other);
  });

  ASSERT_EQ(Remove({"RQ-7200 TH"}), kExitInstalled) << out.str();
  const Strings kept{"note \"port Kvx_COM1: stays: another printer uses it\"",
                     "note \"driver RQ-7200 TH stays: another printer uses it\"", "outcome removed \"RQ-7200 TH\""};
  EXPECT_EQ(OutLines(), kept);
  EXPECT_EQ(Remove({"Back office"}), kExitInstalled) << out.str();
  EXPECT_EQ(State(), before) << out.str();
}

TEST_F(RemovalTest, ListsTheCatalogsPrintersWithTheirPortSettings) {
  Install(kSerial);
  Install({"--model", "RQ-7200 TH", "--interface", "ethernet", "--ip", "192.0.2.7", "--tcp-port", "4001", "--if-exists", "new"});
  machine->spooler().Edit(AddAnotherMakersPrinter);
  ASSERT_EQ(Execute({"--list-printers"}), kExitInstalled) << err.str();
  EXPECT_EQ(OutLines(), (Strings{"printer \"RQ-7200 TH\" port \"Kvx_COM1:\" driver \"RQ-7200 TH\" baud 38400 flow rts-cts",
                                 "printer \"RQ-7200 TH (Copy 1)\" port \"Kvx_IP_192.0.2.7\" driver \"RQ-7200 TH (Copy 1)\" "
                                 "ip 192.0.2.7 tcp-port 4001"}));
}

struct Refusal {
  const char* name;
  const char* call;     // the simulated machine's name of the call that fails once; empty: none
  platform::DWORD error;
  std::string printer;  // removed
  int exitCode;
  std::string outcome;
  std::string logLine;  // the error log's line; empty: none
};
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class RemovalRefusalTest : public RemovalFixture, public testing::TestWithParam<Refusal> {};

TEST_P(RemovalRefusalTest, SaysSoAndASecondRemovalFinishes) {
  const Refusal& c = GetParam();
  machine->spooler().Edit(AddAnotherMakersPrinter);
  const MachineState before = State();
  Install({"--model", "RQ-7200 TH", "--interface", "ethernet", "--ip", "192.0.2.7"});
  if (*c.call) machine->faults().FailOnce(c.call, c.error);

  EXPECT_EQ(Remove({c.printer}), c.exitCode) << out.str();
  EXPECT_EQ(OutLines().back(), "outcome " + c.outcome + " \"" + c.printer + "\"");
  if (!c.logLine.empty()) {
    EXPECT_NE(err.str().find("  " + c.logLine + "\n"), std::string::npos) << err.str();
  }
  if (c.outcome != "failed") return;
  ASSERT_EQ(Remove({c.printer}), kExitInstalled) << out.str() << err.str();
  EXPECT_EQ(State(), before) << out.str();
}

using platform::winerr::AccessDenied;
INSTANTIATE_TEST_SUITE_P(
    EachStep, RemovalRefusalTest,
    testing::Values(
        Refusal{"NotFound", "", 0, "RQ-7200", kExitNotInstalled, "not-found", ""},
        Refusal{"AnotherMakers", "", 0, "Other", kExitNotInstalled, "refused", ""},
        Refusal{"Listing", "EnumPrintersA", platform::winerr::RpcServerUnavailable, "RQ-7200 TH", kExitInstallFailed,
                "failed", "Remove(RQ-7200 TH): EnumPrinters FAILED with code: 1722"},
        Refusal{"Open", "OpenPrinterA", AccessDenied, "RQ-7200 TH", kExitInstallFailed, "failed",
                "Remove: OpenPrinter(RQ-7200 TH) FAILED with code: 5"},
        Refusal{"Purge", "SetPrinterA", AccessDenied, "RQ-7200 TH", kExitInstallFailed, "failed",
                "Remove: purging the jobs of RQ-7200 TH FAILED with code: 5"},
        Refusal{"Form", "DeleteFormA", AccessDenied, "RQ-7200 TH", kExitInstallFailed, "failed",
                "Remove: DeleteForm(Print width 80mm 30cm) FAILED with code: 5"},
        Refusal{"Note", "RegSetValueExA", AccessDenied, "RQ-7200 TH", kExitInstallFailed, "failed",
                "Remove(RQ-7200 TH): the removal could not be noted, code: 5"},
        Refusal{"Printer", "DeletePrinter", AccessDenied, "RQ-7200 TH", kExitInstallFailed, "failed",
                "Remove: DeletePrinter(RQ-7200 TH) FAILED with code: 5"},
        Refusal{"Port", "DeletePortA", platform::winerr::Busy, "RQ-7200 TH", kExitInstallFailed, "failed",
                "Remove: DeletePort(Kvx_IP_192.0.2.7) FAILED with code: 170"},
        Refusal{"PortValues", "RegDeleteKeyA", AccessDenied, "RQ-7200 TH", kExitInstallFailed, "failed",
                "Remove: the monitor's values of port Kvx_IP_192.0.2.7 could not be deleted, code: 5"},
        Refusal{"Driver", "DeletePrinterDriverExA", platform::winerr::PrinterDriverInUse, "RQ-7200 TH",
                kExitInstallFailed, "failed", "Remove: DeletePrinterDriverEx(RQ-7200 TH) FAILED with code: 3001"},
        Refusal{"Monitor", "DeleteMonitorA", AccessDenied, "RQ-7200 TH", kExitInstallFailed, "failed",
                "Remove: DeleteMonitor(Korvex Port Monitor) FAILED with code: 5"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(RemovalTest, AStandardUserIsRefusedTheQueue) {
  Install(kSerial);
  machine->config().user.administrator = false;
  EXPECT_EQ(Remove({"RQ-7200 TH"}), kExitInstallFailed);
  EXPECT_NE(err.str().find("Remove: OpenPrinter(RQ-7200 TH) FAILED with code: 5"), std::string::npos) << err.str();
}

}  // namespace
