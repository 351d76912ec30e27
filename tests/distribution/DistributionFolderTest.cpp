// The Linux build's distribution folder, on a fresh simulated machine.
#include "distribution/DistributionFolderChecks.h"

#include "platform/sim/SimMachine.h"

platform::Platform& DistributionMachine() {
  static const auto machine = platform::sim::SimMachine::InMemory();
  static platform::Platform os = machine->platform();
  return os;
}

std::vector<std::string> BuiltFiles() { return {}; }
