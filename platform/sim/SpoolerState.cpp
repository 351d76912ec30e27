#include "platform/sim/SpoolerState.h"

#include <algorithm>

#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

template <typename Items>
auto FindNamed(Items& items, std::string_view name) -> decltype(&*items.begin()) {
  const auto it = std::find_if(items.begin(), items.end(), [&](const auto& item) { return EqualNoCase(item.name, name); });
  return it == items.end() ? nullptr : &*it;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

PrinterDataValue* SpoolerPrinter::FindData(std::string_view valueName) { return FindNamed(printerData, valueName); }

SpoolerDriver* SpoolerState::FindDriver(std::string_view name) { return FindNamed(drivers, name); }

SpoolerPrinter* SpoolerState::FindPrinter(std::string_view name) { return FindNamed(printers, name); }

const SpoolerMonitor* SpoolerState::FindMonitor(std::string_view name) const {
  return FindNamed(monitors, name);
}

bool SpoolerHasPort(const SpoolerState& state, const std::vector<std::string>& localPorts, std::string_view port) {
  if (EqualNoCase(port, "FILE:")) return true;
  for (const std::string& local : localPorts) {
    if (EqualNoCase(port, local + ":")) return true;
  }
  for (const SpoolerMonitor& monitor : state.monitors) {
    for (const std::string& added : monitor.ports) {
      if (EqualNoCase(port, added)) return true;
    }
  }
  if (state.FindMonitor(kKorvexMonitor) && StartsWithNoCase(port, "Kvx_")) {
    const std::string_view local = port.substr(4);
    for (const char* kind : {"COM", "LPT", "USB"}) {
      if (local.size() > 3 && StartsWithNoCase(local, kind)) return true;
    }
  }
  return false;
}

}  // namespace platform::sim
