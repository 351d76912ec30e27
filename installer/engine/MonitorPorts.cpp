#include "engine/MonitorPorts.h"

#include <memory>

#include "engine/ErrorLog.h"
#include "engine/PortMonitorContract.h"

namespace {

using platform::DWORD;
namespace winerr = platform::winerr;

constexpr int kMaxCopyNumber = 9;

}  // namespace

bool PortMonitorPortsExist(platform::PrintSpooler& spooler) {
  std::vector<std::string> ports;
  if (spooler.EnumPortsA(ports) != winerr::Success) return false;
  for (const std::string& port : ports)
    if (port.find(kMonitorPortPrefix) != std::string::npos) return true;
  return false;
}

bool SetMonitorPortNumber(platform::Registry& registry, const std::string& portName, DWORD number) {
  const std::string path = std::string(kMonitorKey) + "\\Ports\\" + portName;
  std::unique_ptr<platform::RegistryKey> key;
  if (registry.OpenKey(platform::RootKey::LocalMachine, path, platform::regaccess::AllAccess, key) !=
          winerr::Success &&
      registry.CreateKey(platform::RootKey::LocalMachine, path, platform::regaccess::AllAccess, key) !=
          winerr::Success)
    return false;
  return key->SetValue(kPortNumberValue, platform::regtype::Dword, platform::RegDwordBytes(number)) ==
         winerr::Success;
}

void AddMonitorPort(CommonInstaller& installer, const std::string& portName, DWORD number) {
  platform::Platform& os = installer.context().platform;
  std::unique_ptr<platform::Library> winspool;
  if (os.libraries.LoadLibraryA("winspool.drv", winspool) != winerr::Success) return;
  if (winspool->FindFunction("AddPortExA") != winerr::Success) return;
  // The port may exist from an earlier installation; its number is rewritten either way.
  (void)os.spooler.AddPortExA(portName, installer.record.monitorName);
  SetMonitorPortNumber(os.registry, portName, number);
}

bool MakeUniquePrinterName(CommonInstaller& installer, std::string& name) {
  platform::PrintSpooler& spooler = installer.context().platform.spooler;
  for (int i = 1; i <= kMaxCopyNumber; ++i) {
    const std::string candidate = name + " (Copy " + std::to_string(i) + ")";
    std::unique_ptr<platform::PrinterHandle> printer;
    const DWORD error = spooler.OpenPrinterA(candidate, platform::printeraccess::Administer, printer);
    if (error == winerr::InvalidPrinterName) {
      name = candidate;
      installer.record.modelName = candidate;
      return true;
    }
    // Only "no such printer" frees a name: after any other failure the candidate may exist.
    if (error != winerr::Success) {
      installer.record.lastError = error;
      LogError(installer.context().platform.files, "MakeUniquePrinterName: OpenPrinter(%s) FAILED with code: %d",
               candidate, error);
      return false;
    }
  }
  return false;
}
