#pragma once
// The "spooler" member of machine.json:
//   "spooler": {
//     "running": true,                      // mirrors the Spooler service's state
//     "driverDirectory": "C:\\Windows\\System32\\spool\\drivers\\x64",
//     "monitors": [{"name": "Korvex Port Monitor", "environment": "Windows x64",
//                   "dll": "KorvexMon.dll", "ports": ["Kvx_IP_192.0.2.50"]}],
//     "drivers": [{"name": "RQ-7200", "environment": "Windows x64", "version": 3,
//                  "driverPath": "unidrv.dll", "dataFile": "rq7200.gpd", "configFile": "unidrvui.dll",
//                  "helpFile": "unidrvui.dll", "dependentFiles": ["unires.dll"]}],
//     "printers": [{"name": "RQ-7200", "port": "Kvx_COM1:", "driver": "RQ-7200",
//                   "comment": "Korvex Printers", "printProcessor": "WinPrint", "datatype": "RAW",
//                   "attributes": 8768, "devMode": "<hex>",
//                   "printerData": {"TrayFormMapSize": 14, "TrayFormMap": {"hex": "..."}}}]
//   }
// Printer data values use the registry section's notation. A monitor may be given by its name alone.
#include <optional>

#include <nlohmann/json.hpp>

#include "platform/sim/JsonReader.h"
#include "platform/sim/SpoolerState.h"

namespace platform::sim {

// Fills `state` (defaults for what the member leaves out); `running` receives "running" if given.
void ReadSpoolerJson(const nlohmann::ordered_json& spooler, const JsonReader& reader, SpoolerState& state,
                     std::optional<bool>& running);
nlohmann::ordered_json WriteSpoolerJson(const SpoolerState& state, bool running);

}  // namespace platform::sim
