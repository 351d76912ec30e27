#include "engine/PrinterRemoval.h"

#include <algorithm>
#include <memory>

#include "engine/CatalogPrinters.h"
#include "engine/DriverFileCopy.h"
#include "engine/ErrorLog.h"
#include "engine/MultiString.h"
#include "engine/PortMonitorContract.h"
#include "platform/CaseFolding.h"
#include "platform/MultiSz.h"

namespace {

using platform::DWORD;
using platform::PrinterInfo2A;
using platform::RootKey;
namespace winerr = platform::winerr;

constexpr const char* kVendorKey = "SOFTWARE\\Korvex";
constexpr const char* kRemovalsKey = "SOFTWARE\\Korvex\\KvxInstaller\\Removals";
constexpr DWORD kDriverVersion = 3;
constexpr std::size_t kSystemDirectoryChars = 200;

bool Same(const std::optional<std::string>& a, const std::string& b) {
  return a && platform::EqualNoCase(*a, b);
}

bool Gone(DWORD error) { return error == winerr::FileNotFound; }

DWORD DeleteKeyIfThere(platform::Registry& registry, const std::string& path) {
  const DWORD error = static_cast<DWORD>(registry.DeleteKey(RootKey::LocalMachine, path));
  return Gone(error) ? winerr::Success : error;
}

DWORD DeleteValueIfThere(platform::Registry& registry, const std::string& path, const std::string& name) {
  std::unique_ptr<platform::RegistryKey> key;
  DWORD error = static_cast<DWORD>(registry.OpenKey(RootKey::LocalMachine, path, platform::regaccess::AllAccess, key));
  if (error == winerr::Success) error = static_cast<DWORD>(key->DeleteValue(name));
  return Gone(error) ? winerr::Success : error;
}

// Deletes `path` and its parents up to `top` while they hold nothing.
DWORD PruneEmptyKeys(platform::Registry& registry, std::string path, const std::string& top) {
  for (;;) {
    std::unique_ptr<platform::RegistryKey> key;
    DWORD error = static_cast<DWORD>(registry.OpenKey(RootKey::LocalMachine, path, platform::regaccess::Read, key));
    DWORD subKeys = 0, values = 0;
    if (error == winerr::Success) error = static_cast<DWORD>(key->QueryInfoKey(subKeys, values));
    key.reset();
    if (Gone(error)) error = winerr::Success;
    else if (error == winerr::Success && subKeys == 0 && values == 0) error = DeleteKeyIfThere(registry, path);
    else if (error == winerr::Success) return winerr::Success;
    if (error != winerr::Success || path.size() <= top.size()) return error;
    path.resize(path.rfind('\\'));
  }
}

bool OnMonitorPort(const PrinterInfo2A& printer) {
  return printer.pPortName && printer.pPortName->starts_with(kMonitorPortPrefix);
}

}  // namespace

PrinterRemoval::PrinterRemoval(Win2kXPInstaller& installer, std::function<void(const std::string&)> note)
    : installer_(installer), os_(installer.context().platform), note_(std::move(note)) {
  installer_.ReadDriverFileSet();
}

bool PrinterRemoval::Failed(const char* message, const std::string& name, DWORD error) {
  installer_.record.lastError = error;
  LogError(os_.files, message, name, error);
  return false;
}

RemovalOutcome PrinterRemoval::Remove(const std::string& printerName) {
  std::vector<PrinterInfo2A> printers;
  if (const DWORD error = os_.spooler.EnumPrintersA(printers)) {
    Failed("Remove(%s): EnumPrinters FAILED with code: %d", printerName, error);
    return RemovalOutcome::Failed;
  }
  const auto found = std::find_if(printers.begin(), printers.end(),
                                  [&](const PrinterInfo2A& p) { return Same(p.pPrinterName, printerName); });
  if (found == printers.end()) {
    // A removal that stopped after the printer went is finished from its note.
    Leftovers left;
    if (!ReadNote(printerName, left)) return RemovalOutcome::NotFound;
    return Finish(left, printers) ? RemovalOutcome::Removed : RemovalOutcome::Failed;
  }
  if (!found->pDriverName || !IsCatalogDriver(os_.profile, *found->pDriverName)) return RemovalOutcome::Refused;
  const PrinterInfo2A printer = *found;
  printers.erase(found);
  return RemoveQueue(printer, printers);
}

