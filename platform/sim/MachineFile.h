#pragma once
// machine.json: the simulated machine as a person reads it. The machine owns "os", "uiLanguage",
// "programFile", "clock", "user", "services", "spooler" (SpoolerJson.h), "monitorModules", "registry",
// "serial" (SimSerial.h) and the lists "serial" and "parallel" of "ports" (the spooler's local ports); every other member
// ("networkAdapters", ...) is kept as it was read and written back unchanged.
//   "user": {"administrator": true, "canControlServices": true},
//   "ports": {"serial": ["COM1"], "parallel": ["LPT1"]},
//   "services": {"Spooler": {"state": "running", "stopMs": 100, "stopWaitHint": 2000, "startMs": 800,
//                "startWaitHint": 3000, "checkPointEveryMs": 500, "startStalls": false,
//                "startNeverCompletes": false}}
// Service names match without regard to case; the Spooler service is always there.
#include <string>

#include <nlohmann/json.hpp>

#include "platform/sim/MachineConfig.h"
#include "platform/sim/MachineFileError.h"
#include "platform/sim/RegistryTree.h"
#include "platform/sim/SpoolerState.h"

namespace platform::sim {

constexpr const char* kMachineFormat = "kvx-machine";
constexpr int kMachineVersion = 1;

// The default machine's sections (platform/sim/DefaultMachine.json, compiled in).
const nlohmann::ordered_json& DefaultMachineDocument();

// Reads machine.json text (`label` names the file in errors) into `config`, the empty `registry`,
// `spooler` and `document`, which receives every member the machine does not own; of "programFile",
// "ports", "networkAdapters", "boards" and "monitorModules" (MonitorModules.h), those the text lacks
// take the default machine's (DefaultMachine.json; no boards when it has adapters of its own).
void ParseMachineFile(const std::string& text, const std::string& label, MachineConfig& config,
                      RegistryTree& registry, SpoolerState& spooler, nlohmann::ordered_json& document);
// The file's document, and its text as the program writes it for a person (indented).
nlohmann::ordered_json MachineFileDocument(const MachineConfig& config, RegistryTree& registry,
                                           const SpoolerState& spooler, const nlohmann::ordered_json& document);
// The default machine's machine.json: nothing but its header.
std::string DefaultMachineFile();
std::string FormatMachineFile(const MachineConfig& config, RegistryTree& registry, const SpoolerState& spooler,
                              const nlohmann::ordered_json& document);

}  // namespace platform::sim
