#pragma once
// machine.json: the simulated machine as a person reads it. The machine owns "os", "uiLanguage",
// "programFile", "clock" and "registry"; every other member ("spooler", "ports",
// "networkAdapters", ...) is kept as it was read and written back unchanged.
#include <string>

#include <nlohmann/json.hpp>

#include "platform/sim/MachineConfig.h"
#include "platform/sim/MachineFileError.h"
#include "platform/sim/RegistryTree.h"

namespace platform::sim {

constexpr const char* kMachineFormat = "kvx-machine";
constexpr int kMachineVersion = 1;

// The default machine's data sections ("spooler", "ports", "networkAdapters") and registry keys.
nlohmann::ordered_json DefaultMachineDocument();
void AddDefaultRegistryKeys(RegistryTree& registry);

// Reads machine.json text (`label` names the file in errors) into `config`, the empty `registry`
// and `document`, which receives every member the machine does not own; of "spooler", "ports"
// and "networkAdapters", those the text lacks take the default machine's.
void ParseMachineFile(const std::string& text, const std::string& label, MachineConfig& config,
                      RegistryTree& registry, nlohmann::ordered_json& document);
std::string FormatMachineFile(const MachineConfig& config, RegistryTree& registry,
                              const nlohmann::ordered_json& document);

}  // namespace platform::sim
