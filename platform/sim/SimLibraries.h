#pragma once
// platform::Libraries: the system libraries the installer loads, each knowing the functions of
// its that the system looks up (any other name answers 127), with machine.json's "libraries"
// member naming what this machine lacks:
//   {"missing": ["newdev.dll"], "missingFunctions": {"SETUPAPI.DLL": ["SetupDiOpenDevRegKey"]}}
// Names match without regard to case. Loaded libraries are accounted in the handle table ("library").
#include <memory>

#include <nlohmann/json_fwd.hpp>

#include "platform/DeviceSetup.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/MachineLock.h"

namespace platform::sim {

class SimLibraries : public Libraries {
public:
  SimLibraries(MachineLock lock, const nlohmann::ordered_json& document, std::shared_ptr<FaultInjector> faults,
               std::shared_ptr<HandleTable> handles);
  DWORD LoadLibraryA(const std::string& name, std::unique_ptr<Library>& out) override;

private:
  MachineLock lock_;
  const nlohmann::ordered_json& document_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
};

}  // namespace platform::sim
