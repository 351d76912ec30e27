#pragma once
// A simulated machine, a catalog in the current directory and a headless kit with a scripted user.
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "AppContext.h"
#include "app/InstallerResources.h"
#include "app/ProgramMain.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"
#include "resource.h"
#include "ui/Dialog.h"
#include "ui/headless/DialogDriver.h"
#include "ui/headless/HeadlessKit.h"
#include "ui/headless/ScriptedUser.h"

namespace installertest {

inline const std::string kExampleCatalog =
    "[Supported.Printers]\r\nRQ-7200 TH\r\nVT5000\r\nOstrel=RQ-7200 TH\r\nLindor=RQ-7200 TH,VT5200\r\n\r\n"
    "[Interface.Supported.Printers]\r\nSERIAL=RQ-7200 TH|VT5000|VT5200\r\nPARALLEL=RQ-7200 TH\r\n"
    "USB=RQ-7200 TH|VT5200\r\nETHERNET=RQ-7200 TH\r\n\r\n"
    "[KvxDrivers.2K.FILES]\r\ndriver=KorvexVT5K.dll\r\nmonitor=KorvexMon.dll\r\nmonitorUI=KorvexMonUI.dll\r\n"
    "renderUI=TolvUIRQ7K.dll\r\nVT5000=vt5000.gpd\r\n";

// The process runs in a fresh folder holding KvxIns.ini (or none) while the object lives.
class CatalogFolder {
public:
  explicit CatalogFolder(const std::optional<std::string>& catalog = kExampleCatalog) : cwd_(dir_.path()) {
    if (catalog) Write(*catalog);
  }
  void Write(const std::string& bytes) { simtest::WriteFile(dir_.path() / "KvxIns.ini", bytes); }

private:
  simtest::TempDir dir_;
  simtest::ScopedCurrentDir cwd_;
};

// A device of the simulated device tree, as machine.json writes it: one hardware id or a list;
// an empty description or port name is left out.
inline nlohmann::ordered_json Device(const std::string& className, nlohmann::ordered_json hardwareIds,
                                     const std::string& description = "Printer", const std::string& portName = "",
                                     bool present = true) {
  if (hardwareIds.is_string()) hardwareIds = nlohmann::ordered_json::array({std::move(hardwareIds)});
  nlohmann::ordered_json device{{"class", className}, {"hardwareIds", std::move(hardwareIds)}, {"present", present}};
  if (!description.empty()) device["description"] = description;
  if (!portName.empty()) device["portName"] = portName;
  return device;
}

// A port device: "Ports" class, no description.
inline nlohmann::ordered_json PortDevice(const std::string& name, const std::string& hardwareId, bool present = true) {
  return Device("Ports", hardwareId, "", name, present);
}

// The printer plugged in by USB: itself and the device its USB driver installs for.
inline nlohmann::ordered_json UsbPrinterDevices() {
  return nlohmann::ordered_json::array({Device("USB", "USB\\VID_5C3D&PID_0001"), Device("USB", "USB\\VID_5C4E&PID_8030")});
}

// The printer connected every way the installation looks for it (USB and parallel), so nobody is
// asked to plug it in; after `others`.
inline nlohmann::ordered_json ConnectedPrinters(std::vector<nlohmann::ordered_json> others = {}) {
  nlohmann::ordered_json devices = nlohmann::ordered_json::array();
  for (auto& device : others) devices.push_back(std::move(device));
  for (auto& device : UsbPrinterDevices()) devices.push_back(std::move(device));
  devices.push_back(Device("System", "LPTENUM\\TOLVARENRQ-7000TH6351"));
  return devices;
}

// The machine of the installation runs: built-in COM1 and COM10, LPT1 and the RQ-7200 TH's virtual
// COM5, the printer connected by USB and parallel, and a Lindor board at 192.0.2.50 (TCP port 4001).
inline void ArrangeRunMachine(platform::sim::SimMachine& machine) {
  machine.document()["devices"] =
      ConnectedPrinters({PortDevice("COM1", "ACPI\\PNP0501"), PortDevice("COM10", "ACPI\\PNP0501"),
                         PortDevice("LPT1", "ACPI\\PNP0401"), PortDevice("COM5", "USB\\VID_5C3D&PID_0003")});
  machine.document()["boards"] = {{{"kind", "lindor"}, {"mac", "02-00-4B-56-58-30"}, {"ip", "192.0.2.50"},
                                   {"mask", "255.255.255.0"}, {"gateway", "192.0.2.1"}, {"port", 4001},
                                   {"dhcp", false}, {"adapter", "Ethernet"}}};
}

// A default machine in memory that runs the installer: its bitmaps are the installer's.
inline std::unique_ptr<platform::sim::SimMachine> InstallerMachine() {
  auto machine = platform::sim::SimMachine::InMemory();
  machine->printing().SetProgramBitmaps(InstallerBitmapFile);
  return machine;
}

struct AppHarness {
  explicit AppHarness(platform::LANGID language = platform::lang::EnglishUs)
      : kit(InstallerResources(), language, user) {
    kit.SetTranscript(transcript);
    kit.SetAppName("KvxInstaller");
  }

  std::unique_ptr<platform::sim::SimMachine> machine = InstallerMachine();
  platform::Platform platform = machine->platform();
  ui::headless::ScriptedUser user;
  ui::headless::HeadlessKit kit;
  ui::RecordingTranscript transcript;
  AppContext context{platform, kit};

  bool Saw(const std::string& line) const {
    for (const auto& l : transcript.lines)
      if (l == line) return true;
    return false;
  }
};

// The interface dialog's stand-in: shows one page.
class PageHost : public ui::Dialog {
public:
  PageHost(AppContext& context, ui::Dialog& page) : ui::Dialog(context.kit, IDD_INTERFACE_CONFIG), page_(page) {}
  bool OnInitDialog() override {
    page_.CreateChild(*this);
    page_.ShowWindow(true);
    return true;
  }

private:
  ui::Dialog& page_;
};

// The program from its command line to its exit code on a simulated machine, as a script runs it.
struct ProgramRun {
  int Execute(const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    ProgramEnvironment environment{platform, nullptr, out, err, {}};
    return RunProgram(ParseProgramOptions(args), environment);
  }
  std::vector<std::string> OutLines() const {
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::unique_ptr<platform::sim::SimMachine> machine = InstallerMachine();
  platform::Platform platform = machine->platform();
  std::ostringstream out, err;
};

}  // namespace installertest
