// machine.json made of the bytes: it loads or is refused with MachineFileError; what loads saves to a
// text that loads again and saves to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/sim/MachineFile.h"
#include "platform/sim/SimDeviceSetup.h"

namespace {

namespace sim = platform::sim;

struct Loaded {
  sim::MachineConfig config;
  sim::RegistryTree registry;
  sim::SpoolerState spooler;
  nlohmann::ordered_json document;
};

bool Load(const std::string& text, Loaded& out) {
  try {
    sim::ParseMachineFile(text, "machine.json", out.config, out.registry, out.spooler, out.document);
    return true;
  } catch (const sim::MachineFileError&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Loaded first;
  if (!Load(std::string(reinterpret_cast<const char*>(data), size), first)) return 0;
  (void)sim::ReadDevices(first.document);
  const std::string saved = sim::FormatMachineFile(first.config, first.registry, first.spooler, first.document);
  Loaded again;
  if (!Load(saved, again)) std::abort();  // the program would refuse its own file
  if (sim::FormatMachineFile(again.config, again.registry, again.spooler, again.document) != saved) std::abort();
  return 0;
}
