#pragma once
// Another printer's settings given to an installed printer through the spooler's own calls.
#include <string>

#include "platform/PrintSpooler.h"
#include "settingsfile/PrinterSettings.h"

// The printer takes the settings' default device mode (SetPrinter level 2: its name, port, share,
// driver and security stay its own; the form the device mode names is added where it is one of this
// installer's) and then each printer data value. A failing call puts back what had changed before
// it. 0, or the failing call's error.
platform::DWORD ApplyPrinterSettings(platform::PrintSpooler& spooler, const std::string& printerName,
                                     const settingsfile::PrinterSettings& settings);
