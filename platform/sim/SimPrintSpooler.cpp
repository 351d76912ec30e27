#include "platform/sim/SimPrintSpooler.h"

#include <algorithm>

#include "platform/MultiSz.h"
#include "platform/Windows1252.h"
#include "platform/sim/DevMode.h"
#include "platform/sim/HostPath.h"
#include "platform/sim/SpoolerCore.h"
#include "platform/sim/Text.h"

namespace platform::sim {
namespace fs = std::filesystem;

namespace {

constexpr DWORD kDriverVersion = 3;
constexpr const char* kEnvironment = "Windows x64";
constexpr const char* kSystemDirectory = "C:\\Windows\\System32";
// Rights on a printer that only administrators get: administer, delete, change its security.
constexpr DWORD kAdministrativeAccess =
    printeraccess::Administer | 0x10000 /* DELETE */ | 0x40000 /* WRITE_DAC */ | 0x80000 /* WRITE_OWNER */ |
    access::GenericAll;

bool Missing(const OptText& text) { return !text || text->empty(); }

std::vector<std::string> SplitMultiText(const std::optional<std::vector<char>>& bytes) {
  return bytes ? MultiSzNames({bytes->data(), bytes->size()}) : std::vector<std::string>{};
}

// A file in `dir` whose name matches without regard to case (the host's file system minds case).
std::optional<fs::path> FindInFolder(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  if (fs::is_regular_file(dir / name, ec)) return dir / name;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec) && EqualNoCase(it->path().filename().string(), name)) return it->path();
  }
  return std::nullopt;
}

}  // namespace

SimPrintSpooler::SimPrintSpooler(MachineLock lock, SpoolerState state, fs::path driveC, const MachineConfig& config,
                                 SimServiceControl& services, std::shared_ptr<RegistryTree> tree,
                                 std::shared_ptr<FaultInjector> faults, std::shared_ptr<HandleTable> handles)
    : core_(std::make_shared<Core>(std::move(lock), std::move(state), std::move(driveC), config, services,
                                   std::move(tree), std::move(faults), std::move(handles))) {
  // The run going on now has the printers already; only a later start reads their keys.
  core_->loadedRun = services.RunningInstance(kSpoolerService);
  core_->ProjectAll({});
  // Windows has the driver directory from the start; the installer copies into it.
  if (const fs::path dir = HostDriverDirectory(); !dir.empty()) {
    std::error_code ec;
    fs::create_directories(dir, ec);
  }
}

SimPrintSpooler::~SimPrintSpooler() = default;

SpoolerState SimPrintSpooler::Snapshot() const {
  const auto held = core_->lock.Hold();
  (void)core_->Instance();
  return core_->state;
}

void SimPrintSpooler::Edit(const std::function<void(SpoolerState&)>& change) {
  const auto held = core_->lock.Hold();
  (void)core_->Instance();
  std::vector<std::string> before;
  for (const SpoolerPrinter& printer : core_->state.printers) before.push_back(printer.name);
  change(core_->state);
  core_->ProjectAll(before);
}

fs::path SimPrintSpooler::HostDriverDirectory() const {
  const auto held = core_->lock.Hold();
  return HostPath(core_->state.driverDirectory, core_->driveC).value_or(fs::path());
}

bool SimPrintSpooler::HoldsFile(const fs::path& hostFile) const {
  const auto held = core_->lock.Hold();
  if (core_->services.CurrentState(kSpoolerService) == svcstate::Stopped) return false;
  const std::vector<std::string> files = core_->state.MonitorFiles();
  const auto system = HostPath(kSystemDirectory, core_->driveC);
  std::error_code ec;
  for (const std::string& name : files) {
    if (!system || name.find_first_of("\\/:") != std::string::npos) continue;
    if (const auto loaded = FindInFolder(*system, name); loaded && fs::equivalent(*loaded, hostFile, ec)) return true;
  }
  return false;
}

DWORD SimPrintSpooler::GetPrinterDriverDirectoryA(std::string& directory) {
  const auto held = core_->lock.Hold();
  if (const DWORD error = core_->faults->Check("GetPrinterDriverDirectoryA")) return error;
  if (!core_->Instance()) return winerr::RpcServerUnavailable;
  directory = core_->state.driverDirectory;
  return winerr::Success;
}

