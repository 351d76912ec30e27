#pragma once
// Installing the installer's port monitor, the interface driver of the printer's port, and moving
// an existing printer to a new port.
#include <string>

#include "engine/CommonInstaller.h"
#include "engine/PortKinds.h"
#include "platform/PrintSpooler.h"

// A printer of the port kind is connected now.
bool IsUsbDevicePresent(CommonInstaller& installer);
bool IsParallelDevicePresent(CommonInstaller& installer);

// Copies the monitor's files, asks for the printer when none is connected, installs the interface
// driver, registers the monitor and creates a network port. True at once when the installer has
// already done so.
bool InstallPortMonitor(CommonInstaller& installer);

// Moves the printer to the installer's port (installing the monitor when none of its ports exists).
// `info` is the printer's level-2 record as read by the caller; its port and security descriptor
// are changed. Sets installOutcome to 4 on success and 5 when the printer could not be changed.
bool ChangePrinterPort(CommonInstaller& installer, const std::string& printerName, platform::PrinterInfo2A& info);
