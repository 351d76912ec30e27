#pragma once
// The registry as machine.json holds it: per root key, one member per key path, holding the
// key's values by name ("" is the default value). Keys that only lead to others are implied.
//   "Software\\Korvex": { "": "default text", "Count": 3, "Lines": ["a", "b"],
//                         "Blob": {"hex": "01ff"}, "Path": {"expandSz": "%SystemRoot%"},
//                         "Big": {"qword": 5}, "Odd": {"type": 4, "hex": "0102"} }
#include <string>

#include <nlohmann/json.hpp>

#include "platform/sim/RegistryTree.h"

namespace platform::sim {

// Fills the (empty) tree; throws MachineFileError("<label>: <problem>").
void ReadRegistryJson(const nlohmann::ordered_json& registry, const std::string& label, RegistryTree& tree);
nlohmann::ordered_json WriteRegistryJson(RegistryTree& tree);

// One value in the notation above (printer data uses it too); `what` names it in errors.
void ReadRegistryValueJson(const nlohmann::ordered_json& value, const std::string& label, const std::string& what,
                           DWORD& type, std::vector<std::uint8_t>& data);
nlohmann::ordered_json RegistryValueJson(DWORD type, const std::vector<std::uint8_t>& data);

}  // namespace platform::sim
