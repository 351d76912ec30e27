// The spooler's part of machine.json: what the system registered survives a save and reopen,
// reads as a person expects, and a bad section is refused with the member named.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/sim/MachineDocumentChecks.h"

#include "platform/cases/SpoolerCases.h"
#include "platform/sim/DevMode.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::sim::SimMachine;
using Json = nlohmann::ordered_json;

TEST(SimSpoolerFileTest, RegisteredDriverAndPrinterSurviveASave) {
  simtest::TempDir temp;
  cases::SpoolerCaseNames names;
  names.printer = "Impressora T\xE9rmica";
  platform::sim::SpoolerState before;
  {
    auto machine = SimMachine::OpenFolder(temp.path());
    platform::Platform p = machine->platform();
    machine->spooler().Edit([](platform::sim::SpoolerState& s) {
      s.monitors.push_back({"Korvex Port Monitor", "Windows x64", "KorvexMon.dll", {"Kvx_IP_192.0.2.50"}});
    });
    for (const std::string& file : cases::CaseDriverFiles()) {
      simtest::WriteFile(machine->spooler().HostDriverDirectory() / file, "MZ");
    }
    ASSERT_EQ(p.spooler.AddPrinterDriverA(cases::CaseDriverInfo(names.driver)), 0u);
    auto info = cases::CasePrinterInfo(names);
    info.pPortName = "Kvx_COM1:";
    std::unique_ptr<platform::PrinterHandle> printer;
    ASSERT_EQ(p.spooler.AddPrinterA(info, printer), 0u);
    ASSERT_EQ(printer->SetPrinterDataA("TrayFormTable", 7, {'A', 0, 'F', 0, 0}), 0u);
    ASSERT_EQ(printer->SetPrinterDataA("TrayFormMapSize", 4, {14, 0, 0, 0}), 0u);
    ASSERT_EQ(printer->SetPrinterDataA("TrayFormMap", 3, {'A', 'U', 0}), 0u);
    ASSERT_EQ(printer->SetPrinterDataA("Odd", 4, {1, 2}), 0u);
    platform::DWORD job = 0, written = 0;
    ASSERT_EQ(printer->StartDocPrinterA("Settings", std::nullopt, std::nullopt, job), 0u);
    ASSERT_EQ(printer->WritePrinter(std::vector<std::uint8_t>{0x1D, 0xF9}, written), 0u);
    ASSERT_EQ(printer->EndDocPrinter(), 0u);
    std::unique_ptr<platform::PrinterDC> dc;
    ASSERT_EQ(p.printing.CreateDCA("", names.printer, "", dc), 0u);
    int page = 0;
    platform::GdiRect rect{0, 0, 100, 24};
    ASSERT_EQ(dc->StartDocA("Page", page), 0u);
    ASSERT_EQ(dc->StartPage(), 0u);
    ASSERT_EQ(dc->DrawTextA("hi", rect, 0), 24);
    ASSERT_EQ(dc->EndPage(), 0u);
    ASSERT_EQ(dc->EndDoc(), 0u);
    printer.reset();
    machine->Save();
    before = machine->spooler().Snapshot();
  }
  const std::string text = simtest::ReadFile(temp.path() / "machine.json");
  const Json spooler = Json::parse(text)["spooler"];
  EXPECT_EQ(spooler["monitors"][0]["ports"], Json::array({"Kvx_IP_192.0.2.50"}));
  EXPECT_EQ(spooler["drivers"][0]["dependentFiles"], Json::array({"kvxcasedep1.dll", "kvxcasedep2.ini"}));
  const Json& printer = spooler["printers"][0];
  EXPECT_EQ(printer["name"], "Impressora T\u00e9rmica");
  EXPECT_EQ(printer["port"], "Kvx_COM1:");
  EXPECT_EQ(printer["attributes"], 0x2040);
  EXPECT_EQ(printer["devMode"], platform::sim::ToHex(platform::sim::DefaultDevMode(names.printer)));
  EXPECT_EQ(printer["printerData"], (Json{{"TrayFormTable", {"A", "F"}},
                                          {"TrayFormMapSize", 14},
                                          {"TrayFormMap", {{"hex", "415500"}}},
                                          {"Odd", {{"type", 4}, {"hex", "0102"}}}}));
  EXPECT_EQ(printer["printed"], Json::parse(R"([{"document": "Settings", "raw": "1df9"},
      {"document": "Page", "pages": [[{"text": "hi", "rect": [0, 0, 100, 24]}]]}])"));

  auto again = SimMachine::OpenFolder(temp.path());
  EXPECT_EQ(again->spooler().Snapshot(), before);
  again->Save();
  EXPECT_EQ(simtest::ReadFile(temp.path() / "machine.json"), text);
}

