#pragma once
// The spooler's port and printer name spaces as the installer uses them.
#include <string>

#include "engine/CommonInstaller.h"
#include "platform/Platform.h"

// True when the spooler has a port of the installer's port monitor ("Kvx_" anywhere in its name).
bool PortMonitorPortsExist(platform::PrintSpooler& spooler);
// Stores the TCP port number the monitor uses for a network port.
bool SetMonitorPortNumber(platform::Registry& registry, const std::string& portName, platform::DWORD number);
// Creates the port on the installer's monitor and stores its number; failures are not reported.
void AddMonitorPort(CommonInstaller& installer, const std::string& portName, platform::DWORD number);
// Finds the first free "<name> (Copy n)", n = 1..9, and puts it in `name` and the installer's
// modelName. False, with the name unchanged, when all nine exist, or when the spooler cannot tell
// whether a candidate exists (lastError and the error log say why).
bool MakeUniquePrinterName(CommonInstaller& installer, std::string& name);
