#pragma once
#include <string>

#include "engine/EngineContext.h"
#include "platform/PrintSpooler.h"

// Makes the form the printer's default paper and writes its tray tables; reports nothing.
void SetPaperForm(const EngineContext& context, std::string printerName, std::string formName);

// Adds one of the forms this installer's printers take ("Print width 80mm 30cm", "Scaled Print width
// 48mm 30cm"), as the system must know a form before a device mode can name it; a form already
// known stays as it is. False for a name that is none of them, which is left alone.
bool AddInstallerPaperForm(platform::PrinterHandle& printer, const std::string& formName);
