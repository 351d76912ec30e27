// Real time of loading a machine.json and saving it again, for machines of growing size: keys of five
// values (in an order the registry does not keep them in), one key of that many values, and as many
// port devices. Each grows only with the file: the complexity fitted is N.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

// Written out as text: the library's own ordered objects would take n * n steps to build it.
std::string MachineText(std::int64_t count) {
  std::string keys, recent, devices;
  for (std::int64_t i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    keys += (i ? ",\n" : "") + ("\"SOFTWARE\\\\Vendor\\\\App" + n + "\\\\Settings\": {");
    for (int j = 0; j < 5; ++j) keys += (j ? ", " : "") + ("\"Option" + std::to_string(j) + "\": \"value " + n + "\"");
    keys += "}";
    recent += (i ? ", " : "") + ("\"Recent" + n + "\": " + n);
    devices += (i ? ",\n" : "") + ("{\"class\": \"Ports\", \"hardwareIds\": [\"ACPI\\\\PNP0501\"], \"portName\": \"COM" +
                                    std::to_string(i + 1) + "\"}");
  }
  return "{\"format\": \"kvx-machine\", \"version\": 1, \"devices\": [" + devices +
         "], \"registry\": {\"HKEY_LOCAL_MACHINE\": {" + keys + "}, \"HKEY_CURRENT_USER\": {\"Software\\\\Recent\": {" +
         recent + "}}}}";
}

void BM_MachineLoadAndSave(benchmark::State& state) {
  const simtest::TempDir folder;
  const std::string text = MachineText(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    simtest::WriteFile(folder.path() / "machine.json", text);
    state.ResumeTiming();
    platform::sim::SimMachine::OpenFolder(folder.path())->Save();
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_MachineLoadAndSave)->RangeMultiplier(4)->Range(1024, 32768)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

}  // namespace
