#pragma once
// The simulated machine's network: its adapters ("networkAdapters" of machine.json, which are also
// the host's own addresses), Winsock datagram sockets on them, and the ethernet boards ("boards",
// BoardPeer.h) that sit on the adapters' networks and answer broadcasts after a delay on the
// virtual clock. Configuration requests change the boards in the document, so Save keeps them.
//   "networkAdapters": [{"name": "Ethernet", "description": "...", "mac": "02-00-4B-56-58-01",
//     "ip": "192.0.2.10", "mask": "255.255.255.0", "gateway": "192.0.2.1",
//     "moreAddresses": [{"ip": ..., "mask": ...}], "moreGateways": ["..."]}]
// A blocking recvfrom with nothing on its way fails at once with WSAETIMEDOUT, as if a receive
// time-out had run out: every datagram of this closed network is scheduled when it is sent, so
// nothing could ever arrive.
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/IpHelper.h"
#include "platform/Sockets.h"
#include "platform/sim/BoardPeer.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/SimClock.h"

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
// The default machine's "boards": one board of each kind on its adapter.
nlohmann::ordered_json DefaultBoards();

class SimNetwork {
public:
  SimNetwork(nlohmann::ordered_json& document, std::shared_ptr<SimClock> clock, std::shared_ptr<FaultInjector> faults,
             std::shared_ptr<HandleTable> handles);
  ~SimNetwork();
  Sockets* sockets();
  IpHelper* ipHelper();

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform::sim
