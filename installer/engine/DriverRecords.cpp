// The driver and printer records the spooler registers for Win2kXPInstaller.
#include "engine/ErrorLog.h"
#include "engine/MultiString.h"
#include "engine/Win2kXPInstaller.h"

platform::DWORD Win2kXPInstaller::FillDriverInfo(platform::DriverInfo3A& info) {
  std::vector<std::string> names{driverDll, "unires.dll"};
  if (!record.renderDll.empty()) {
    names.push_back(record.renderDll);
    names.push_back("Korvex.ini");
    if (!record.renderUiDll.empty()) names.push_back(record.renderUiDll);
  }
  names.insert(names.end(), {"stdnames.gpd", "ttfsub.gpd"});

  dependentFiles.fill('\0');
  const auto used = WriteMultiString(dependentFiles, names);
  // Catalog names longer than the buffer allows are refused rather than cut.
  if (!used) {
    LogError(os().files, "AddPrinterDriver FAILED: dependent files do not fit (%d bytes)", MultiStringSize(names));
    return platform::winerr::InsufficientBuffer;
  }

  info.cVersion = 3;
  info.pEnvironment.reset();
  info.pDriverPath = "unidrv.dll";
  info.pDataFile = gpdFile;
  info.pConfigFile = "unidrvui.dll";
  info.pHelpFile = "unidrvui.dll";
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