DWORD SimPrintSpooler::OpenPrinterA(const std::string& printerName, DWORD desiredAccess,
                                    std::unique_ptr<PrinterHandle>& out) {
  const auto held = core_->lock.Hold();
  out.reset();
  if (const DWORD error = core_->faults->Check("OpenPrinterA")) return error;
  const auto instance = core_->Instance();
  if (!instance) return winerr::RpcServerUnavailable;
  const SpoolerPrinter* printer = core_->state.FindPrinter(printerName);
  if (!printer) return winerr::InvalidPrinterName;
  std::string name = printer->name;
  if (core_->CheckAdministrator() != winerr::Success) {
    if (desiredAccess & kAdministrativeAccess) return winerr::AccessDenied;
    // A standard user's utmost is using the printer.
    if (desiredAccess & access::MaximumAllowed) desiredAccess = printeraccess::Use;
  }
  out = MakePrinterHandle(core_, std::move(name), desiredAccess, *instance);
  return winerr::Success;
}

DWORD SimPrintSpooler::AddPrinterDriverA(const DriverInfo3A& info) {
  const auto held = core_->lock.Hold();
  if (const DWORD error = core_->faults->Check("AddPrinterDriverA")) return error;
  if (!core_->Instance()) return winerr::RpcServerUnavailable;
  if (const DWORD error = core_->CheckAdministrator()) return error;
  if (info.cVersion != kDriverVersion) return winerr::InvalidParameter;
  if (info.pEnvironment && !EqualNoCase(*info.pEnvironment, kEnvironment)) return winerr::InvalidEnvironment;
  if (Missing(info.pName) || Missing(info.pDriverPath) || Missing(info.pDataFile) || Missing(info.pConfigFile)) {
    return winerr::InvalidParameter;
  }
  SpoolerDriver driver;
  driver.name = *info.pName;
  driver.version = info.cVersion;
  driver.driverPath = *info.pDriverPath;
  driver.dataFile = *info.pDataFile;
  driver.configFile = *info.pConfigFile;
  driver.helpFile = info.pHelpFile.value_or("");
  driver.dependentFiles = SplitMultiText(info.pDependentFiles);
  driver.monitorName = info.pMonitorName.value_or("");
  driver.defaultDataType = info.pDefaultDataType.value_or("");

  // The files are taken from the driver directory, where the caller put them, or from its
  // version folder when an earlier driver installed them there already; they end up in the latter.
  const auto directory = HostPath(core_->state.driverDirectory, core_->driveC);
  if (!directory) return winerr::PathNotFound;
  const fs::path versionFolder = *directory / std::to_string(kDriverVersion);
  std::vector<std::string> names = {driver.driverPath, driver.dataFile, driver.configFile};
  if (!driver.helpFile.empty()) names.push_back(driver.helpFile);
  names.insert(names.end(), driver.dependentFiles.begin(), driver.dependentFiles.end());
  std::vector<fs::path> toCopy;
  for (const std::string& name : names) {
    const bool fullPath = name.find_first_of("\\:") != std::string::npos;
    std::optional<fs::path> found;
    if (fullPath) {
      if (auto host = HostPath(name, core_->driveC); host && fs::is_regular_file(*host)) found = host;
    } else {
      found = FindInFolder(*directory, name);
      if (!found) {
        if (!FindInFolder(versionFolder, name)) return winerr::FileNotFound;
        continue;
      }
    }
    if (!found) return winerr::FileNotFound;
    toCopy.push_back(*found);
  }
  std::error_code ec;
  fs::create_directories(versionFolder, ec);
  for (const fs::path& file : toCopy) {
    fs::copy_file(file, versionFolder / file.filename(), fs::copy_options::overwrite_existing, ec);
    if (ec) return winerr::AccessDenied;
  }
  if (SpoolerDriver* existing = core_->state.FindDriver(driver.name)) {
    *existing = std::move(driver);
  } else {
    core_->state.drivers.push_back(std::move(driver));
  }
  return winerr::Success;
}

