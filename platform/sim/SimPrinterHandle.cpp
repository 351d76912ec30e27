// An open printer of the simulated spooler: level-2 record, printer data and device modes.
#include "platform/sim/DevMode.h"
#include "platform/sim/SpoolerCore.h"
#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

// PRINTER_INFO_2A on x64: thirteen pointers and eight DWORDs.
constexpr DWORD kPrinterInfo2Size = 13 * 8 + 8 * 4;
// What a printer's security descriptor takes in a level-2 buffer.
constexpr DWORD kSecurityDescriptorSize = 64;

DWORD Granted(DWORD requested) {
  if (requested == 0) return printeraccess::Use;
  if (requested & (access::GenericAll | access::MaximumAllowed)) return requested | printeraccess::AllAccess;
  return requested;
}

DWORD TextSize(const std::string& text) { return static_cast<DWORD>(text.size() + 1); }

class SimPrinterHandle : public PrinterHandle {
public:
  SimPrinterHandle(SpoolerCorePtr core, std::string name, DWORD access, std::uint64_t instance)
      : core_(std::move(core)), name_(std::move(name)), access_(Granted(access)), instance_(instance),
        handle_(core_->handles->Register("printer", name_)) {
    core_->open.emplace(Raw(), SimPrintSpooler::Core::OpenPrinter{name_, instance_, access_});
  }
  ~SimPrinterHandle() override {
    const auto held = core_->lock.Hold();
    core_->faults->Check("ClosePrinter");
    core_->open.erase(Raw());
    core_->handles->Release(handle_);
  }

  // The handle table's number: unique for the machine's life and never null.
  RawPrinterHandle Raw() const override { return reinterpret_cast<RawPrinterHandle>(static_cast<std::uintptr_t>(handle_)); }

