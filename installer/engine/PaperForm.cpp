#include "engine/PaperForm.h"

#include <algorithm>
#include <array>

#include "engine/ErrorLog.h"
#include "engine/MultiString.h"
#include "engine/PrinterInfo.h"
#include "engine/PrinterNames.h"
#include "resource.h"

namespace {

using platform::DWORD;
using platform::PrinterHandle;

constexpr DWORD kOpenRetryMs = 3000;
constexpr DWORD kBroadcastTimeoutMs = 1000;
constexpr std::size_t kTrayTableSize = 300;

std::unique_ptr<PrinterHandle> OpenWithOneRetry(const EngineContext& context, const std::string& printerName) {
  std::unique_ptr<PrinterHandle> printer;
  platform::PrintSpooler& spooler = context.platform.spooler;
  if (spooler.OpenPrinterA(printerName, platform::printeraccess::AllAccess, printer) == platform::winerr::Success)
    return printer;
  // A printer added a moment ago may not be visible yet.
  context.platform.clock.Sleep(kOpenRetryMs);
  if (spooler.OpenPrinterA(printerName, platform::printeraccess::AllAccess, printer) == platform::winerr::Success)
    return printer;
  return nullptr;
}

// The driver's current device mode, for a printer whose record carries none.
bool AttachCurrentDevMode(PrinterHandle& printer, const std::string& printerName, platform::PrinterInfo2A& info) {
  const platform::LONG size = printer.DocumentPropertiesA(printerName, nullptr, nullptr, 0);
  if (size <= 0) return false;
  std::vector<std::uint8_t> devMode(static_cast<std::size_t>(size), 0);
  if (printer.DocumentPropertiesA(printerName, &devMode, nullptr, platform::dmmode::OutBuffer) != platform::dmmode::IdOk)
    return false;
  info.pDevMode = std::move(devMode);
  return true;
}

// Only the form name is to change; a name of 32 characters or more fills the field unterminated.
bool SelectForm(std::vector<std::uint8_t>& devMode, const std::string& formName) {
  using namespace platform::devmode;
  if (devMode.size() < FormNameOffset + FormNameSize) return false;
  const std::vector<std::uint8_t> fields = platform::RegDwordBytes(DmFormName);
  std::copy(fields.begin(), fields.end(), devMode.begin() + FieldsOffset);
  std::fill_n(devMode.begin() + FormNameOffset, FormNameSize, 0);
  std::copy_n(formName.begin(), std::min(formName.size(), FormNameSize), devMode.begin() + FormNameOffset);
  return true;
}

// The form is the system's to know before a device mode can name it; one already known stays as it is.
void AddPaperForm(PrinterHandle& printer, const std::string& formName) {
  constexpr platform::LONG kThousandthsPerMm = 1000;
  constexpr platform::LONG kLengthMm = 300;  // "30cm"
  platform::FormInfo1A form;
  form.pName = formName;
  form.width = PaperWidthMm(formName) * kThousandthsPerMm;
  form.height = kLengthMm * kThousandthsPerMm;
  form.imageableRight = form.width;
  form.imageableBottom = form.height;
  (void)printer.AddFormA(form);
}

void BroadcastDevModeChange(const EngineContext& context, const std::string& printerName) {
  // A notice only: a window that does not answer changes nothing here.
  (void)context.platform.messages.BroadcastTextMessageA(platform::wm::DevModeChange, printerName,
                                                        platform::wm::SmtoNormal, kBroadcastTimeoutMs);
}

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> prefix, std::size_t size) {
  std::vector<std::uint8_t> bytes(prefix);
  bytes.resize(size, 0);
  return bytes;
}

void WriteTrayTables(const EngineContext& context, PrinterHandle& printer, const std::string& formName) {
  std::array<char, kTrayTableSize> table{};
  const std::vector<std::string> entries{context.LoadText(IDS_TRAY_AUTO), formName, "0"};
  const auto used = WriteMultiString(table, entries);
  if (!used) {
    LogError(context.platform.files, "SetPaperForm: tray table does not fit (%d bytes)", MultiStringSize(entries));
    return;
  }
  using namespace platform::regtype;
  // Setting the form reports nothing: each value is written whatever became of the one before.
  (void)printer.SetPrinterDataA("TrayFormTable", MultiSz,
                                std::vector<std::uint8_t>(table.begin(), table.begin() + *used));
  (void)printer.SetPrinterDataA("TrayFormMap", Binary, Bytes({'A', 'U', 'T', 'O'}, 14));
  (void)printer.SetPrinterDataA("TrayFormMapSize", Dword, platform::RegDwordBytes(14));
  (void)printer.SetPrinterDataA("TrayFormKeyword", Binary, Bytes({'A', 'U', 'T', 'O'}, 7));
  (void)printer.SetPrinterDataA("TrayFormKeywordSize", Dword, platform::RegDwordBytes(7));
}

}  // namespace

bool AddInstallerPaperForm(PrinterHandle& printer, const std::string& formName) {
  if (formName.find("Print width ") == std::string::npos || !formName.ends_with("mm 30cm")) return false;
  AddPaperForm(printer, formName);
  return true;
}

void SetPaperForm(const EngineContext& context, std::string printerName, std::string formName) {
  formName = PaperFormNameFor(context.CurrentOsKind(), formName);
  auto printer = OpenWithOneRetry(context, printerName);
  if (!printer) return;

  platform::PrinterInfo2A info;
  if (ReadPrinterInfo(*printer, info) != platform::winerr::Success) return;
  if ((!info.pDevMode || info.pDevMode->empty()) && !AttachCurrentDevMode(*printer, printerName, info)) return;
  std::vector<std::uint8_t>& devMode = *info.pDevMode;
  AddPaperForm(*printer, formName);
  if (!SelectForm(devMode, formName)) return;
  info.hasSecurityDescriptor = false;

  const std::vector<std::uint8_t> selected = devMode;
  if (printer->DocumentPropertiesA(printerName, &devMode, &selected,
                                   platform::dmmode::InBuffer | platform::dmmode::OutBuffer) != platform::dmmode::IdOk)
    return;
  info.Attributes |= platform::printerattr::DoCompleteFirst;
  if (printer->SetPrinter2A(info) != platform::winerr::Success) return;

  BroadcastDevModeChange(context, printerName);
  WriteTrayTables(context, *printer, formName);
  BroadcastDevModeChange(context, printerName);
}
