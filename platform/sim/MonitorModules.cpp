#include "platform/sim/MonitorModules.h"

#include <algorithm>
#include <array>

#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

const std::array<MonitorModule, 1> kModules = {{
    {"KorvexMon.dll", "Kvx_", {"KorvexMonUI.dll", "SiUSBXp.dll"}},
}};

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "COM7", "COM1:", "LPT1:", "USB", "USB001": the local port names a monitor port is formed from.
bool IsLocalPortName(std::string_view name) {
  if (StartsWithNoCase(name, "USB")) return AllDigits(name.substr(3));
  if (!StartsWithNoCase(name, "COM") && !StartsWithNoCase(name, "LPT")) return false;
  std::string_view number = name.substr(3);
  if (!number.empty() && number.back() == ':') number.remove_suffix(1);
  return !number.empty() && AllDigits(number);
}

}  // namespace

bool MonitorModule::Accepts(std::string_view port) const {
  return StartsWithNoCase(port, portPrefix) && IsLocalPortName(port.substr(portPrefix.size()));
}

const MonitorModule* FindMonitorModule(std::string_view dll) {
  for (const MonitorModule& module : kModules) {
    if (EqualNoCase(module.dll, dll)) return &module;
  }
  return nullptr;
}

}  // namespace platform::sim
