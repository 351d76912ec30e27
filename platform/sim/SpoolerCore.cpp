// The spooler's printers kept in step with their registry keys.
#include "platform/sim/SpoolerCore.h"

#include <algorithm>

#include "platform/sim/PrinterKeys.h"
#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

// The printers a start of the spooler finds: those with a key, as the key has them (a printer whose
// key is gone is forgotten), then complete keys of printers it did not have.
std::vector<SpoolerPrinter> LoadPrinters(const RegistryTree& tree, const std::vector<SpoolerPrinter>& known) {
  std::vector<SpoolerPrinter> loaded;
  for (SpoolerPrinter printer : known) {
    if (ReadPrinterKey(tree, printer)) loaded.push_back(std::move(printer));
  }
  for (const std::string& name : PrinterKeyNames(tree)) {
    const bool have = std::any_of(loaded.begin(), loaded.end(), [&](const auto& p) { return EqualNoCase(p.name, name); });
    if (have || !PrinterKeyComplete(tree, name)) continue;
    SpoolerPrinter printer;
    printer.name = name;
    ReadPrinterKey(tree, printer);
    loaded.push_back(std::move(printer));
  }
  return loaded;
}

}  // namespace

std::optional<std::uint64_t> SimPrintSpooler::Core::Instance() {
  const auto run = services.RunningInstance(kSpoolerService);
  if (run && run != loadedRun) {
    std::lock_guard treeLock(tree->mutex());
    state.printers = LoadPrinters(*tree, state.printers);
    loadedRun = run;
  }
  return run;
}

void SimPrintSpooler::Core::Project(const SpoolerPrinter& printer, std::string_view oldName) {
  std::lock_guard treeLock(tree->mutex());
  if (!oldName.empty() && !EqualNoCase(oldName, printer.name)) RemovePrinterKey(*tree, oldName);
  WritePrinterKey(*tree, printer);
}

void SimPrintSpooler::Core::ProjectAll(const std::vector<std::string>& before) {
  std::lock_guard treeLock(tree->mutex());
  for (const std::string& name : before) {
    if (!state.FindPrinter(name)) RemovePrinterKey(*tree, name);
  }
  for (const SpoolerPrinter& printer : state.printers) WritePrinterKey(*tree, printer);
}

PrinterInfo2A PrinterRecord(const SpoolerPrinter& printer) {
  PrinterInfo2A info;
  info.pPrinterName = printer.name;
  info.pPortName = printer.port;
  info.pDriverName = printer.driver;
  info.pComment = printer.comment;
  info.pLocation = printer.location;
  if (!printer.devMode.empty()) info.pDevMode = printer.devMode;
  info.pSepFile = "";
  info.pPrintProcessor = printer.printProcessor;
  info.pDatatype = printer.datatype;
  info.pParameters = "";
  info.hasSecurityDescriptor = true;
  info.Attributes = printer.attributes;
  info.Priority = 1;
  return info;
}

}  // namespace platform::sim