DWORD SimPrintSpooler::AddPrinterA(const PrinterInfo2A& info, std::unique_ptr<PrinterHandle>& out) {
  const auto held = core_->lock.Hold();
  out.reset();
  if (const DWORD error = core_->faults->Check("AddPrinterA")) return error;
  const auto instance = core_->Instance();
  if (!instance) return winerr::RpcServerUnavailable;
  if (const DWORD error = core_->CheckAdministrator()) return error;
  if (Missing(info.pPrinterName) || info.pPrinterName->find_first_of(",\\") != std::string::npos) {
    return winerr::InvalidPrinterName;
  }
  SpoolerState& state = core_->state;
  if (state.FindPrinter(*info.pPrinterName)) return winerr::PrinterAlreadyExists;
  if (Missing(info.pPortName) || Missing(info.pDriverName) || Missing(info.pPrintProcessor)) {
    return winerr::InvalidParameter;
  }
  if (!state.FindDriver(*info.pDriverName)) return winerr::UnknownPrinterDriver;
  if (!core_->HasPort(*info.pPortName)) return winerr::UnknownPort;
  if (!EqualNoCase(*info.pPrintProcessor, "WinPrint")) return winerr::UnknownPrintProcessor;

  SpoolerPrinter printer;
  printer.name = *info.pPrinterName;
  // A device mode of zeros (or none) stands for the driver's default.
  if (info.pDevMode && !IsAllZero(*info.pDevMode)) {
    const auto size = DevModeSize(*info.pDevMode);
    if (!size) return winerr::InvalidParameter;
    printer.devMode.assign(info.pDevMode->begin(), info.pDevMode->begin() + static_cast<std::ptrdiff_t>(*size));
  } else {
    printer.devMode = DefaultDevMode(printer.name);
  }
  printer.port = *info.pPortName;
  printer.driver = *info.pDriverName;
  printer.comment = info.pComment.value_or("");
  printer.location = info.pLocation.value_or("");
  printer.printProcessor = *info.pPrintProcessor;
  printer.datatype = Missing(info.pDatatype) ? "RAW" : *info.pDatatype;
  printer.attributes = info.Attributes;
  state.printers.push_back(printer);
  core_->Project(printer);
  out = MakePrinterHandle(core_, printer.name, printeraccess::AllAccess, *instance);
  return winerr::Success;
}

DWORD SimPrintSpooler::EnumPrintersA(std::vector<PrinterInfo2A>& printers) {
  const auto held = core_->lock.Hold();
  printers.clear();
  if (const DWORD error = core_->faults->Check("EnumPrintersA")) return error;
  if (!core_->Instance()) return winerr::RpcServerUnavailable;
  for (const SpoolerPrinter& printer : core_->state.printers) printers.push_back(PrinterRecord(printer));
  return winerr::Success;
}

DWORD SimPrintSpooler::DeletePrinterDriverExA(const std::string& driverName, DWORD deleteFlags, DWORD versionFlag) {
  const auto held = core_->lock.Hold();
  if (const DWORD error = core_->faults->Check("DeletePrinterDriverExA")) return error;
  if (!core_->Instance()) return winerr::RpcServerUnavailable;
  if (const DWORD error = core_->CheckAdministrator()) return error;
  SpoolerState& state = core_->state;
  const SpoolerDriver* driver = state.FindDriver(driverName);
  if (!driver || ((deleteFlags & dpd::DeleteSpecificVersion) && versionFlag != driver->version)) {
    return winerr::UnknownPrinterDriver;
  }
  for (const SpoolerPrinter& printer : state.printers) {
    if (EqualNoCase(printer.driver, driver->name)) return winerr::PrinterDriverInUse;
  }
  std::vector<std::string> files = {driver->driverPath, driver->dataFile, driver->configFile, driver->helpFile};
  files.insert(files.end(), driver->dependentFiles.begin(), driver->dependentFiles.end());
  const DWORD version = driver->version;
  std::erase_if(state.drivers, [&](const SpoolerDriver& each) { return &each == driver; });
  if ((deleteFlags & dpd::DeleteUnusedFiles) == 0) return winerr::Success;

  // Files another driver of the version names stay; the rest leave the version folder.
  const auto directory = HostPath(state.driverDirectory, core_->driveC);
  if (!directory) return winerr::Success;
  const fs::path versionFolder = *directory / std::to_string(version);
  for (const std::string& name : files) {
    if (name.empty() || name.find_first_of("\\/:") != std::string::npos) continue;
    const bool used = std::any_of(state.drivers.begin(), state.drivers.end(), [&](const SpoolerDriver& other) {
      if (other.version != version) return false;
      const std::vector<std::string> own = {other.driverPath, other.dataFile, other.configFile, other.helpFile};
      const auto named = [&](const std::string& file) { return EqualNoCase(file, name); };
      return std::any_of(own.begin(), own.end(), named) ||
             std::any_of(other.dependentFiles.begin(), other.dependentFiles.end(), named);
    });
    if (used) continue;
    if (const auto file = FindInFolder(versionFolder, name)) {
      std::error_code ec;
      fs::remove(*file, ec);
    }
  }
  return winerr::Success;
}

}  // namespace platform::sim