RemovalOutcome PrinterRemoval::RemoveQueue(const PrinterInfo2A& printer, const std::vector<PrinterInfo2A>& others) {
  const std::string& name = *printer.pPrinterName;
  std::unique_ptr<platform::PrinterHandle> handle;
  if (const DWORD error = os_.spooler.OpenPrinterA(name, platform::printeraccess::AllAccess, handle)) {
    Failed("Remove: OpenPrinter(%s) FAILED with code: %d", name, error);
    return RemovalOutcome::Failed;
  }
  if (const DWORD error = handle->SetPrinterControl(platform::printercontrol::Purge)) {
    Failed("Remove: purging the jobs of %s FAILED with code: %d", name, error);
    return RemovalOutcome::Failed;
  }
  // The form the installation added and selected, unless another printer has it selected too.
  const std::string form = printer.pDevMode ? DevModeFormName(*printer.pDevMode) : std::string();
  const bool formShared = std::any_of(others.begin(), others.end(), [&](const PrinterInfo2A& other) {
    return other.pDevMode && DevModeFormName(*other.pDevMode) == form;
  });
  if (!form.empty() && !formShared) {
    const DWORD error = handle->DeleteFormA(form);
    // Not added with AddFormA (a built-in form, one of the driver's) or gone already.
    if (error != winerr::Success && error != winerr::InvalidFormName) {
      Failed("Remove: DeleteForm(%s) FAILED with code: %d", form, error);
      return RemovalOutcome::Failed;
    }
  }
  const Leftovers left{name, printer.pPortName.value_or(""), printer.pDriverName.value_or("")};
  if (!Note(left)) return RemovalOutcome::Failed;
  if (const DWORD error = handle->DeletePrinter()) {
    Failed("Remove: DeletePrinter(%s) FAILED with code: %d", name, error);
    return RemovalOutcome::Failed;
  }
  handle.reset();
  return Finish(left, others) ? RemovalOutcome::Removed : RemovalOutcome::Failed;
}

bool PrinterRemoval::Finish(const Leftovers& left, const std::vector<PrinterInfo2A>& others) {
  const bool portShared = std::any_of(others.begin(), others.end(),
                                      [&](const PrinterInfo2A& other) { return Same(other.pPortName, left.port); });
  const bool ownPort = left.port.starts_with(kMonitorPortPrefix);
  if (ownPort && portShared) note_("port " + left.port + " stays: another printer uses it");
  if (ownPort && !portShared && !RemovePort(left.port)) return false;

  const bool driverShared = std::any_of(others.begin(), others.end(),
                                        [&](const PrinterInfo2A& other) { return Same(other.pDriverName, left.driver); });
  if (driverShared) note_("driver " + left.driver + " stays: another printer uses it");
  if (!driverShared && !RemoveDriver(left.driver)) return false;

  if (std::none_of(others.begin(), others.end(), OnMonitorPort) && !RemoveMonitor()) return false;
  if (const DWORD error = DeleteValueIfThere(os_.registry, kRemovalsKey, left.printer))
    return Failed("Remove(%s): the removal's note could not be deleted, code: %d", left.printer, error);
  return true;
}

// The monitor deletes the port (as it added it); then the values the installation kept for it.
bool PrinterRemoval::RemovePort(const std::string& port) {
  DWORD error = os_.spooler.DeletePortA(port);
  if (error == winerr::UnknownPort) error = winerr::Success;
  if (error != winerr::Success) return Failed("Remove: DeletePort(%s) FAILED with code: %d", port, error);
  const std::string monitorPorts = std::string(kMonitorKey) + "\\Ports";
  if ((error = DeleteKeyIfThere(os_.registry, monitorPorts + "\\" + port)) ||
      (error = PruneEmptyKeys(os_.registry, monitorPorts, monitorPorts)))
    return Failed("Remove: the monitor's values of port %s could not be deleted, code: %d", port, error);
  const std::string settings = port.ends_with(':') ? port.substr(0, port.size() - 1) : port;
  if ((error = DeleteKeyIfThere(os_.registry, std::string(kPortsIoKey) + "\\" + settings)) ||
      (error = DeleteValueIfThere(os_.registry, kPortsIoKey, port)))
    return Failed("Remove: the serial settings of port %s could not be deleted, code: %d", port, error);
  return true;
}

