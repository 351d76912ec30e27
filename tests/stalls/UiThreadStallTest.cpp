// The user-interface thread's longest stretch without letting window messages through, per long
// operation, on the simulated machine's virtual clock, printed as a table. What may exceed 100 ms
// is one call that blocks by its nature (a serial read's time-out); the system's own waits let
// messages through, but for the port monitor's installation during a change of port.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <iomanip>
#include <iostream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "app/CTolvInstallerApp.h"
#include "app/InstallerResources.h"
#include "app/UnattendedScript.h"
#include "installer/engine/EngineTestSupport.h"
#include "platform/sim/SerialAttachments.h"
#include "support/StallRecorder.h"
#include "ui/headless/PluginResources.h"
#include "uiplugin/PropertiesTransferPage.h"

namespace {

using Json = nlohmann::ordered_json;
using Strings = std::vector<std::string>;
using platform::sim::SimMachine;
using ui::headless::DialogDriver;

// The plug-in page's buttons; its resource header's string ids clash with the installer's.
constexpr int kImportProperties = 1007, kExportProperties = 1008;

// A machine run from the distribution folder, its clock, threads and serial ports watched.
struct Rig {
  explicit Rig(const ui::headless::ResourceSet& resources) : kit(resources, platform::lang::EnglishUs, user) {
    media.StageMedia();
    kit.SetAppName("KvxInstaller");
    kit.SetDispatchObserver(&recorder);
  }
  enginetest::EngineHarness media;
  std::unique_ptr<SimMachine> machine = installertest::InstallerMachine();
  stalls::StallRecorder recorder{machine->clock()};
  platform::Platform platform = recorder.Watch(machine->platform());
  ui::headless::ScriptedUser user;
  ui::headless::HeadlessKit kit;
  AppContext context{platform, kit};
};

using Arrange = std::function<void(SimMachine&)>;

// The wizard answered from the command line's options, as the unattended mode runs it.
std::function<void(Rig&)> Wizard(Strings args, Arrange arrange, RunOutcome expected) {
  return [=](Rig& rig) {
    rig.machine->document()["devices"] =
        installertest::ConnectedPrinters({installertest::PortDevice("COM1", "ACPI\\PNP0501")});
    arrange(*rig.machine);
    Strings line{"--unattended", "--model", "RQ-7200 TH"};
    line.insert(line.end(), args.begin(), args.end());
    const ProgramOptions options = ParseProgramOptions(line);
    UnattendedScript script(options);
    script.Apply(rig.user);
    CTolvInstallerApp app(rig.context, options.flags);
    app.InitInstance();
    EXPECT_EQ(app.runOutcome, expected) << script.Problem() << script.Notice();
  };
}

const Arrange kAsIs = [](SimMachine&) {};

// Three networks whose addresses begin alike, so the dialog keeps a board's own address; a
// Lindor board on each when `boards`.
Arrange ThreeNetworks(bool boards) {
  return [boards](SimMachine& machine) {
    Json adapters = Json::array(), list = Json::array();
    for (int n = 1; n <= 3; ++n) {
      const std::string net = "192.168." + std::to_string(n) + ".", name = "Ethernet " + std::to_string(n);
      adapters.push_back({{"name", name}, {"mac", "02-00-00-00-00-0" + std::to_string(n)}, {"ip", net + "10"},
                          {"mask", "255.255.255.0"}, {"gateway", net + "1"}});
      list.push_back({{"kind", "lindor"}, {"mac", "02-00-4B-56-58-3" + std::to_string(n)}, {"ip", net + "50"},
                      {"mask", "255.255.255.0"}, {"gateway", net + "1"}, {"port", 9100}, {"dhcp", false},
                      {"adapter", name}});
    }
    machine.document()["networkAdapters"] = adapters;
    machine.document()["boards"] = boards ? list : Json::array();
  };
}

// The printer exists on LPT1: on the port monitor's port, or on the plain port with no monitor.
Arrange OnLpt1(bool monitor) {
  return [monitor](SimMachine& machine) {
    machine.spooler().Edit([monitor](platform::sim::SpoolerState& state) {
      enginetest::AddInstalledPrinter(state, "RQ-7200 TH", monitor ? "Kvx_LPT1:" : "LPT1:");
      if (monitor) state.monitors.push_back({"Korvex Port Monitor", "Windows x64", "KorvexMon.dll", {}});
    });
  };
}

// "Import Properties..." or "Export Properties..." of the plug-in's page, on a printer that has a
// backup to import.
std::function<void(Rig&)> Transfer(int button) {
  return [button](Rig& rig) {
    const std::u16string printer = u"RQ-7200 TH", file = u"C:\\kvxproperties.reg";
    rig.machine->spooler().Edit([](platform::sim::SpoolerState& state) {
      enginetest::AddInstalledPrinter(state, "RQ-7200 TH", "COM1:");
    });
    uiplugin::PropertiesTransfer backup(rig.platform, printer);
    ASSERT_TRUE(backup.EnableBackupRestorePrivileges() && backup.ExportPrinterProperties(file));
    rig.user.OnFileDialog([&](const ui::FileDialogRequest&) { return file; });
    uiplugin::PropertiesTransferPage page(rig.kit, rig.platform, printer);
    rig.kit.BindPage(page, &page);
    DialogDriver(rig.kit, *rig.kit.FindBoundPage(page)).Click(button);
    ASSERT_EQ(rig.kit.MessageBoxes().size(), 1u);
    EXPECT_THAT(rig.kit.MessageBoxes()[0].caption, testing::StartsWith("Tolvaren"));
    rig.kit.UnbindPage(page);
  };
}

struct StallCase {
  const char* operation;
  bool plugin;
  std::function<void(Rig&)> drive;
  std::uint64_t boundMs;
  std::string where;  // what the longest stretch goes on
};

TEST(UiThreadStall, NoLongerThanMeasured) {
  const Strings changePort{"--interface", "serial", "--port", "COM1", "--if-exists", "change-port"};
  const Strings detect{"--interface", "serial", "--detect"};
  const Strings search{"--interface", "ethernet", "--search"};
  const Strings update{"--interface", "ethernet", "--search", "--board-ip", "192.168.1.77"};
  const auto printer9600 = [](SimMachine& m) { m.config().serial["COM1"] = simtest::Printer(9600); };
  const std::vector<StallCase> cases = {
      {"installation run (serial, test page)", false,
       Wizard({"--interface", "serial", "--port", "COM1", "--test-page", "yes"}, kAsIs, RunOutcome::Installed), 100,
       "Sleep 100 ms"},
      {"installation run, change of port", false, Wizard(changePort, OnLpt1(true), RunOutcome::PortChanged), 100,
       "Sleep 100 ms"},
      // Left as it is: the port monitor installed on the user-interface thread waits out the spooler.
      {"change of port from a port of no monitor", false, Wizard(changePort, OnLpt1(false), RunOutcome::PortChanged),
       3810, "Sleep 3810 ms"},
      {"Detect, no printer", false, Wizard(detect, kAsIs, RunOutcome::NotRun), 135, "ReadFile 125 ms"},
      {"Detect, printer at 9600", false, Wizard(detect, printer9600, RunOutcome::Installed), 135, "ReadFile 125 ms"},
      {"search, three silent networks", false, Wizard(search, ThreeNetworks(false), RunOutcome::NotRun), 100,
       "Sleep 100 ms"},
      {"search, three networks with boards", false, Wizard(search, ThreeNetworks(true), RunOutcome::Installed), 100,
       "Sleep 100 ms"},
      {"board update", false, Wizard(update, ThreeNetworks(true), RunOutcome::Installed), 100, "Sleep 100 ms"},
      {"export (plug-in)", true, Transfer(kExportProperties), 0, ""},
      {"import (plug-in)", true, Transfer(kImportProperties), 100, "Sleep 100 ms"},
  };

  std::ostringstream table;
  table << std::left << std::setw(44) << "operation" << std::setw(10) << "longest" << "where\n";
  for (const StallCase& c : cases) {
    SCOPED_TRACE(c.operation);
    Rig rig(c.plugin ? ui::headless::testing::PluginResources() : InstallerResources());
    c.drive(rig);
    const stalls::Stretch& longest = rig.recorder.Longest();
    table << std::setw(44) << c.operation << std::setw(10) << std::to_string(longest.ms) + " ms" << longest.Where()
          << " (" << longest.from << " .. " << longest.to << ")\n";
    EXPECT_LE(longest.ms, c.boundMs);
    EXPECT_THAT(longest.Where(), testing::HasSubstr(c.where));
  }
  std::cout << table.str();
}

}  // namespace