TEST(SimSpoolerFileTest, ShortPrinterEntryGetsDefaults) {
  simtest::TempDir temp;
  simtest::WriteFile(temp.path() / "machine.json", R"({"format": "kvx-machine", "version": 1,
      "spooler": {"driverDirectory": "C:\\Spool\\x64", "monitors": ["Korvex Port Monitor"],
                  "drivers": [{"name": "RQ"}],
                  "printers": [{"name": "RQ-7200", "port": "COM1:", "driver": "RQ"}]}})");
  auto machine = SimMachine::OpenFolder(temp.path());
  const auto state = machine->spooler().Snapshot();
  EXPECT_EQ(state.driverDirectory, "C:\\Spool\\x64");
  EXPECT_TRUE(std::filesystem::is_directory(temp.path() / "drive_c" / "Spool" / "x64"));
  ASSERT_EQ(state.monitors.size(), 1u);
  EXPECT_EQ(state.monitors[0].name, "Korvex Port Monitor");
  const auto& printer = state.printers.at(0);
  EXPECT_EQ(std::tie(printer.printProcessor, printer.datatype, printer.attributes),
            std::make_tuple("WinPrint", "RAW", 0u));
  EXPECT_EQ(printer.devMode, platform::sim::DefaultDevMode("RQ-7200"));
  std::string directory;
  ASSERT_EQ(machine->platform().spooler.GetPrinterDriverDirectoryA(directory), 0u);
  EXPECT_EQ(directory, "C:\\Spool\\x64");
}

struct BadSpooler {
  const char* name;
  std::string members;
  std::string problem;
};

void PrintTo(const BadSpooler& file, std::ostream* os) { *os << file.name; }

class SimSpoolerBadFileTest : public testing::TestWithParam<BadSpooler> {};

TEST_P(SimSpoolerBadFileTest, IsRefusedAndLeftUntouched) {
  simtest::ExpectDocumentRefused(GetParam().members, GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SimSpoolerBadFileTest,
    testing::Values(
        BadSpooler{"SpoolerNotObject", R"("spooler": [])", "\"spooler\" must be an object"},
        BadSpooler{"UnknownMember", R"("spooler": {"queues": []})", "\"spooler\" has an unknown field \"queues\""},
        BadSpooler{"RunningNotBool", R"("spooler": {"running": 1})", "\"spooler.running\" must be true or false"},
        BadSpooler{"PrinterWithoutPort", R"("spooler": {"printers": [{"name": "P", "driver": "D"}]})",
                   "\"spooler.printers[0]\" has no \"port\""},
        BadSpooler{"DevModeHex", R"("spooler": {"printers": [{"name": "P", "port": "COM1:", "driver": "D", "devMode": "0g"}]})",
                   "\"spooler.printers[0].devMode\" has hex text that is not pairs of hex digits"},
        BadSpooler{"DevModeSize", R"("spooler": {"printers": [{"name": "P", "port": "COM1:", "driver": "D", "devMode": "00"}]})",
                   "\"spooler.printers[0].devMode\" is not a device mode (dmSize, dmDriverExtra)"},
        BadSpooler{"PrinterData",
                   R"("spooler": {"printers": [{"name": "P", "port": "COM1:", "driver": "D", "printerData": {"v": true}}]})",
                   "printer data \"v\" of \"spooler.printers[0]\" must be a text, a number, a list of texts, or an object "
                   "with \"hex\", \"expandSz\" or \"qword\""},
        BadSpooler{"RepeatedPrinter",
                   R"("spooler": {"printers": [{"name": "P", "port": "COM1:", "driver": "D"}, {"name": "p", "port": "LPT1:", "driver": "D"}]})",
                   "\"spooler.printers[1]\" repeats the printer name \"p\""},
        BadSpooler{"PrintedItem",
                   R"("spooler": {"printers": [{"name": "P", "port": "COM1:", "driver": "D", "printed": [{"pages": [[{"rect": [0, 0, 1, 1]}]]}]}]})",
                   "\"spooler.printers[0].printed[0].pages[0][0]\" must have either \"text\" or \"picture\""},
        BadSpooler{"DriverList", R"("spooler": {"drivers": {}})", "\"spooler.drivers\" must be a list"},
        BadSpooler{"MonitorPorts", R"("spooler": {"monitors": [{"name": "M", "ports": "Kvx_IP_1"}]})",
                   "\"spooler.monitors[0].ports\" must be a list of texts"},
        BadSpooler{"ServiceState", R"("services": {"Spooler": {"state": "paused"}})",
                   "\"services.Spooler.state\" must be \"stopped\", \"startPending\", \"stopPending\" or \"running\""},
        BadSpooler{"ServiceField", R"("services": {"Spooler": {"stopSeconds": 1}})",
                   "\"services.Spooler\" has an unknown field \"stopSeconds\""},
        BadSpooler{"ServiceFlag", R"("services": {"Spooler": {"startStalls": "yes"}})",
                   "\"services.Spooler.startStalls\" must be true or false"},
        BadSpooler{"UserRight", R"("user": {"canControlServices": 0})",
                   "\"user.canControlServices\" must be true or false"},
        BadSpooler{"Administrator", R"("user": {"administrator": "no"})", "\"user.administrator\" must be true or false"},
        BadSpooler{"SerialPorts", R"("ports": {"serial": "COM1"})", "\"ports.serial\" must be a list of texts"}),
    [](const testing::TestParamInfo<BadSpooler>& param) { return std::string(param.param.name); });

}  // namespace
