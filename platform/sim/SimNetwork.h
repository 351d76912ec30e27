#pragma once
// SKELETON (to be replaced): the simulated machine's network: its adapters and the boards on them.
#include <memory>

#include <nlohmann/json_fwd.hpp>

#include "platform/IpHelper.h"
#include "platform/Sockets.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/SimClock.h"

namespace platform::sim {

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
