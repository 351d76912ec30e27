#pragma once
// A printer's settings carried to other printers: saved to a printer-settings file (a registry hive
// of the printer's key, as the driver's property page saves it) and given to another printer.
#include <optional>
#include <string>

#include "app/ProgramEnvironment.h"
#include "app/ProgramOptions.h"
#include "settingsfile/PrinterSettings.h"

// --export-settings PRINTER FILE: after the installation's gate, "outcome exported|not-found|refused|failed"
// with the printer's name. Exit code 0; 1 for a printer not found or not this installer's; 3 when
// the save failed (the reason on standard error); the gate's own codes.
int ExportSettingsCommand(const ProgramOptions& options, ProgramEnvironment& env);

// --import-settings PRINTER FILE: the file's device mode and printer data given to the printer, whose
// name, port, driver, share and security stay. "outcome imported|not-found|refused|failed". Exit code
// 0; 1 as for the export; 2 for a file that gives no settings of this installer's printers (the
// printer is left as it was); 3 when the spooler failed (what had changed is put back).
int ImportSettingsCommand(const ProgramOptions& options, ProgramEnvironment& env);

// The settings of a file, read before an installation takes them: empty, or why the file gives none
// (one line, naming the file).
std::string ReadSettingsFile(ProgramEnvironment& env, const std::string& file, settingsfile::PrinterSettings& settings);

// Gives an installed printer the settings: true when they were applied; otherwise the reason is on
// standard error.
bool ApplySettings(ProgramEnvironment& env, const std::string& printerName, const std::string& file,
                   const settingsfile::PrinterSettings& settings);