namespace platform::sim {

namespace {

// The open printer a raw handle value stands for: 6 for a value that is no open handle, one of an
// earlier run of the service, or a printer since gone.
DWORD OpenedPrinter(SimPrintSpooler::Core& core, RawPrinterHandle handle, SpoolerPrinter*& printer, DWORD& access) {
  const auto instance = core.Instance();
  if (!instance) return winerr::RpcServerUnavailable;
  const auto open = core.open.find(handle);
  if (open == core.open.end()) return winerr::InvalidHandle;
  const SimPrintSpooler::Core::OpenPrinter& opened = open->second;
  if (opened.instance != *instance) return winerr::InvalidHandle;
  printer = core.state.FindPrinter(opened.name);
  access = opened.access;
  return printer ? winerr::Success : winerr::InvalidHandle;
}

}  // namespace

DWORD SimPrintSpooler::GetPrinterDataW(RawPrinterHandle printer, const std::u16string& valueName, DWORD bufferSize,
                                       DWORD& type, std::vector<std::uint8_t>& data, DWORD& needed) {
  const auto held = core_->lock.Hold();
  if (const DWORD error = core_->faults->Check("GetPrinterDataW")) return error;
  SpoolerPrinter* target = nullptr;
  DWORD access = 0;
  if (const DWORD error = OpenedPrinter(*core_, printer, target, access)) return error;
  // A name Windows-1252 cannot hold names no value.
  const auto name = Utf16ToAnsi(valueName);
  if (!name) return winerr::FileNotFound;
  const PrinterDataValue* value = target->FindData(*name);
  if (!value) return winerr::FileNotFound;
  // Text is kept once, in the machine's 8-bit form; the "W" call sees it in UTF-16, as on Windows.
  std::vector<std::uint8_t> bytes = IsTextType(value->type) ? TextBytesToUtf16(value->data) : value->data;
  type = value->type;
  needed = static_cast<DWORD>(bytes.size());
  if (bufferSize < needed) return winerr::MoreData;
  data = std::move(bytes);
  return winerr::Success;
}

DWORD SimPrintSpooler::SetPrinterDataW(RawPrinterHandle printer, const std::u16string& valueName, DWORD type,
                                       const std::vector<std::uint8_t>& data) {
  const auto held = core_->lock.Hold();
  if (const DWORD error = core_->faults->Check("SetPrinterDataW")) return error;
  SpoolerPrinter* target = nullptr;
  DWORD access = 0;
  if (const DWORD error = OpenedPrinter(*core_, printer, target, access)) return error;
  if ((access & printeraccess::Administer) == 0) return winerr::AccessDenied;
  // The registry refuses a longer value name.
  if (valueName.size() > kMaxValueName) return winerr::InvalidParameter;
  const auto name = Utf16ToAnsi(valueName);
  if (!name) return winerr::NotSupported;
  // Windows would store such text; this machine's 8-bit registry cannot hold it exactly.
  auto stored = IsTextType(type) ? TextBytesFromUtf16(data) : std::optional(data);
  if (!stored) return winerr::NotSupported;
  if (PrinterDataValue* value = target->FindData(*name)) {
    value->type = type;
    value->data = std::move(*stored);
  } else {
    target->printerData.push_back({*name, type, std::move(*stored)});
  }
  core_->Project(*target);
  return winerr::Success;
}

DWORD SimPrintSpooler::DeletePrinterDataW(RawPrinterHandle printer, const std::u16string& valueName) {
  const auto held = core_->lock.Hold();
  if (const DWORD error = core_->faults->Check("DeletePrinterDataW")) return error;
  SpoolerPrinter* target = nullptr;
  DWORD access = 0;
  if (const DWORD error = OpenedPrinter(*core_, printer, target, access)) return error;
  if ((access & printeraccess::Administer) == 0) return winerr::AccessDenied;
  const auto name = Utf16ToAnsi(valueName);
  const PrinterDataValue* value = name ? target->FindData(*name) : nullptr;
  if (!value) return winerr::FileNotFound;
  target->printerData.erase(target->printerData.begin() + (value - target->printerData.data()));
  core_->Project(*target);
  return winerr::Success;
}

}  // namespace platform::sim
