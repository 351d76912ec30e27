// The installation run from the wizard, end to end on the simulated machine through the
// unattended mode: its branches, the port kinds and what the saved machine shows afterwards.
#include <gtest/gtest.h>

#include <optional>

#include <nlohmann/json.hpp>

#include "app/ExitCodes.h"
#include "engine/Catalog.h"
#include "engine/InstallSequence.h"
#include "installer/InstallerTestSupport.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

using nlohmann::json;
using enginetest::FindNamed;
using installertest::PortDevice;
using Strings = std::vector<std::string>;

struct RunCase {
  const char* name;
  Strings args;
  std::string existingPort;  // a printer "RQ-7200 TH" there before the run; empty: none
  int exitCode;
  std::string outcome;
  std::string printer, port;  // the printer the run leaves; empty: none checked
  Strings lines;              // transcript lines that must appear (matched at their start)
  std::optional<bool> boardDhcp{};  // the saved board's DHCP use; unset: not checked
};

json Device(const std::string& className, const std::string& hardwareId) {
  return {{"class", className}, {"hardwareIds", {hardwareId}}, {"present", true}, {"description", "Printer"}};
}

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class InstallationRunTest : public testing::TestWithParam<RunCase>, protected installertest::ProgramRun {
protected:
  InstallationRunTest() {
    harness.StageMedia();  // the media folder, for this run's own machine
    // Printers are connected, so nobody is asked to plug one in.
    machine->document()["devices"] = {PortDevice("COM1", "ACPI\\PNP0501"), PortDevice("LPT1", "ACPI\\PNP0401"),
                                      PortDevice("COM5", "USB\\VID_5C3D&PID_0003"), Device("USB", "USB\\VID_5C3D&PID_0001"),
                                      Device("USB", "USB\\VID_5C4E&PID_8030"),
                                      Device("System", "LPTENUM\\TOLVARENRQ-7000TH6351")};
    machine->document()["boards"] = {{{"kind", "lindor"}, {"mac", "02-00-4B-56-58-30"}, {"ip", "192.0.2.50"},
                                      {"mask", "255.255.255.0"}, {"gateway", "192.0.2.1"}, {"port", 4001},
                                      {"dhcp", false}, {"adapter", "Ethernet"}}};
  }
  json Saved() {
    machine->Save();
    return json::parse(simtest::ReadFile(machine->machineFile()));
  }
  enginetest::EngineHarness harness;
};

TEST_P(InstallationRunTest, EndsAsTheBranchSays) {
  const RunCase& c = GetParam();
  if (!c.existingPort.empty()) {
    ASSERT_EQ(Execute({"--unattended", "--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1"}), kExitInstalled);
    if (c.existingPort != "Kvx_COM1:") {
      ASSERT_EQ(Execute({"--unattended", "--model", "RQ-7200 TH", "--interface", "parallel", "--if-exists", "change-port"}),
                kExitInstalled);
    }
  }
  Strings args{"--unattended"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  EXPECT_EQ(Execute(args), c.exitCode) << out.str() << err.str();
  const Strings lines = OutLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "outcome " + c.outcome);
  auto at = lines.begin();
  for (const std::string& line : c.lines) {
    at = std::find_if(at, lines.end(), [&](const std::string& l) { return l.starts_with(line); });
    EXPECT_NE(at, lines.end()) << line << "\n" << out.str();
  }
  if (c.printer.empty()) return;
  const json saved = Saved();
  const json* printer = FindNamed(saved.at("spooler").at("printers"), c.printer);
  ASSERT_NE(printer, nullptr) << saved.at("spooler").at("printers").dump();
  EXPECT_EQ(printer->at("port"), c.port);
  if (c.boardDhcp) {
    EXPECT_EQ(saved.at("boards").at(0).at("dhcp"), *c.boardDhcp);
  }
}

