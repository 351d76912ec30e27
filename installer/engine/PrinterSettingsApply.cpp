#include "engine/PrinterSettingsApply.h"

#include <memory>
#include <optional>

#include "engine/CatalogPrinters.h"
#include "engine/PaperForm.h"
#include "engine/PrinterInfo.h"
#include "settingsfile/DevModeRecord.h"

namespace {

using platform::DWORD;
using platform::winerr::Success;

struct Previous {
  const settingsfile::PrinterDataEntry* written;
  std::optional<settingsfile::PrinterDataEntry> before;  // none: the printer had no such value
};

// The printer's value of that name as it is now; nullopt when it has none.
DWORD ReadValue(platform::PrintSpooler& spooler, platform::RawPrinterHandle printer, const std::u16string& name,
               std::optional<settingsfile::PrinterDataEntry>& value) {
  settingsfile::PrinterDataEntry entry;
  entry.name = name;
  DWORD needed = 0;
  DWORD result = spooler.GetPrinterDataW(printer, name, 0, entry.type, entry.data, needed);
  if (result == platform::winerr::MoreData)
    result = spooler.GetPrinterDataW(printer, name, needed, entry.type, entry.data, needed);
  if (result == platform::winerr::FileNotFound) {
    value.reset();
    return Success;
  }
  if (result == Success) value = std::move(entry);
  return result;
}

void PutBack(platform::PrintSpooler& spooler, platform::RawPrinterHandle printer, const std::vector<Previous>& changed) {
  for (auto it = changed.rbegin(); it != changed.rend(); ++it) {
    if (it->before)
      (void)spooler.SetPrinterDataW(printer, it->before->name, it->before->type, it->before->data);
    else
      (void)spooler.DeletePrinterDataW(printer, it->written->name);
  }
}

}  // namespace

DWORD ApplyPrinterSettings(platform::PrintSpooler& spooler, const std::string& printerName,
                           const settingsfile::PrinterSettings& settings) {
  std::unique_ptr<platform::PrinterHandle> printer;
  if (const DWORD error = spooler.OpenPrinterA(printerName, platform::printeraccess::AllAccess, printer)) return error;
  platform::PrinterInfo2A original;
  if (const DWORD error = ReadPrinterInfo(*printer, original)) return error;
  original.hasSecurityDescriptor = false;  // left as it is

  platform::PrinterInfo2A changed = original;
  changed.pDevMode = settingsfile::DevModeForPrinter(settings.devMode, printerName);
  (void)AddInstallerPaperForm(*printer, DevModeFormName(*changed.pDevMode));
  if (const DWORD error = printer->SetPrinter2A(changed)) return error;

  std::vector<Previous> written;
  for (const settingsfile::PrinterDataEntry& entry : settings.printerData) {
    Previous previous{&entry, std::nullopt};
    DWORD error = ReadValue(spooler, printer->Raw(), entry.name, previous.before);
    if (error == Success) error = spooler.SetPrinterDataW(printer->Raw(), entry.name, entry.type, entry.data);
    if (error != Success) {
      PutBack(spooler, printer->Raw(), written);
      (void)printer->SetPrinter2A(original);
      return error;
    }
    written.push_back(std::move(previous));
  }
  return Success;
}
