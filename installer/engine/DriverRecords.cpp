// The driver and printer records the spooler registers for Win2kXPInstaller.
#include "engine/ErrorLog.h"
#include "engine/MultiString.h"
#include "engine/Win2kXPInstaller.h"

platform::DWORD Win2kXPInstaller::FillDriverInfo(platform::DriverInfo3A& info) {
  std::vector<std::string> names{driverDll, kUniresDll};
  const std::vector<std::string> trailing = TrailingDriverFiles();
  names.insert(names.end(), trailing.begin(), trailing.end());

  dependentFiles.fill('\0');
  const auto used = WriteMultiString(dependentFiles, names);
  // Catalog names longer than the buffer allows are refused rather than cut.
  if (!used) {
    LogError(os().files, "AddPrinterDriver FAILED: dependent files do not fit (%d bytes)", MultiStringSize(names));
    return platform::winerr::InsufficientBuffer;
  }

  info.cVersion = 3;
  info.pEnvironment.reset();
  info.pDriverPath = kUnidrvDll;
  info.pDataFile = gpdFile;
  info.pConfigFile = kUnidrvUiDll;
  info.pHelpFile = kUnidrvUiDll;
  info.pDependentFiles = std::vector<char>(dependentFiles.begin(), dependentFiles.begin() + *used);
  info.pMonitorName.reset();
  info.pDefaultDataType.reset();
  return platform::winerr::Success;
}

void Win2kXPInstaller::FillPrinterInfo(platform::PrinterInfo2A& info) {
  info = platform::PrinterInfo2A{};
  info.pPortName = record.portName;
  info.pComment = "Korvex Printers";
  info.pDevMode = std::vector<std::uint8_t>(platform::devmode::Size, 0);
  info.pPrintProcessor = "WinPrint";
  info.Attributes = platform::printerattr::Published | platform::printerattr::Local;
}
