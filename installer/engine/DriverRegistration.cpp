// Registering the driver and the printer queue with the spooler.
#include "engine/CommonInstaller.h"
#include "engine/ErrorLog.h"
#include "engine/PortMonitorContract.h"
#include "resource.h"

bool CommonInstaller::AddDriver(const std::string& printerName) {
  platform::DriverInfo3A info;
  if (const platform::DWORD error = FillDriverInfo(info)) {
    record.lastError = error;
    return false;
  }
  info.pName = DriverName(printerName);
  if (const platform::DWORD error = os().spooler.AddPrinterDriverA(info)) {
    record.lastError = error;
    LogError(os().files, "AddPrinterDriver FAILED with code: %d", error);
    return false;
  }
  return true;
}

bool CommonInstaller::AddPrinterQueue(const std::string& printerName) {
  platform::PrinterInfo2A info;
  FillPrinterInfo(info);
  info.pPrinterName = printerName;
  info.pDriverName = DriverName(printerName);

  StopSpooler();
  StartSpoolerAndWait();
  std::unique_ptr<platform::PrinterHandle> printer;
  const platform::DWORD error = os().spooler.AddPrinterA(info, printer);
  if (error == platform::winerr::Success) {
    WritePrinterTypeValue();
    CycleSpooler();
    printer.reset();
    return true;
  }
  record.lastError = error;
  if (error == platform::winerr::PrinterAlreadyExists) {
    record.lastError = 0;
    return true;
  }
  LogError(os().files, "AddPrinter FAILED with code: %d", error);
  return false;
}

// The port monitor tells kiosk and mini printers apart by this value, named after the port.
void CommonInstaller::WritePrinterTypeValue() {
  std::unique_ptr<platform::RegistryKey> key;
  if (os().registry.CreateKey(platform::RootKey::LocalMachine, kPortsIoKey, platform::regaccess::AllAccess, key) !=
      platform::winerr::Success)
    return;
  const std::string type = context_.LoadText(record.printerType != 0 ? IDS_KIOSK_PRINTER : IDS_MINI_PRINTER);
  // The queue exists either way; a lost value is not reported.
  (void)key->SetValue(record.portName, platform::regtype::Sz, platform::RegSzBytes(type));
}