const Strings kSteps{"step 1", "step 2", "step 3", "step 4", "step 5", "step 6"};
Strings With(Strings lines, const Strings& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Branches, InstallationRunTest,
    testing::Values(
        RunCase{"NewPrinter", {"--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1"}, "", kExitInstalled,
                "installed", "RQ-7200 TH", "Kvx_COM1:", With({"dialog 153 \"Installation status\""}, kSteps)},
        RunCase{"SamePortAgain", {"--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1"}, "Kvx_COM1:",
                kExitInstalled, "already-installed", "RQ-7200 TH", "Kvx_COM1:",
                {"message \"Info\" \"Printer already installed!\""}},
        RunCase{"OtherPortNewPrinter", {"--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1", "--if-exists", "new"},
                "Kvx_LPT1:", kExitInstalled, "installed", "RQ-7200 TH (Copy 1)", "Kvx_COM1:", {"dialog 170"}},
        RunCase{"OtherPortChangePort",
                {"--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1", "--if-exists", "change-port"},
                "Kvx_LPT1:", kExitInstalled, "port-changed", "RQ-7200 TH", "Kvx_COM1:",
                {"message \"KvxInstaller\" \"Printer port has been updated.\\n\""}},
        RunCase{"OtherPortCancel", {"--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1", "--if-exists", "cancel"},
                "Kvx_LPT1:", kExitNotInstalled, "not-installed", "RQ-7200 TH", "Kvx_LPT1:", {}},
        RunCase{"OtherPortUnanswered", {"--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1"}, "Kvx_LPT1:",
                kExitSetupError, "error", "", "", {}},
        RunCase{"VirtualCom", {"--model", "RQ-7200 TH", "--interface", "usb", "--port", "COM5"}, "", kExitInstalled,
                "installed", "RQ-7200 TH", "Kvx_COM5:", {}},
        RunCase{"Usb", {"--model", "VT5200"}, "", kExitInstalled, "installed", "VT5200", "Kvx_USB", {}},
        RunCase{"Ethernet", {"--model", "RQ-7200 TH", "--interface", "ethernet", "--ip", "192.0.2.7"}, "", kExitInstalled,
                "installed", "RQ-7200 TH", "Kvx_IP_192.0.2.7", {}},
        RunCase{"EthernetSearch", {"--model", "RQ-7200 TH", "--interface", "ethernet", "--search"}, "", kExitInstalled,
                "installed", "RQ-7200 TH", "Kvx_IP_192.0.2.50",
                {"choice board-found \"02:00:4B:56:58:30 192.0.2.50\"", "choice board \"02:00:4B:56:58:30 192.0.2.50 4001\"",
                 "choice tcp-port \"4001\""}},
        RunCase{"EthernetSearchUpdatesTheBoard",
                {"--model", "RQ-7200 TH", "--interface", "ethernet", "--search", "--board", "02-00-4b-56-58-30",
                 "--board-ip", "192.0.2.60", "--board-port", "9100", "--board-dhcp", "on"},
                "", kExitInstalled, "installed", "RQ-7200 TH", "Kvx_IP_192.0.2.60",
                {"choice board \"02:00:4B:56:58:30 192.0.2.60 9100\""}, true},
        RunCase{"EthernetSearchWithoutTheBoard",
                {"--model", "RQ-7200 TH", "--interface", "ethernet", "--search", "--board", "02:00:00:00:00:01"}, "",
                kExitSetupError, "error", "", "", {"choice board-found"}},
        RunCase{"ParallelOstrelGetsTheSettingsJob", {"--model", "RQ-7200 TH", "--interface", "parallel"}, "",
                kExitInstalled, "installed", "RQ-7200 TH", "Kvx_LPT1:", {}}),
    [](const testing::TestParamInfo<RunCase>& param) { return std::string(param.param.name); });

// The run takes exactly what the installation on its port takes on a like machine, plus its own
// settling wait after a COM port's settings or the pause after the low-paper settings job of an
// Ostrel model on LPT: no other wait hides in the run around the worker.
struct DurationCase {
  const char* name;
  Strings args;
  std::string model, port;
  std::uint64_t ownWaitMs;
};

class InstallationRunDurationTest : public testing::TestWithParam<DurationCase>, protected installertest::ProgramRun {
protected:
  InstallationRunDurationTest() {
    harness.StageMedia();
    const json devices = {PortDevice("COM1", "ACPI\\PNP0501"), PortDevice("LPT1", "ACPI\\PNP0401"),
                          Device("USB", "USB\\VID_5C3D&PID_0001"), Device("USB", "USB\\VID_5C4E&PID_8030"),
                          Device("System", "LPTENUM\\TOLVARENRQ-7000TH6351")};
    machine->document()["devices"] = devices;
    harness.machine->document()["devices"] = devices;
  }
  enginetest::EngineHarness harness;
};

TEST_P(InstallationRunDurationTest, IsTheInstallationsPlusItsOwnWaits) {
  const DurationCase& c = GetParam();
  Win2kXPInstaller installer(harness.context);
  installer.SetPortName(c.port);
  installer.record.ostrelModel = IsOstrelModel(harness.platform.profile, c.model);
  installer.record.needsPortMonitor = true;
  installer.record.formName = "Print width 80mm 30cm";
  ASSERT_TRUE(Install(installer, c.model, 0));

  Strings args{"--unattended", "--model", c.model};
  args.insert(args.end(), c.args.begin(), c.args.end());
  ASSERT_EQ(Execute(args), kExitInstalled) << out.str();
  EXPECT_EQ(machine->clock().Elapsed(), harness.Now() + c.ownWaitMs);
}

INSTANTIATE_TEST_SUITE_P(
    Ports, InstallationRunDurationTest,
    testing::Values(DurationCase{"Serial", {"--interface", "serial", "--port", "COM1"}, "RQ-7200 TH", "COM1:", 300},
                    DurationCase{"Parallel", {"--interface", "parallel"}, "RQ-7200 TH", "LPT1:", 100},
                    DurationCase{"Usb", {}, "VT5200", "USB", 0}),
    [](const testing::TestParamInfo<DurationCase>& param) { return std::string(param.param.name); });

}  // namespace