  DWORD GetPrinter2A(DWORD bufferSize, DWORD& needed, PrinterInfo2A& info) override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = core_->faults->Check("GetPrinterA")) return error;
    SpoolerPrinter* printer = nullptr;
    if (const DWORD error = Usable(printer)) return error;
    needed = kPrinterInfo2Size + TextSize(printer->name) + TextSize(printer->port) + TextSize(printer->driver) +
             TextSize(printer->comment) + TextSize(printer->location) + TextSize(printer->printProcessor) +
             TextSize(printer->datatype) + 2 /* separator file, parameters */ +
             static_cast<DWORD>(printer->devMode.size()) + kSecurityDescriptorSize;
    if (bufferSize < needed) return winerr::InsufficientBuffer;
    info = PrinterRecord(*printer);
    return winerr::Success;
  }

  DWORD SetPrinter2A(const PrinterInfo2A& info) override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = core_->faults->Check("SetPrinterA")) return error;
    SpoolerPrinter* printer = nullptr;
    if (const DWORD error = Usable(printer)) return error;
    if ((access_ & printeraccess::Administer) == 0) return winerr::AccessDenied;
    if (!info.pPrinterName || info.pPrinterName->empty() || !info.pPortName || !info.pDriverName ||
        !info.pPrintProcessor) {
      return winerr::InvalidParameter;
    }
    if (info.pPrinterName->find_first_of(",\\") != std::string::npos) return winerr::InvalidPrinterName;
    SpoolerState& state = core_->state;
    const SpoolerPrinter* other = state.FindPrinter(*info.pPrinterName);
    if (other && other != printer) return winerr::PrinterAlreadyExists;
    if (!state.FindDriver(*info.pDriverName)) return winerr::UnknownPrinterDriver;
    if (!core_->HasPort(*info.pPortName)) return winerr::UnknownPort;
    if (!EqualNoCase(*info.pPrintProcessor, "WinPrint")) return winerr::UnknownPrintProcessor;
    std::optional<std::size_t> devModeSize;
    if (info.pDevMode && !IsAllZero(*info.pDevMode)) {
      devModeSize = DevModeSize(*info.pDevMode);
      if (!devModeSize) return winerr::InvalidParameter;
    }

    const std::string oldName = printer->name;
    printer->name = *info.pPrinterName;
    name_ = printer->name;
    // The handle's value goes on naming the printer under its new name.
    if (const auto open = core_->open.find(Raw()); open != core_->open.end()) open->second.name = name_;
    printer->port = *info.pPortName;
    printer->driver = *info.pDriverName;
    printer->comment = info.pComment.value_or("");
    printer->location = info.pLocation.value_or("");
    printer->printProcessor = *info.pPrintProcessor;
    if (info.pDatatype && !info.pDatatype->empty()) printer->datatype = *info.pDatatype;
    printer->attributes = info.Attributes;
    if (devModeSize) {
      printer->devMode.assign(info.pDevMode->begin(), info.pDevMode->begin() + static_cast<std::ptrdiff_t>(*devModeSize));
    }
    core_->Project(*printer, oldName);
    return winerr::Success;
  }

  DWORD SetPrinterDataA(const std::string& valueName, DWORD type, const std::vector<std::uint8_t>& data) override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = core_->faults->Check("SetPrinterDataA")) return error;
    SpoolerPrinter* printer = nullptr;
    if (const DWORD error = Usable(printer)) return error;
    if ((access_ & printeraccess::Administer) == 0) return winerr::AccessDenied;
    if (PrinterDataValue* value = printer->FindData(valueName)) {
      value->type = type;
      value->data = data;
    } else {
      printer->printerData.push_back({valueName, type, data});
    }
    core_->Project(*printer);
    return winerr::Success;
  }

  LONG DocumentPropertiesA(const std::string& /*deviceName*/, std::vector<std::uint8_t>* out,
                           const std::vector<std::uint8_t>* in, DWORD mode) override {
    const auto held = core_->lock.Hold();
    constexpr LONG kFailed = -1;
    if (core_->faults->Check("DocumentPropertiesA") != winerr::Success) return kFailed;
    SpoolerPrinter* printer = nullptr;
    if (Usable(printer) != winerr::Success) return kFailed;
    // A printer stored without a device mode still has the driver's default one.
    const DevModeBytes current = printer->devMode.empty() ? DefaultDevMode(printer->name) : printer->devMode;
    const auto size = DevModeSize(current);
    if (!size) return kFailed;
    if (mode == 0) return static_cast<LONG>(*size);

    DevModeBytes result(current.begin(), current.begin() + static_cast<std::ptrdiff_t>(*size));
    if ((mode & dmmode::InBuffer) && in) {
      if (!DevModeSize(*in)) return kFailed;
      result = MergeDevMode(result, *in);
    }
    if (mode & dmmode::OutBuffer) {
      if (!out) return kFailed;
      *out = std::move(result);
    }
    return dmmode::IdOk;
  }

  // A raw job goes to the printer's list when it ends; the data type is not looked at.
  DWORD StartDocPrinterA(const std::string& docName, const OptText& /*outputFile*/, const OptText& /*datatype*/,
                         DWORD& jobId) override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = core_->faults->Check("StartDocPrinterA")) return error;
    SpoolerPrinter* printer = nullptr;
    if (const DWORD error = Usable(printer)) return error;
    if (job_) return winerr::InvalidParameter;  // one document at a time on a handle
    job_.emplace();
    job_->name = docName;
    job_->raw.emplace();
    jobId = ++core_->lastJobId;
    return winerr::Success;
  }

  DWORD StartPagePrinter() override { return JobCall("StartPagePrinter"); }
  DWORD EndPagePrinter() override { return JobCall("EndPagePrinter"); }

  DWORD WritePrinter(std::span<const std::uint8_t> bytes, DWORD& written) override {
    const auto held = core_->lock.Hold();
    written = 0;
    if (const DWORD error = JobCall("WritePrinter")) return error;
    job_->raw->insert(job_->raw->end(), bytes.begin(), bytes.end());
    written = static_cast<DWORD>(bytes.size());
    return winerr::Success;
  }

  DWORD EndDocPrinter() override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = JobCall("EndDocPrinter")) return error;
    SpoolerPrinter* printer = nullptr;
    if (const DWORD error = Usable(printer)) return error;
    printer->printed.push_back(std::move(*job_));
    job_.reset();
    return winerr::Success;
  }

  // Only a job still being written can be thrown away; an ended one has gone to the printer.
  DWORD AbortPrinter() override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = JobCall("AbortPrinter")) return error;
    job_.reset();
    return winerr::Success;
  }

  // The spooler keeps no queue (a job is printed as it ends), so a purge finds nothing to throw away.
  DWORD SetPrinterControl(DWORD command) override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = core_->faults->Check("SetPrinterA")) return error;
    SpoolerPrinter* printer = nullptr;
    if (const DWORD error = Usable(printer)) return error;
    if ((access_ & printeraccess::Administer) == 0) return winerr::AccessDenied;
    return command == printercontrol::Purge ? winerr::Success : winerr::InvalidParameter;
  }

  DWORD DeletePrinter() override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = core_->faults->Check("DeletePrinter")) return error;
    SpoolerPrinter* printer = nullptr;
    if (const DWORD error = Usable(printer)) return error;
    if ((access_ & kDeleteAccess) == 0) return winerr::AccessDenied;
    std::vector<std::string> before;
    for (const SpoolerPrinter& each : core_->state.printers) before.push_back(each.name);
    std::erase_if(core_->state.printers, [&](const SpoolerPrinter& each) { return &each == printer; });
    core_->ProjectAll(before);
    return winerr::Success;
  }

  // Forms belong to the server: a standard user may not change them.
  DWORD AddFormA(const FormInfo1A& form) override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = core_->faults->Check("AddFormA")) return error;
    SpoolerPrinter* printer = nullptr;
    if (const DWORD error = Usable(printer)) return error;
    if (const DWORD error = core_->CheckAdministrator()) return error;
    if (form.pName.empty() || form.width <= 0 || form.height <= 0) return winerr::InvalidParameter;
    if (core_->state.FindForm(form.pName)) return winerr::FileExists;
    core_->state.forms.push_back({form.pName, form.width, form.height});
    return winerr::Success;
  }

  DWORD DeleteFormA(const std::string& formName) override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = core_->faults->Check("DeleteFormA")) return error;
    SpoolerPrinter* printer = nullptr;
    if (const DWORD error = Usable(printer)) return error;
    if (const DWORD error = core_->CheckAdministrator()) return error;
    const SpoolerForm* form = core_->state.FindForm(formName);
    if (!form) return winerr::InvalidFormName;
    std::erase_if(core_->state.forms, [&](const SpoolerForm& each) { return &each == form; });
    return winerr::Success;
  }

