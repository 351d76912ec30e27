#include "engine/PortMonitorInstall.h"

#include <memory>

#include "engine/DriverFileCopy.h"
#include "engine/ErrorLog.h"
#include "engine/MonitorPorts.h"
#include "engine/PnpDevices.h"
#include "engine/PortMonitorContract.h"
#include "resource.h"

namespace {

using platform::DWORD;
namespace winerr = platform::winerr;

constexpr std::size_t kSystemDirectoryChars = 50;
// Time for the spooler, stopped a moment ago, to let go of the system directory before the first copy.
constexpr DWORD kFirstCopyDelayMs = 2000;
constexpr DWORD kUsbPlugInDelayMs = 7000;
// The spooler, restarted just before, may not take the registration at once.
constexpr int kMonitorAttempts = 10;
constexpr DWORD kMonitorRetryDelayMs = 10;

bool IsPresent(CommonInstaller& installer, const char* setupClass, const char* hardwareId) {
  platform::Platform& os = installer.context().platform;
  return IsDevicePresent(os.libraries, os.devices, setupClass, hardwareId);
}

// Asks for the printer when none is connected, then installs the port's interface driver, whose
// result does not matter: the printer can be set up by the system later.
void PrepareInterface(CommonInstaller& installer, PortKind kind) {
  const EngineContext& context = installer.context();
  platform::Platform& os = context.platform;
  if (kind == PortKind::Usb) {
    if (!IsUsbDevicePresent(installer)) {
      context.ShowMessage(context.LoadText(IDS_CONNECT_PRINTER), "Usb Setup");
      // Gives the system time to find the printer just plugged in.
      os.clock.Sleep(kUsbPlugInDelayMs);
    }
    InstallUsbPrinterDriver(os);
  } else if (kind == PortKind::Parallel) {
    if (!IsParallelDevicePresent(installer)) context.ShowMessage(context.LoadText(IDS_CONNECT_PRINTER), "Parallel Setup");
    InstallParallelPrinterDriver(os);
  }
}

// An existing module is left alone (the spooler may hold it); only a missing one is copied.
DWORD PlaceMonitorModule(CommonInstaller& installer, const std::string& systemDirectory, DWORD systemError) {
  platform::Platform& os = installer.context().platform;
  const InstallerRecord& record = installer.record;
  if (systemDirectory.empty()) return systemError;
  if (!IsPlainFileName(record.monitorDll)) return winerr::InvalidName;
  const std::string target = systemDirectory + "\\" + record.monitorDll;
  if (os.files.SetFileAttributesA(target, platform::fileattr::Normal) == winerr::Success) return winerr::Success;
  os.clock.Sleep(kFirstCopyDelayMs);
  return os.files.CopyFileA(record.sourceDir + "\\" + record.monitorDll, target, false);
}

bool RegisterMonitor(CommonInstaller& installer) {
  const EngineContext& context = installer.context();
  platform::Platform& os = context.platform;
  InstallerRecord& record = installer.record;
  for (int attempt = 1; attempt <= kMonitorAttempts; ++attempt) {
    context.PumpMessages();
    // Yields the processor to the spooler's own threads before each attempt.
    os.clock.Sleep(0);
    const DWORD error = os.spooler.AddMonitorA(record.monitorName, kMonitorEnvironment, record.monitorDll);
    if (error == winerr::Success) return true;
    record.lastError = error;
    if (error == winerr::PrintMonitorAlreadyInstalled || error == winerr::AlreadyExists) {
      record.lastError = winerr::Success;
      return true;
    }
    if (attempt < kMonitorAttempts) os.clock.Sleep(kMonitorRetryDelayMs);
  }
  LogError(os.files, "AddMonitor FAILED with code: %d", record.lastError);
  return false;
}

}  // namespace

bool IsUsbDevicePresent(CommonInstaller& installer) {
  return IsPresent(installer, "USB", kUsbPrinterId);
}

bool IsParallelDevicePresent(CommonInstaller& installer) {
  return IsPresent(installer, "System", kParallelPrinterId);
}

bool InstallPortMonitor(CommonInstaller& installer) {
  InstallerRecord& record = installer.record;
  if (!record.needsPortMonitor) return true;
  platform::Platform& os = installer.context().platform;

  installer.StopSpooler();
  DWORD systemError = winerr::Success;
  const std::string system = SystemDirectory(os.files, kSystemDirectoryChars, &systemError);
  if (!system.empty()) CopyOverTarget(os.files, record.sourceDir, system, record.monitorUiDll);
  const DWORD monitorError = PlaceMonitorModule(installer, system, systemError);
  record.lastError = monitorError;
  if (!system.empty()) CopyOverTarget(os.files, record.sourceDir, system, kUsbAccessLibrary);
  installer.StartSpoolerAndWait();

  const PortKind kind = PortKindOf(record.portName);
  PrepareInterface(installer, kind);
  if (monitorError != winerr::Success) {
    // On a USB port a module that cannot be replaced is in use, hence installed.
    if (kind != PortKind::Usb) {
      // The run's only trace of the cause, such as a user without the right to write the system directory.
      LogError(os.files, "InstallPortMonitor failed with code: %d", record.lastError);
      return false;
    }
    if (record.lastError != winerr::AccessDenied) {
      LogError(os.files, "InstallPortMonitor USB failed with code: %d", record.lastError);
      return false;
    }
    record.lastError = winerr::Success;
  }

  if (!RegisterMonitor(installer)) return false;
  if (IsNetworkPort(record.portName)) AddMonitorPort(installer, record.portName, record.tcpPort);
  return true;
}

bool ChangePrinterPort(CommonInstaller& installer, const std::string& printerName, platform::PrinterInfo2A& info) {
  const EngineContext& context = installer.context();
  platform::Platform& os = context.platform;
  InstallerRecord& record = installer.record;
  std::unique_ptr<platform::PrinterHandle> printer;
  if (os.spooler.OpenPrinterA(printerName, platform::printeraccess::Administer, printer) != winerr::Success)
    return false;
  if (!PortMonitorPortsExist(os.spooler)) {
    installer.SetSourceDirectory();
    const bool installed = InstallPortMonitor(installer);
    context.PumpMessages();
    if (!installed) return false;
    // The spooler was restarted meanwhile, which invalidated the handle.
    printer.reset();
    if (os.spooler.OpenPrinterA(printerName, platform::printeraccess::Administer, printer) != winerr::Success) {
      record.installOutcome = kOutcomePortChangeFailed;
      return false;
    }
  }
  if (IsNetworkPort(record.portName)) AddMonitorPort(installer, record.portName, record.tcpPort);

  info.pPortName = record.portName;
  info.hasSecurityDescriptor = false;
  if (printer->SetPrinter2A(info) != winerr::Success) {
    record.installOutcome = kOutcomePortChangeFailed;
    return false;
  }
  PrepareInterface(installer, PortKindOf(record.portName));
  record.installOutcome = kOutcomePortChanged;
  return true;
}
