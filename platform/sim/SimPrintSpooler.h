#pragma once
// platform::PrintSpooler on SpoolerState, with Windows' answers. Every call fails with 1722
// while the Spooler service is not running; a printer handle belongs to the run of the service
// it was opened in and fails with 6 after a restart. Printer handles are accounted in the handle
// table ("printer"); one outliving the machine can only be closed.
// Each printer has its registry key (PrinterKeys.h), written whenever the spooler changes the printer
// and read back when the Spooler service starts: a key changed in between gives the printer its content.
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/PrintSpooler.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/MachineConfig.h"
#include "platform/sim/MachineLock.h"
#include "platform/sim/RegistryTree.h"
#include "platform/sim/SimServiceControl.h"
#include "platform/sim/SpoolerState.h"

namespace platform::sim {

class SimPrintSpooler : public PrintSpooler {
public:
  // A user without administrative rights (`config.user`) may open printers for use and read,
  // and is refused (5) whatever changes the spooler's drivers, monitors, ports or printers.
  // The printers of `state` are the truth: their keys in `tree` are written from them at once.
  SimPrintSpooler(MachineLock lock, SpoolerState state, std::filesystem::path driveC, const MachineConfig& config,
                  SimServiceControl& services, std::shared_ptr<RegistryTree> tree,
                  std::shared_ptr<FaultInjector> faults, std::shared_ptr<HandleTable> handles);
  ~SimPrintSpooler() override;

  DWORD OpenPrinterA(const std::string& printerName, DWORD desiredAccess, std::unique_ptr<PrinterHandle>& out) override;
  DWORD AddPrinterDriverA(const DriverInfo3A& info) override;
  DWORD AddPrinterA(const PrinterInfo2A& info, std::unique_ptr<PrinterHandle>& out) override;
  DWORD GetPrinterDriverDirectoryA(std::string& directory) override;
  // SpoolerState::PortNames.
  DWORD EnumPortsA(std::vector<std::string>& portNames) override;
  // The monitor's module is looked for in C:\Windows\System32; a missing one gives 126.
  DWORD AddMonitorA(const std::string& name, const OptText& environment, const std::string& dllName) override;
  // 87 for a monitor that is not registered, 183 for a port the spooler has already.
  DWORD AddPortExA(const std::string& portName, const std::string& monitorName) override;
  // The port's monitor deletes it: 1796 for a port of no monitor, 170 while a printer is on it.
  DWORD DeletePortA(const std::string& portName) override;
  DWORD EnumPrintersA(std::vector<PrinterInfo2A>& printers) override;
  // With dpd::DeleteUnusedFiles the driver's files that no other driver of its version names
  // leave the version folder.
  DWORD DeletePrinterDriverExA(const std::string& driverName, DWORD deleteFlags, DWORD versionFlag) override;
  // Removes the monitor's key with it.
  DWORD DeleteMonitorA(const std::string& name, const OptText& environment) override;
  // Value names are matched as the 8-bit names the printer data is kept under.
  DWORD GetPrinterDataW(RawPrinterHandle printer, const std::u16string& valueName, DWORD bufferSize, DWORD& type,
                        std::vector<std::uint8_t>& data, DWORD& needed) override;
  // Departure: names are kept in Windows-1252, so a name beyond it is refused with 50 (Windows stores it).
  DWORD SetPrinterDataW(RawPrinterHandle printer, const std::u16string& valueName, DWORD type,
                        const std::vector<std::uint8_t>& data) override;
  DWORD DeletePrinterDataW(RawPrinterHandle printer, const std::u16string& valueName) override;

  SpoolerState Snapshot() const;
  // Changes the state directly, as a test's setup or an outside component would; the printers'
  // keys follow.
  void Edit(const std::function<void(SpoolerState&)>& change);
  // The driver directory on the host (inside drive_c), or empty when it lies elsewhere.
  std::filesystem::path HostDriverDirectory() const;
  // Whether the host file is a module the spooler has loaded: a registered monitor's module and
  // the files that module loads (MonitorModules.h), in the system directory, for as long as the
  // Spooler service's process runs (any state but stopped).
  bool HoldsFile(const std::filesystem::path& hostFile) const;

  struct Core;
  // The spooler's state as its printer handles and device contexts share it (SpoolerCore.h).
  const std::shared_ptr<Core>& core() const { return core_; }

private:
  std::shared_ptr<Core> core_;
};

}  // namespace platform::sim
