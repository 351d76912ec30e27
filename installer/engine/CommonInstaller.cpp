#include "engine/CommonInstaller.h"

#include "engine/PortKinds.h"
#include "engine/PortMonitorContract.h"
#include "engine/PrinterNames.h"

CommonInstaller::CommonInstaller(EngineContext context) : context_(std::move(context)) {}

CommonInstaller::~CommonInstaller() = default;

void CommonInstaller::SetPortName(const std::string& name) {
  record.portName = PortKindOf(name) == PortKind::Usb ? kMonitorPortPrefix + name : name;
}

bool CommonInstaller::InstallParallelPortDriver() { return true; }

std::string CommonInstaller::DriverName(const std::string& printerName) const {
  return DriverNameFor(context_.CurrentOsKind(), printerName, record.formName);
}
