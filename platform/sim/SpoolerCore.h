#pragma once
// What the simulated spooler and its printer handles share.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/PrintSpooler.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/MachineConfig.h"
#include "platform/sim/MachineLock.h"
#include "platform/sim/RegistryTree.h"
#include "platform/sim/SimPrintSpooler.h"
#include "platform/sim/SpoolerState.h"

namespace platform::sim {

struct SimPrintSpooler::Core {
  Core(MachineLock l, SpoolerState s, std::filesystem::path c, const MachineConfig& m, SimServiceControl& sv,
       std::shared_ptr<RegistryTree> t, std::shared_ptr<FaultInjector> f, std::shared_ptr<HandleTable> h)
      : lock(std::move(l)), state(std::move(s)), driveC(std::move(c)), config(m), services(sv), tree(std::move(t)),
        faults(std::move(f)), handles(std::move(h)) {}

  MachineLock lock;  // guards all below; every call of the spooler, its handles and device contexts holds it
  SpoolerState state;
  DWORD lastJobId = 0;  // print jobs are numbered from 1 on, for as long as the machine runs
  // What a raw handle value stands for while its PrinterHandle lives: another component may call
  // with the value alone.
  struct OpenPrinter {
    std::string name;
    std::uint64_t instance = 0;
    DWORD access = 0;  // granted
  };
  std::map<RawPrinterHandle, OpenPrinter> open;
  const std::filesystem::path driveC;
  const MachineConfig& config;
  SimServiceControl& services;
  const std::shared_ptr<RegistryTree> tree;  // the printers' keys (PrinterKeys.h)
  const std::shared_ptr<FaultInjector> faults;
  const std::shared_ptr<HandleTable> handles;
  std::optional<std::uint64_t> loadedRun;  // the run of the service whose start read the printers' keys

  // The current run of the Spooler service, or nullopt while it does not run. The first look at a
  // new run reads the printers back from their keys, as the spooler does when it starts.
  std::optional<std::uint64_t> Instance();
  // Writes a printer's key after a change; `oldName` is the key of its name before a rename.
  void Project(const SpoolerPrinter& printer, std::string_view oldName = {});
  // Writes every printer's key and removes those of `before` that no longer name a printer.
  void ProjectAll(const std::vector<std::string>& before);
  bool HasPort(const std::string& port) const { return state.HasPort(port); }
  // What a user without administrative rights is refused: changing drivers, monitors, ports and printers.
  DWORD CheckAdministrator() const { return config.user.administrator ? winerr::Success : winerr::AccessDenied; }
};

// The printer's level-2 record as GetPrinterA and EnumPrintersA give it.
PrinterInfo2A PrinterRecord(const SpoolerPrinter& printer);

using SpoolerCorePtr = std::shared_ptr<SimPrintSpooler::Core>;

std::unique_ptr<PrinterHandle> MakePrinterHandle(SpoolerCorePtr core, std::string printerName, DWORD access,
                                                 std::uint64_t instance);

}  // namespace platform::sim
