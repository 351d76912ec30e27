#pragma once
// One printer installation from end to end, run on the installation's worker thread.
#include <cstdint>
#include <string>

#include "engine/CommonInstaller.h"

// Installs the driver and the printer `printerName` (nonzero type: kiosk printer). Reports each
// step through the record's progressStep/progressEvent and always ends at step 7; a failed step
// jumps to the closing steps. True when the printer was added.
bool Install(CommonInstaller& installer, const std::string& printerName, std::int32_t printerType);

// Copies fileList from the source directory into the printer driver directory, and the extra
// monitor file into the system directory. Access denied and sharing violations count as copied.
bool CopyDriverFiles(CommonInstaller& installer);
