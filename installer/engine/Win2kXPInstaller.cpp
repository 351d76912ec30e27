#include "engine/Win2kXPInstaller.h"

#include "engine/Catalog.h"
#include "engine/PortMonitorContract.h"
#include "engine/PrinterNames.h"

Win2kXPInstaller::Win2kXPInstaller(EngineContext context) : CommonInstaller(std::move(context)) {
  record.needsPortMonitor = true;
  record.sectionSuffix = ".2K";
}

Win2kXPInstaller::~Win2kXPInstaller() = default;

void Win2kXPInstaller::SetSourceDirectory() { record.sourceDir = ".\\WIN2KXP"; }

void Win2kXPInstaller::SetPortName(const std::string& name) { record.portName = kMonitorPortPrefix + name; }

std::string Win2kXPInstaller::FileSetSection() const { return "KvxDrivers" + record.sectionSuffix + ".FILES"; }

void Win2kXPInstaller::ReadDriverFileSet() {
  platform::PrivateProfile& profile = os().profile;
  record.ostrelModel = IsOstrelModel(profile, record.modelName);
  const std::string section = FileSetSection();
  driverDll = ReadCatalogValue(profile, section, "driver", "KorvexVT5K.dll");
  record.monitorDll = ReadCatalogValue(profile, section, "monitor", kMonitorDll);
  record.monitorUiDll = ReadCatalogValue(profile, section, "monitorUI", kMonitorUiDll);
  record.renderDll = ReadCatalogValue(profile, section, "render", "");
  record.renderUiDll = ReadCatalogValue(profile, section, "renderUI", "");
  record.monAdditional = ReadCatalogValue(profile, section, "monAdditional", "");
}

std::vector<std::string> Win2kXPInstaller::TrailingDriverFiles() const {
  std::vector<std::string> files;
  if (!record.renderDll.empty()) {
    files.push_back(record.renderDll);
    files.push_back("Korvex.ini");
    if (!record.renderUiDll.empty()) files.push_back(record.renderUiDll);
  }
  files.insert(files.end(), {"stdnames.gpd", "ttfsub.gpd"});
  return files;
}

void Win2kXPInstaller::BuildFileList(const std::string& printerName) {
  ReadDriverFileSet();
  const bool scale = printerName.find("Scale") != std::string::npos;
  std::vector<std::string>& files = record.fileList;
  files.insert(files.end(), {kUnidrvDll, kUnidrvUiDll, "unidrv.hlp", kUniresDll});

  gpdFile = ReadCatalogValue(os().profile, FileSetSection(), ModelShortName(printerName), "vt5000.gpd");
  if (scale) gpdFile = ScaleVariantName(gpdFile);
  files.push_back(gpdFile);
  files.push_back(driverDll);
  const std::vector<std::string> trailing = TrailingDriverFiles();
  files.insert(files.end(), trailing.begin(), trailing.end());
}
