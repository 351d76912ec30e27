#pragma once
// An engine on a simulated machine, run from a folder holding the catalog (and the error log).
#include <functional>
#include <memory>
#include <stdexcept>

#include <nlohmann/json.hpp>
#include <string>

#include "app/InstallerResources.h"
#include "engine/EngineContext.h"
#include "engine/InstallWorker.h"
#include "engine/Win2kXPInstaller.h"
#include "installer/InstallerTestSupport.h"

namespace enginetest {

struct EngineHarness {
  explicit EngineHarness(const std::optional<std::string>& catalog = installertest::kExampleCatalog)
      : folder(catalog) {}

  installertest::CatalogFolder folder;
  std::unique_ptr<platform::sim::SimMachine> machine = platform::sim::SimMachine::InMemory();
  platform::Platform platform = machine->platform();
  platform::LANGID language = platform::lang::EnglishUs;
  OsKind osKind = kOsVistaOrLater;
  // Virtual times at which the engine let window messages through.
  std::vector<std::uint64_t> pumpTimes;
  // Message boxes shown (text, caption) and the virtual time each was closed at; onMessage runs
  // while one is open, as the user would act before pressing OK.
  struct ShownMessage {
    std::string text, caption;
    std::uint64_t closedAt = 0;
  };
  std::vector<ShownMessage> messages;
  std::function<void(const std::string& caption)> onMessage;
  EngineContext context{platform,
                        [this](int id) { return InstallerResources().FindString(id, language).value_or(""); },
                        [this] { return osKind; }, [this] { pumpTimes.push_back(Now()); },
                        [this](const std::string& text, const std::string& caption) {
                          if (onMessage) onMessage(caption);
                          messages.push_back({text, caption, Now()});
                        }};

  std::uint64_t Now() const { return machine->clock().Elapsed(); }

  // Puts the list's files where the copy step would have put them.
  void StageDriverFiles(const std::vector<std::string>& names) {
    for (const std::string& name : names)
      simtest::WriteFile(machine->spooler().HostDriverDirectory() / name, "file " + name);
  }
  // The distribution folder as shipped: the driver files, the monitor's modules, the USB access
  // library, the parallel-port kernel driver and the two interface driver packages.
  void StageMedia(const std::string& model = "RQ-7200 TH") {
    Win2kXPInstaller probe(context);
    probe.BuildFileList(model);
    std::vector<std::string> names = probe.record.fileList;
    for (const char* extra : {"KorvexMon.dll", "KorvexMonUI.dll", "SiUSBXp.dll", "tolvpar.sys"}) names.push_back(extra);
    for (const std::string& name : names) simtest::WriteFile("WIN2KXP/" + name, "shipped " + name);
    simtest::WriteFile("driver/usb/SiUSBXp.dll", "shipped SiUSBXp.dll");
    simtest::WriteFile("driver/usb/KvxVT5USB.inf", "[Version]\r\n");
    simtest::WriteFile("driver/parallel/Tolv.inf", "[Version]\r\n");
  }
  // The port monitor, registered as its own installation step would have done it.
  void RegisterPortMonitor() {
    machine->spooler().Edit([](platform::sim::SpoolerState& state) {
      state.monitors.push_back({"Korvex Port Monitor", "Windows x64", "KorvexMon.dll", {}});
    });
  }
  // The printer type value of a port: its type and bytes, or none.
  std::optional<std::pair<platform::DWORD, std::string>> TypeValue(const std::string& portName) {
    std::unique_ptr<platform::RegistryKey> key;
    if (platform.registry.OpenKey(platform::RootKey::LocalMachine, "SOFTWARE\\Korvex\\KvxPortsIO",
                                  platform::regaccess::Read, key) != 0)
      return std::nullopt;
    platform::DWORD type = 0;
    std::vector<std::uint8_t> data;
    if (key->QueryValue(portName, type, data) != 0) return std::nullopt;
    return std::make_pair(type, std::string(data.begin(), data.end()));
  }
  // errors.log of the current directory; empty when there is none.
  static std::string ErrorLog() { return simtest::ReadFile("errors.log"); }
};

// The installation's worker thread; one that cannot be started fails the test.
inline std::unique_ptr<InstallWorker> StartWorker(CommonInstaller& installer, const std::string& printer,
                                                  std::int32_t printerType) {
  std::unique_ptr<InstallWorker> worker;
  if (const platform::DWORD error = InstallWorker::Start(installer, printer, printerType, worker))
    throw std::runtime_error("no worker thread: error " + std::to_string(error));
  return worker;
}

// A driver and a printer of that name on the port, as an earlier installation left them.
inline platform::sim::SpoolerPrinter& AddInstalledPrinter(platform::sim::SpoolerState& state, const std::string& name,
                                                          const std::string& port) {
  platform::sim::SpoolerDriver driver;
  driver.name = name;
  state.drivers.push_back(driver);
  platform::sim::SpoolerPrinter printer;
  printer.name = name;
  printer.port = port;
  printer.driver = name;
  state.printers.push_back(printer);
  return state.printers.back();
}

// The member of a machine.json list whose "name" is `name`.
inline const nlohmann::json* FindNamed(const nlohmann::json& list, const std::string& name) {
  for (const nlohmann::json& item : list)
    if (item.value("name", "") == name) return &item;
  return nullptr;
}

}  // namespace enginetest