private:
  static constexpr DWORD kDeleteAccess = 0x10000;  // DELETE

  DWORD JobCall(std::string_view op) {
    const auto held = core_->lock.Hold();
    if (const DWORD error = core_->faults->Check(op)) return error;
    SpoolerPrinter* printer = nullptr;
    if (const DWORD error = Usable(printer)) return error;
    return job_ ? winerr::Success : winerr::SplNoStartDoc;
  }

  DWORD Usable(SpoolerPrinter*& printer) {
    const auto instance = core_->Instance();
    if (!instance) return winerr::RpcServerUnavailable;
    if (*instance != instance_) return winerr::InvalidHandle;
    printer = core_->state.FindPrinter(name_);
    return printer ? winerr::Success : winerr::InvalidHandle;
  }

  SpoolerCorePtr core_;
  std::string name_;
  DWORD access_;
  std::uint64_t instance_;
  HandleTable::Id handle_;
  std::optional<PrintedDocument> job_;  // the raw job between StartDocPrinterA and EndDocPrinter
};

}  // namespace

std::unique_ptr<PrinterHandle> MakePrinterHandle(SpoolerCorePtr core, std::string printerName, DWORD access,
                                                 std::uint64_t instance) {
  return std::make_unique<SimPrinterHandle>(std::move(core), std::move(printerName), access, instance);
}

}  // namespace platform::sim
