#pragma once
// Windows device installation: plug-and-play driver packages and the devices present now.
// The libraries are loaded on each call, so a system without them still runs the installer.
#include <string>
#include <vector>

#include "platform/Platform.h"

// Hardware ids of the printer's devices.
inline constexpr const char* kUsbPrinterId = "USB\\VID_5C3D&PID_0001";          // plugged in by USB
inline constexpr const char* kUsbPrinterDriverId = "USB\\VID_5C4E&PID_8030";    // the USB printer driver's device
inline constexpr const char* kParallelPrinterId = "LPTENUM\\TOLVARENRQ-7000TH6351";
inline constexpr const char* kUsbVcomId = "USB\\VID_5C3D&PID_0003";             // its USB virtual serial port

// Installs the INF's driver for every present device with the hardware id. A Win32 error code,
// 0 on success; 0xFFFFFFFF when the INF's full path does not fit MAX_PATH.
platform::DWORD InstallPnpDriver(platform::Platform& os, const std::string& infPath, const std::string& hardwareId);

inline constexpr platform::DWORD kInfPathTooLong = 0xFFFFFFFF;

bool InstallUsbPrinterDriver(platform::Platform& os);
bool InstallParallelPrinterDriver(platform::Platform& os);
// The driver of the printer's USB virtual serial port.
bool InstallUsbVirtualComDriver(platform::Platform& os);

// Whether a device of the setup class is present now whose first hardware id, upper-cased,
// contains `hardwareId`. The lookup stops at the first such device.
bool IsDevicePresent(platform::Libraries& libraries, platform::DeviceSetup& devices, const std::string& setupClass,
                     const std::string& hardwareId);

// Which present "Ports" devices a port list takes: "PortName" beginning with `prefix` (its three
// characters, in any case), and an upper-cased first hardware id that contains `hardwareId` (or,
// with `exclude`, does not); no hardware id: any device.
struct PortFilter {
  const char* prefix;
  const char* hardwareId;
  bool exclude;
};

struct PresentPorts {
  std::vector<std::string> names;         // "COM3:", in the order the devices come
  std::vector<std::string> descriptions;  // of every device the hardware id lets through
  platform::DWORD lastError = 0;          // what ended the lookup
};

// A prefix of fewer than three characters names no port: nothing is looked up.
PresentPorts FindPresentPorts(platform::Libraries& libraries, platform::DeviceSetup& devices, const PortFilter& filter);
