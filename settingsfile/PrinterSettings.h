#pragma once
// What a printer-settings file gives another printer: its default device mode and its printer
// data. The file's other values (name, port, share, driver, security) are the first printer's
// identity and stay behind.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace settingsfile {

struct PrinterDataEntry {
  std::u16string name;
  platform::DWORD type = 0;
  std::vector<std::uint8_t> data;  // text types as UTF-16LE
};

struct PrinterSettings {
  std::string driverName;                    // the driver the file's printer used
  std::vector<std::uint8_t> devMode;         // DEVMODEA with its private part (see AnsiDevMode)
  std::vector<PrinterDataEntry> printerData;  // "PrinterDriverData", in the file's order
};

// Bounds on what a file may carry: the plug-in's font table is the largest value it writes.
inline constexpr std::size_t kMaxDataValueBytes = 1024 * 1024;
inline constexpr std::size_t kMaxDataValues = 256;

// Reads a printer-settings file with the system's own hive loader (a private load that needs no
// privilege). Empty on success; otherwise why the file gives no settings, as one line to follow
// the file's name: a missing file, one that is no registry hive or a damaged one, a key without
// the printer's driver or device mode, a device mode of no known form, printer data beyond the
// bounds, a font table whose stored size disagrees with it.
std::string ReadPrinterSettings(platform::Registry& registry, const std::u16string& file, PrinterSettings& settings);

}  // namespace settingsfile
