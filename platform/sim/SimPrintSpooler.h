#pragma once
// platform::PrintSpooler on SpoolerState, with Windows' answers. Every call fails with 1722
// while the Spooler service is not running; a printer handle belongs to the run of the service
// it was opened in and fails with 6 after a restart. Printer handles are accounted in the handle
// table ("printer"); one outliving the machine can only be closed.
#include <filesystem>
#include <functional>
#include <memory>

#include <nlohmann/json_fwd.hpp>

#include "platform/PrintSpooler.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/SimServiceControl.h"
#include "platform/sim/SpoolerState.h"

namespace platform::sim {

class SimPrintSpooler : public PrintSpooler {
public:
  // `document` holds machine.json's data members; the lists in its "ports" member name the local
  // ports ("COM1", "LPT1"), looked up at each call.
  SimPrintSpooler(SpoolerState state, std::filesystem::path driveC, const nlohmann::ordered_json& document,
                  SimServiceControl& services, std::shared_ptr<FaultInjector> faults,
                  std::shared_ptr<HandleTable> handles);
  ~SimPrintSpooler() override;

  DWORD OpenPrinterA(const std::string& printerName, DWORD desiredAccess, std::unique_ptr<PrinterHandle>& out) override;
  DWORD AddPrinterDriverA(const DriverInfo3A& info) override;
  DWORD AddPrinterA(const PrinterInfo2A& info, std::unique_ptr<PrinterHandle>& out) override;
  DWORD GetPrinterDriverDirectoryA(std::string& directory) override;
  // The local ports with their colon, "FILE:", then each monitor's ports; the system's own monitor
  // lists "Kvx_" + each local COM, LPT and USB port.
  DWORD EnumPortsA(std::vector<std::string>& portNames) override;
  // The monitor's module is looked for in C:\Windows\System32; a missing one gives 126.
  DWORD AddMonitorA(const std::string& name, const OptText& environment, const std::string& dllName) override;
  // 87 for a monitor that is not registered, 183 for a port the spooler has already.
  DWORD AddPortExA(const std::string& portName, const std::string& monitorName) override;

  SpoolerState Snapshot() const;
  // Changes the state directly, as a test's setup or an outside component would.
  void Edit(const std::function<void(SpoolerState&)>& change);
  // The driver directory on the host (inside drive_c), or empty when it lies elsewhere.
  std::filesystem::path HostDriverDirectory() const;

  struct Core;

private:
  std::shared_ptr<Core> core_;
};

}  // namespace platform::sim
