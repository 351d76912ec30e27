#pragma once
// The simulated machine's network: its adapters ("networkAdapters" of machine.json, NetworkJson.h,
// which are also the host's own addresses), Winsock datagram sockets on them, and the ethernet boards
// ("boards", BoardPeer.h) that sit on the adapters' networks and answer broadcasts after a delay on the
// virtual clock. Configuration requests change the boards in the document, so Save keeps them.
// A blocking recvfrom with nothing on its way fails at once with WSAETIMEDOUT, as if a receive
// time-out had run out: every datagram of this closed network is scheduled when it is sent, so
// nothing could ever arrive.
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/IpHelper.h"
#include "platform/Sockets.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/MachineLock.h"
#include "platform/sim/NetworkJson.h"
#include "platform/sim/SimClock.h"

namespace platform::sim {

class SimNetwork {
public:
  SimNetwork(MachineLock lock, nlohmann::ordered_json& document, std::shared_ptr<SimClock> clock,
             std::shared_ptr<FaultInjector> faults, std::shared_ptr<HandleTable> handles);
  ~SimNetwork();
  Sockets* sockets();
  IpHelper* ipHelper();

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform::sim
