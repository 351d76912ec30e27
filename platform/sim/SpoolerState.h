#pragma once
// What the simulated print spooler knows: its driver directory, the drivers, printers and port
// monitors registered with it. Names keep their case and match without regard to it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Win32Types.h"

namespace platform::sim {

struct SpoolerDriver {
  std::string name;
  std::string environment = "Windows x64";
  DWORD version = 3;
  std::string driverPath, dataFile, configFile, helpFile;
  std::vector<std::string> dependentFiles;
  std::string monitorName, defaultDataType;

  bool operator==(const SpoolerDriver&) const = default;
};

struct PrinterDataValue {
  std::string name;
  DWORD type = 0;
  std::vector<std::uint8_t> data;

  bool operator==(const PrinterDataValue&) const = default;
};

struct SpoolerPrinter {
  std::string name, port, driver, comment, location;
  std::string printProcessor = "WinPrint";
  std::string datatype = "RAW";
  DWORD attributes = 0;
  std::vector<std::uint8_t> devMode;  // DEVMODEA with the driver's private part
  std::vector<PrinterDataValue> printerData;  // in the order first written

  PrinterDataValue* FindData(std::string_view valueName);
  bool operator==(const SpoolerPrinter&) const = default;
};

struct SpoolerMonitor {
  std::string name;
  std::string environment = "Windows x64";
  std::string dll;
  std::vector<std::string> ports;  // ports added to the monitor by name

  bool operator==(const SpoolerMonitor&) const = default;
};

struct SpoolerState {
  std::string driverDirectory = "C:\\Windows\\System32\\spool\\drivers\\x64";
  std::vector<SpoolerDriver> drivers;
  std::vector<SpoolerPrinter> printers;
  std::vector<SpoolerMonitor> monitors;

  SpoolerDriver* FindDriver(std::string_view name);
  SpoolerPrinter* FindPrinter(std::string_view name);
  const SpoolerMonitor* FindMonitor(std::string_view name) const;
  bool operator==(const SpoolerState&) const = default;
};

// The monitor whose ports are named "Kvx_" + a COM, LPT or USB port; it accepts such a port
// without it being added first (network ports, "Kvx_IP_...", are added to it).
constexpr const char* kKorvexMonitor = "Korvex Port Monitor";

// Whether the spooler has a port of that name: a local port ("COM1:", "LPT1:", "FILE:") among
// the machine's `localPorts` (given without the colon), a port added to a monitor, or one a
// registered monitor accepts by its name.
bool SpoolerHasPort(const SpoolerState& state, const std::vector<std::string>& localPorts, std::string_view port);

}  // namespace platform::sim
