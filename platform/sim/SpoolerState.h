#pragma once
// What the simulated print spooler knows: its driver directory, the drivers, printers and port
// monitors registered with it. Names keep their case and match without regard to it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Win32Types.h"
#include "platform/sim/MonitorModules.h"

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

// One thing drawn on a printed page: a text in its rectangle, or a picture stretched to its rectangle.
struct PrintedItem {
  bool picture = false;
  std::string text;  // a text: what was drawn, line breaks and all
  std::string font;  // a text: the face of the selected font; empty for the device's default
  int bitmap = 0;    // a picture: resource id of the bitmap copied; 0 when none was selected
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // device pixels

  bool operator==(const PrintedItem&) const = default;
};

// A job the printer printed: a graphics document page by page, or a raw job's bytes.
struct PrintedDocument {
  std::string name;
  std::vector<std::vector<PrintedItem>> pages;
  std::optional<std::vector<std::uint8_t>> raw;

  bool operator==(const PrintedDocument&) const = default;
};

struct SpoolerPrinter {
  std::string name, port, driver, comment, location;
  std::string printProcessor = "WinPrint";
  std::string datatype = "RAW";
  DWORD attributes = 0;
  std::vector<std::uint8_t> devMode;  // DEVMODEA with the driver's private part
  std::vector<PrinterDataValue> printerData;  // in the order first written
  std::vector<PrintedDocument> printed;       // in the order the jobs ended

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

// A form added with AddFormA; sizes in thousandths of a millimetre. The built-in forms are not kept.
struct SpoolerForm {
  std::string name;
  std::int32_t width = 0, height = 0;

  bool operator==(const SpoolerForm&) const = default;
};

enum class LocalPortKind { Serial, Parallel };

// A port of the machine itself, named without the colon ("COM1", "LPT1").
struct LocalPort {
  std::string name;
  LocalPortKind kind = LocalPortKind::Serial;

  bool operator==(const LocalPort&) const = default;
};

struct SpoolerState {
  std::string driverDirectory = "C:\\Windows\\System32\\spool\\drivers\\x64";
  std::vector<LocalPort> localPorts = {{"COM1", LocalPortKind::Serial}, {"LPT1", LocalPortKind::Parallel}};
  std::vector<SpoolerDriver> drivers;
  std::vector<SpoolerPrinter> printers;
  std::vector<SpoolerMonitor> monitors;
  std::vector<SpoolerForm> forms;
  std::vector<MonitorModule> monitorModules;  // the modules a monitor may name (MonitorModules.h)

  SpoolerDriver* FindDriver(std::string_view name);
  SpoolerPrinter* FindPrinter(std::string_view name);
  const SpoolerMonitor* FindMonitor(std::string_view name) const;
  SpoolerForm* FindForm(std::string_view name);
  // Whether the port is one of the monitor's: added to it, or one its module makes.
  bool MonitorHasPort(const SpoolerMonitor& monitor, std::string_view port) const;
  const MonitorModule* ModuleOf(const SpoolerMonitor& monitor) const;
  // Whether the spooler has a port of that name: a local port with its colon ("COM1:"), "FILE:",
  // a port added to a monitor, or one a registered monitor's module accepts by its name.
  bool HasPort(std::string_view port) const;
  // The ports as EnumPortsA lists them: the local ones, "FILE:", then each monitor's.
  std::vector<std::string> PortNames() const;
  // The files of the system directory the registered monitors' modules load.
  std::vector<std::string> MonitorFiles() const;
  bool operator==(const SpoolerState&) const = default;
};

}  // namespace platform::sim
