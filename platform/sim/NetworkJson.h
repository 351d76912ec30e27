#pragma once
// The "networkAdapters" and "boards" members of machine.json:
//   "networkAdapters": [{"name": "Ethernet", "description": "...", "mac": "02-00-4B-56-58-01",
//     "ip": "192.0.2.10", "mask": "255.255.255.0", "gateway": "192.0.2.1",
//     "moreAddresses": [{"ip": ..., "mask": ...}], "moreGateways": ["..."]}]
//   "boards": see BoardPeer.h
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/sim/BoardPeer.h"

namespace platform::sim {

struct SimAdapter {
  std::string name;
  std::string description;
  std::vector<std::uint8_t> mac;
  std::vector<std::pair<Ipv4, Ipv4>> addresses;  // address and mask; the first is "ip"/"mask"
  std::vector<Ipv4> gateways;
};

struct SimNetworkConfig {
  std::vector<SimAdapter> adapters;
  std::vector<Board> boards;
};

// "networkAdapters" and "boards" of a machine document, checked: a MachineFileError that names
// `label` and the field for anything malformed (with `boardsNeedAdapters`, also for a board on
// an adapter the machine does not have). Absent sections are empty.
SimNetworkConfig ReadNetworkConfig(const nlohmann::ordered_json& document, const std::string& label,
                                   bool boardsNeedAdapters = true);

}  // namespace platform::sim
