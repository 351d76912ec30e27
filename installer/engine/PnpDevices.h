#pragma once
// Windows device installation: plug-and-play driver packages and the devices present now.
// The libraries are loaded on each call, so a system without them still runs the installer.
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

// Installs the INF's driver for every present device with the hardware id. A Win32 error code,
// 0 on success; 0xFFFFFFFF when the INF's full path does not fit MAX_PATH.
platform::DWORD InstallPnpDriver(platform::Platform& os, const std::string& infPath, const std::string& hardwareId);

inline constexpr platform::DWORD kInfPathTooLong = 0xFFFFFFFF;

bool InstallUsbPrinterDriver(platform::Platform& os);
bool InstallParallelPrinterDriver(platform::Platform& os);
// The driver of the printer's USB virtual serial port.
bool InstallUsbVirtualComDriver(platform::Platform& os);

// Lists the present devices of a setup class that pass the hardware-id filter (or, with exclude,
// that do not contain it). Without a port value name this is a presence check: the first passing
// device puts the filter text in `ports` and ends the search. With one, each device's port value is
// taken when it starts with the prefix, and every passing device's description is listed.
// True when `ports` is not empty; on false, `lastError` (when given) tells whether the lookup failed.
bool FindPresentDevices(platform::Platform& os, std::vector<std::string>& ports, std::vector<std::string>& descriptions,
                        const std::optional<std::string>& portPrefix, const std::optional<std::string>& filter,
                        bool exclude, const std::string& setupClass, const std::optional<std::string>& portValueName,
                        platform::DWORD* lastError = nullptr);
