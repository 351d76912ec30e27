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
//                   "printerData": {"TrayFormMapSize": 14, "TrayFormMap": {"hex": "..."}},
//                   "printed": [{"document": "Korvex Printer Test Page",
//                                "pages": [[{"text": "...", "font": "FontB11", "rect": [10, 10, 418, 58]},
//                                           {"picture": 143, "rect": [164, 49, 286, 127]}]]},
//                               {"document": "##Esc/Tolv Settings##", "raw": "1df92c00"}]}]
//   }
// Printer data values use the registry section's notation. A monitor may be given by its name alone.
// "printed" lists the jobs the printer printed, in order: a graphics document's pages with every
// text and picture in device pixels (left, top, right, bottom), or a raw job's bytes in hex.
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
