// The Linux build's distribution folder, on a fresh simulated machine.
#include "distribution/DistributionFolderChecks.h"

#include "platform/sim/SimMachine.h"

platform::Platform& DistributionMachine() {
  static const auto machine = platform::sim::SimMachine::InMemory();
  static platform::Platform os = machine->platform();
  return os;
}

// A Windows build's plug-in, when the build was given one (KVX_PLUGIN_DLL).
std::vector<std::string> BuiltFiles() {
  if (KVX_PLUGIN_DLL_SHIPPED) return {"WIN2KXP\\TolvUIRQ7K.dll"};
  return {};
}
