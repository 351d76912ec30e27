// The installation run from the wizard, end to end on the simulated machine through the
// unattended mode: its branches, the port kinds and what the saved machine shows afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

#include <nlohmann/json.hpp>

#include "app/ExitCodes.h"
#include "engine/Catalog.h"
#include "engine/InstallSequence.h"
#include "engine/PrinterInfo.h"
#include "installer/InstallerTestSupport.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

using nlohmann::json;
using installertest::PortDevice;
using Strings = std::vector<std::string>;
using Printers = std::map<std::string, std::string>;  // printer name: its port

Strings With(Strings lines, const Strings& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

// Runs that leave a printer "RQ-7200 TH" on a port before the run under test.
const Strings kOnCom1{"--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1"};
const Strings kOnLpt1{"--model", "RQ-7200 TH", "--interface", "parallel"};
const Strings kOnCom5{"--model", "RQ-7200 TH", "--interface", "usb", "--port", "COM5"};
// Typed into the virtual COM page's box, which does not list COM1: the port has no colon.
const Strings kOnCom1Typed{"--model", "RQ-7200 TH", "--interface", "usb", "--type-port", "COM1"};
const Strings kOnIp5{"--model", "RQ-7200 TH", "--interface", "ethernet", "--ip", "192.0.2.5"};

struct RunCase {
  const char* name;
  Strings args;
  Strings existing;  // the run before this one; empty: none
  int exitCode;
  std::string outcome;
  Printers printers;                // every printer the run leaves
  Strings lines;                    // transcript lines that must appear (matched at their start)
  Strings monitorPorts{};           // the ports added to the port monitors
  std::optional<bool> boardDhcp{};  // the saved board's DHCP use; unset: not checked
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class RunFixture : protected installertest::ProgramRun {
protected:
  RunFixture() {
    harness.StageMedia();  // the media folder, for this run's own machine
    installertest::ArrangeRunMachine(*machine);
  }
  json Saved() {
    machine->Save();
    return json::parse(simtest::ReadFile(machine->machineFile()));
  }
  void InstallBefore(const Strings& existing) {
    if (!existing.empty()) {
      ASSERT_EQ(Execute(With({"--unattended"}, existing)), kExitInstalled) << out.str();
    }
  }
  void ExpectLines(const Strings& expected) {
    const Strings lines = OutLines();
    auto at = lines.begin();
    for (const std::string& line : expected) {
      at = std::find_if(at, lines.end(), [&](const std::string& l) { return l.starts_with(line); });
      EXPECT_NE(at, lines.end()) << line << "\n" << out.str();
    }
  }
  enginetest::EngineHarness harness;
};

class InstallationRunTest : public RunFixture, public testing::TestWithParam<RunCase> {};

TEST_P(InstallationRunTest, EndsAsTheBranchSays) {
  const RunCase& c = GetParam();
  InstallBefore(c.existing);
  EXPECT_EQ(Execute(With({"--unattended"}, c.args)), c.exitCode) << out.str() << err.str();
  const Strings lines = OutLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "outcome " + c.outcome);
  ExpectLines(c.lines);
  const json saved = Saved();
  Printers printers;
  for (const json& printer : saved.at("spooler").at("printers")) printers[printer.at("name")] = printer.at("port");
  EXPECT_EQ(printers, c.printers);
  Strings monitorPorts;
  for (const json& monitor : saved.at("spooler").at("monitors"))
    for (const json& port : monitor.value("ports", json::array())) monitorPorts.push_back(port);
  EXPECT_EQ(monitorPorts, c.monitorPorts);
  if (c.boardDhcp) {
    EXPECT_EQ(saved.at("boards").at(0).at("dhcp"), *c.boardDhcp);
  }
}

const Strings kSteps{"step 1", "step 2", "step 3", "step 4", "step 5", "step 6"};

INSTANTIATE_TEST_SUITE_P(
    Branches, InstallationRunTest,
    testing::Values(
        RunCase{"NewPrinter", kOnCom1, {}, kExitInstalled, "installed", {{"RQ-7200 TH", "Kvx_COM1:"}},
                With({"dialog 153 \"Installation status\""}, kSteps)},
        RunCase{"SamePortAgain", kOnCom1, kOnCom1, kExitInstalled, "already-installed", {{"RQ-7200 TH", "Kvx_COM1:"}},
                {"message \"Info\" \"Printer already installed!\""}},
        // A typed name is the same port in another letter case and without the colon.
        RunCase{"SamePortTypedInOtherCaseWithoutColon",
                {"--model", "RQ-7200 TH", "--interface", "serial", "--type-port", "com5"}, kOnCom5, kExitInstalled,
                "already-installed", {{"RQ-7200 TH", "Kvx_COM5:"}}, {"message \"Info\" \"Printer already installed!\""}},
        RunCase{"OtherPortNewPrinter", With(kOnCom1, {"--if-exists", "new"}), kOnLpt1, kExitInstalled, "installed",
                {{"RQ-7200 TH", "Kvx_LPT1:"}, {"RQ-7200 TH (Copy 1)", "Kvx_COM1:"}}, {"dialog 170"}},
        RunCase{"OtherPortChangePort", With(kOnCom1, {"--if-exists", "change-port"}), kOnLpt1, kExitInstalled,
                "port-changed", {{"RQ-7200 TH", "Kvx_COM1:"}},
                {"message \"KvxInstaller\" \"Printer port has been updated.\\n\""}},
        RunCase{"OtherPortCancel", With(kOnCom1, {"--if-exists", "cancel"}), kOnLpt1, kExitNotInstalled,
                "not-installed", {{"RQ-7200 TH", "Kvx_LPT1:"}}, {}},
        RunCase{"OtherPortUnanswered", kOnCom1, kOnLpt1, kExitSetupError, "error", {{"RQ-7200 TH", "Kvx_LPT1:"}}, {}},
        // Port names that begin like the existing one are other ports.
        RunCase{"Com10IsNotCom1", {"--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM10", "--if-exists",
                "change-port"}, kOnCom1Typed, kExitInstalled, "port-changed", {{"RQ-7200 TH", "Kvx_COM10:"}}, {"dialog 170"}},
        RunCase{"LongerAddressCancel",
                {"--model", "RQ-7200 TH", "--interface", "ethernet", "--ip", "192.0.2.50", "--if-exists", "cancel"}, kOnIp5,
                kExitNotInstalled,
                "not-installed", {{"RQ-7200 TH", "Kvx_IP_192.0.2.5"}}, {"dialog 170"}, {"Kvx_IP_192.0.2.5"}},
        RunCase{"LongerAddressNewPrinter",
                {"--model", "RQ-7200 TH", "--interface", "ethernet", "--ip", "192.0.2.50", "--if-exists", "new"}, kOnIp5,
                kExitInstalled, "installed",
                {{"RQ-7200 TH", "Kvx_IP_192.0.2.5"}, {"RQ-7200 TH (Copy 1)", "Kvx_IP_192.0.2.50"}}, {"dialog 170"},
                {"Kvx_IP_192.0.2.5", "Kvx_IP_192.0.2.50"}},
        RunCase{"LongerAddressChangePort",
                {"--model", "RQ-7200 TH", "--interface", "ethernet", "--ip", "192.0.2.50", "--if-exists", "change-port"},
                kOnIp5, kExitInstalled, "port-changed", {{"RQ-7200 TH", "Kvx_IP_192.0.2.50"}}, {"dialog 170"},
                {"Kvx_IP_192.0.2.5", "Kvx_IP_192.0.2.50"}},
        RunCase{"VirtualCom", kOnCom5, {}, kExitInstalled, "installed", {{"RQ-7200 TH", "Kvx_COM5:"}}, {}},
        RunCase{"Usb", {"--model", "VT5200"}, {}, kExitInstalled, "installed", {{"VT5200", "Kvx_USB"}}, {}},
        RunCase{"Ethernet", {"--model", "RQ-7200 TH", "--interface", "ethernet", "--ip", "192.0.2.7"}, {}, kExitInstalled,
                "installed", {{"RQ-7200 TH", "Kvx_IP_192.0.2.7"}}, {}, {"Kvx_IP_192.0.2.7"}},
        RunCase{"EthernetSearch", {"--model", "RQ-7200 TH", "--interface", "ethernet", "--search"}, {}, kExitInstalled,
                "installed", {{"RQ-7200 TH", "Kvx_IP_192.0.2.50"}},
                {"choice board-found \"02:00:4B:56:58:30 192.0.2.50\"", "choice board \"02:00:4B:56:58:30 192.0.2.50 4001\"",
                 "choice tcp-port \"4001\""},
                {"Kvx_IP_192.0.2.50"}},
        RunCase{"EthernetSearchUpdatesTheBoard",
                {"--model", "RQ-7200 TH", "--interface", "ethernet", "--search", "--board", "02-00-4b-56-58-30",
                 "--board-ip", "192.0.2.60", "--board-port", "9100", "--board-dhcp", "on"},
                {}, kExitInstalled, "installed", {{"RQ-7200 TH", "Kvx_IP_192.0.2.60"}},
                {"choice board \"02:00:4B:56:58:30 192.0.2.60 9100\""}, {"Kvx_IP_192.0.2.60"}, true},
        RunCase{"EthernetSearchWithoutTheBoard",
                {"--model", "RQ-7200 TH", "--interface", "ethernet", "--search", "--board", "02:00:00:00:00:01"}, {},
                kExitSetupError, "error", {}, {"choice board-found"}},
        RunCase{"ParallelOstrelGetsTheSettingsJob", kOnLpt1, {}, kExitInstalled, "installed",
                {{"RQ-7200 TH", "Kvx_LPT1:"}}, {}}),
    [](const testing::TestParamInfo<RunCase>& param) { return std::string(param.param.name); });

// What a run leaves for a COM port: the port's default configuration and the port monitor's
// serial-settings key.
using Values = std::map<std::string, std::uint32_t>;
using Arrange = std::function<void(platform::sim::SimMachine&)>;

Values Settings(std::uint32_t baud, std::uint32_t flow) {
  return {{"baudrate", baud}, {"databits", 8}, {"parity", 0}, {"stopbits", 1}, {"flowcontrol", flow}};
}

// A port's default configuration before the run: nothing as the printer wants it.
platform::CommState Worn() {
  platform::CommState state;
  state.baudRate = 1200;
  state.byteSize = 7;
  state.parity = platform::parity::Even;
  state.stopBits = platform::stopbits::Two;
  state.binary = false;
  state.dsrSensitivity = true;
  state.outX = state.inX = true;
  state.dtrControl = platform::dtrcontrol::Disable;
  state.rtsControl = platform::rtscontrol::Disable;
  state.xonLim = 100;
  state.xoffLim = 200;
  return state;
}

// Worn() set for the printer at `baud`; what the run does not set stays as it was.
json WornConfiguredAt(std::uint32_t baud) {
  return {{"baud", baud},         {"byteSize", 8},        {"parity", 0},         {"stopBits", 0},
          {"binary", false},      {"parityCheck", true},  {"outxCtsFlow", true}, {"outxDsrFlow", true},
          {"dtrControl", 2},      {"rtsControl", 2},      {"outX", false},       {"inX", false},
          {"dsrSensitivity", true}, {"txContinueOnXoff", true}, {"xonLim", 100}, {"xoffLim", 200}};
}

void FailFirstSettingsWrite(platform::sim::SimMachine& machine) {
  machine.faults().FailOnceAfter("RegSetValueExA", "SetDefaultCommConfigA", platform::winerr::AccessDenied);
}

// "RQ-7200 TH (Copy 1)" to "(Copy 9)" beside "RQ-7200 TH": no copy name is left.
void TakeEveryCopyName(platform::sim::SimMachine& machine) {
  platform::Platform os = machine.platform();
  std::unique_ptr<platform::PrinterHandle> printer;
  ASSERT_EQ(os.spooler.OpenPrinterA("RQ-7200 TH", platform::printeraccess::Use, printer), 0u);
  platform::PrinterInfo2A info;
  ASSERT_EQ(ReadPrinterInfo(*printer, info), platform::winerr::Success);
  for (int copy = 1; copy <= 9; ++copy) {
    info.pPrinterName = "RQ-7200 TH (Copy " + std::to_string(copy) + ")";
    std::unique_ptr<platform::PrinterHandle> added;
    ASSERT_EQ(os.spooler.AddPrinterA(info, added), 0u);
  }
}

struct SettingsCase {
  const char* name;
  Strings args;
  Strings existing;  // the run before this one; empty: none
  Arrange arrange;   // before the run; null: nothing
  int exitCode;
  std::string port;
  std::optional<std::uint32_t> configuredAt;  // none: the port's configuration stays as it was
  std::optional<Values> key;                  // under KvxPortsIO\Kvx_<port>; none: no such key
  bool installsNothing;
  Strings lines;
};

void PrintTo(const SettingsCase& c, std::ostream* os) { *os << c.name; }

class InstallationRunSettingsTest : public RunFixture, public testing::TestWithParam<SettingsCase> {
protected:
  InstallationRunSettingsTest() {
    for (const char* port : {"COM1", "COM5"}) machine->config().serial[port].defaultConfig = Worn();
  }
};

TEST_P(InstallationRunSettingsTest, LeavesThePortsConfigurationAndKey) {
  const SettingsCase& c = GetParam();
  InstallBefore(c.existing);
  if (c.arrange) c.arrange(*machine);
  const json before = Saved();
  EXPECT_EQ(Execute(With({"--unattended", "--model", "RQ-7200 TH"}, c.args)), c.exitCode) << out.str() << err.str();
  ExpectLines(c.lines);
  const json saved = Saved();
  const json::json_pointer config("/serial/" + c.port + "/defaultConfig");
  EXPECT_EQ(saved.value(config, json()), c.configuredAt ? WornConfiguredAt(*c.configuredAt) : before.value(config, json()));
  const json& keys = saved.at("registry").at("HKEY_LOCAL_MACHINE");
  const auto key = keys.find("SOFTWARE\\Korvex\\KvxPortsIO\\Kvx_" + c.port);
  ASSERT_EQ(key != keys.end(), c.key.has_value()) << keys.dump(1);
  if (c.key) {
    EXPECT_EQ(*key, json(*c.key));
  }
  if (c.installsNothing) {
    EXPECT_EQ(saved.at("spooler").at("printers"), before.at("spooler").at("printers"));
  }
}

const Strings kSerialCom1{"--interface", "serial", "--port", "COM1"};

INSTANTIATE_TEST_SUITE_P(
    ComPorts, InstallationRunSettingsTest,
    testing::Values(
        SettingsCase{"RtsCts", With(kSerialCom1, {"--baud", "38400", "--flow", "rts-cts"}), {}, nullptr, kExitInstalled,
                     "COM1", 38400, Settings(38400, 1), false, {}},
        SettingsCase{"DtrDsr", With(kSerialCom1, {"--baud", "9600", "--flow", "dtr-dsr"}), {}, nullptr, kExitInstalled,
                     "COM1", 9600, Settings(9600, 2), false, {}},
        SettingsCase{"NoFlowControl", With(kSerialCom1, {"--baud", "19200", "--flow", "none"}), {}, nullptr,
                     kExitInstalled, "COM1", 19200, Settings(19200, 0), false, {}},
        // No baud text of its own.
        SettingsCase{"VirtualCom", {"--interface", "usb", "--port", "COM5"}, {}, nullptr, kExitInstalled, "COM5", 115200,
                     Settings(115200, 2), false, {}},
        // Not a serial page entry: typed as given, and only a colon would be dropped from it.
        SettingsCase{"TypedNameWithoutColon", {"--interface", "serial", "--type-port", "COM5"}, {}, nullptr, kExitInstalled,
                     "COM5", 115200, Settings(115200, 1), false, {}},
        SettingsCase{"TypedNameOfNoDevice", {"--interface", "serial", "--type-port", "COM7:"}, {}, nullptr, kExitInstalled,
                     "COM7", std::nullopt, std::nullopt, false, {}},
        SettingsCase{"FirstSettingsWriteFails", kSerialCom1, {}, FailFirstSettingsWrite, kExitInstalled, "COM1", 115200,
                     Settings(115200, 1), false, {}},
        SettingsCase{"NoFreeName", With(kSerialCom1, {"--if-exists", "new"}), kOnLpt1, TakeEveryCopyName,
                     kExitInstallFailed, "COM1", 115200, Settings(115200, 1), true,
                     {"message \"KvxInstaller\" \"Unable to automatically install your printer."}},
        SettingsCase{"Cancelled", With(kSerialCom1, {"--if-exists", "cancel"}), kOnLpt1, nullptr, kExitNotInstalled,
                     "COM1", std::nullopt, std::nullopt, true, {}}),
    [](const testing::TestParamInfo<SettingsCase>& param) { return std::string(param.param.name); });

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
    const auto devices =
        installertest::ConnectedPrinters({PortDevice("COM1", "ACPI\\PNP0501"), PortDevice("LPT1", "ACPI\\PNP0401")});
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
                    DurationCase{"Usb", {}, "VT5200", "USB", 0},
                    // A typed COM port that is no device gets no settings, so nothing to wait for.
                    DurationCase{"TypedComOfNoDevice", {"--interface", "serial", "--type-port", "COM7:"}, "RQ-7200 TH", "COM7:", 0}),
    [](const testing::TestParamInfo<DurationCase>& param) { return std::string(param.param.name); });

}  // namespace