bool PrinterRemoval::RemoveDriver(const std::string& driver) {
  DWORD error = os_.spooler.DeletePrinterDriverExA(
      driver, platform::dpd::DeleteUnusedFiles | platform::dpd::DeleteSpecificVersion, kDriverVersion);
  if (error == winerr::UnknownPrinterDriver) error = winerr::Success;
  return error == winerr::Success || Failed("Remove: DeletePrinterDriverEx(%s) FAILED with code: %d", driver, error);
}

bool PrinterRemoval::RemoveMonitor() {
  const InstallerRecord& record = installer_.record;
  const DWORD error = os_.spooler.DeleteMonitorA(record.monitorName, kMonitorEnvironment);
  // A printer of another maker's may be on one of its ports.
  if (error == winerr::PrintMonitorInUse) {
    note_("port monitor " + record.monitorName + " stays: a printer is on one of its ports");
    return true;
  }
  if (error != winerr::Success && error != winerr::UnknownPrintMonitor)
    return Failed("Remove: DeleteMonitor(%s) FAILED with code: %d", record.monitorName, error);
  RemoveMonitorFiles();
  return true;
}

// Modules still loaded cannot go: they are said and left, and the next removal takes them.
void PrinterRemoval::RemoveMonitorFiles() {
  const InstallerRecord& record = installer_.record;
  const std::string system = SystemDirectory(os_.files, kSystemDirectoryChars);
  if (system.empty()) return;
  std::vector<std::string> names{record.monitorDll, record.monitorUiDll, kUsbAccessLibrary};
  if (!record.monAdditional.empty()) names.push_back(record.monAdditional);
  for (const std::string& name : names) {
    if (!IsPlainFileName(name)) continue;
    const std::string path = system + "\\" + name;
    (void)os_.files.SetFileAttributesA(path, platform::fileattr::Normal);  // a read-only file refuses the delete
    const DWORD error = os_.files.DeleteFileA(path);
    if (error == winerr::AccessDenied || error == winerr::SharingViolation)
      note_(path + " is in use and stays; the next --remove deletes it");
  }
}

bool PrinterRemoval::Note(const Leftovers& left) {
  std::unique_ptr<platform::RegistryKey> key;
  DWORD error = static_cast<DWORD>(
      os_.registry.CreateKey(RootKey::LocalMachine, kRemovalsKey, platform::regaccess::AllAccess, key));
  if (error == winerr::Success) {
    std::vector<char> text(MultiStringSize({left.port, left.driver}));
    (void)WriteMultiString(text, {left.port, left.driver});
    error = static_cast<DWORD>(key->SetValue(left.printer, platform::regtype::MultiSz,
                                             std::vector<std::uint8_t>(text.begin(), text.end())));
  }
  return error == winerr::Success || Failed("Remove(%s): the removal could not be noted, code: %d", left.printer, error);
}

bool PrinterRemoval::ReadNote(const std::string& printer, Leftovers& left) {
  std::unique_ptr<platform::RegistryKey> key;
  if (os_.registry.OpenKey(RootKey::LocalMachine, kRemovalsKey, platform::regaccess::Read, key) != 0) return false;
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  if (key->QueryValue(printer, type, data) != 0 || type != platform::regtype::MultiSz) return false;
  const std::vector<std::string> names = platform::MultiSzNames({reinterpret_cast<const char*>(data.data()), data.size()});
  if (names.size() != 2) return false;
  left = {printer, names[0], names[1]};
  return true;
}

void PrinterRemoval::Tidy() {
  // Nothing is lost when a step fails here: the next removal tries again.
  (void)PruneEmptyKeys(os_.registry, kRemovalsKey, kVendorKey);
  (void)PruneEmptyKeys(os_.registry, kPortsIoKey, kVendorKey);
  std::vector<PrinterInfo2A> printers;
  if (os_.spooler.EnumPrintersA(printers) == winerr::Success && std::none_of(printers.begin(), printers.end(), OnMonitorPort))
    (void)RemoveMonitor();
}
