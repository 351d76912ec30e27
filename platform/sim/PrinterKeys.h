#pragma once
// The spooler's printers as Windows keeps them in the registry: one key per printer, named by it,
// under HKLM\SYSTEM\CurrentControlSet\Control\Print\Printers, with the printer data in its
// subkey "PrinterDriverData". Callers hold the tree's mutex.
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/RegistryTree.h"
#include "platform/sim/SpoolerState.h"

namespace platform::sim {

inline constexpr const char* kPrintersKeyPath = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
// A monitor's key below it holds the monitor's own settings (its ports' values among them).
inline constexpr const char* kMonitorsKeyPath = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";
inline constexpr const char* kPrinterDataSubkey = "PrinterDriverData";

// Sets the values the spooler keeps and makes "PrinterDriverData" hold exactly the printer data,
// in its order; other values and subkeys of the key stay.
void WritePrinterKey(RegistryTree& tree, const SpoolerPrinter& printer);
void RemovePrinterKey(RegistryTree& tree, std::string_view printerName);
// Removes a monitor's key with everything below it, as the spooler does when the monitor is deleted.
void RemoveMonitorKey(RegistryTree& tree, std::string_view monitorName);
// The names of the printer keys there are.
std::vector<std::string> PrinterKeyNames(const RegistryTree& tree);
// Reads the key of `printer.name` over `printer`: a value the key lacks is empty (0, no device mode,
// no printer data). `printed` is left alone. False when there is no such key.
bool ReadPrinterKey(const RegistryTree& tree, SpoolerPrinter& printer);
// Whether a key holds what a printer needs to be loaded: a port and a driver.
bool PrinterKeyComplete(const RegistryTree& tree, std::string_view printerName);

}  // namespace platform::sim
