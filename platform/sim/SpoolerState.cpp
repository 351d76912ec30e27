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

}  // namespace

const MonitorModule* SpoolerState::ModuleOf(const SpoolerMonitor& monitor) const {
  const auto it = std::find_if(monitorModules.begin(), monitorModules.end(),
                               [&](const MonitorModule& module) { return EqualNoCase(module.dll, monitor.dll); });
  return it == monitorModules.end() ? nullptr : &*it;
}

PrinterDataValue* SpoolerPrinter::FindData(std::string_view valueName) { return FindNamed(printerData, valueName); }

SpoolerDriver* SpoolerState::FindDriver(std::string_view name) { return FindNamed(drivers, name); }

SpoolerPrinter* SpoolerState::FindPrinter(std::string_view name) { return FindNamed(printers, name); }

const SpoolerMonitor* SpoolerState::FindMonitor(std::string_view name) const {
  return FindNamed(monitors, name);
}

SpoolerForm* SpoolerState::FindForm(std::string_view name) { return FindNamed(forms, name); }

bool SpoolerState::MonitorHasPort(const SpoolerMonitor& monitor, std::string_view port) const {
  for (const std::string& added : monitor.ports) {
    if (EqualNoCase(port, added)) return true;
  }
  const MonitorModule* module = ModuleOf(monitor);
  return module && module->Accepts(port);
}

bool SpoolerState::HasPort(std::string_view port) const {
  if (EqualNoCase(port, "FILE:")) return true;
  for (const LocalPort& local : localPorts) {
    if (EqualNoCase(port, local.name + ":")) return true;
  }
  for (const SpoolerMonitor& monitor : monitors) {
    if (MonitorHasPort(monitor, port)) return true;
  }
  return false;
}

std::vector<std::string> SpoolerState::PortNames() const {
  std::vector<std::string> names;
  for (const LocalPort& local : localPorts) names.push_back(local.name + ":");
  names.push_back("FILE:");
  for (const SpoolerMonitor& monitor : monitors) {
    if (const MonitorModule* module = ModuleOf(monitor)) {
      for (const LocalPort& local : localPorts) {
        const std::string own = module->portPrefix + local.name;
        if (module->Accepts(own)) names.push_back(own);
      }
    }
    names.insert(names.end(), monitor.ports.begin(), monitor.ports.end());
  }
  return names;
}

std::vector<std::string> SpoolerState::MonitorFiles() const {
  std::vector<std::string> files;
  for (const SpoolerMonitor& monitor : monitors) {
    if (!monitor.dll.empty()) files.push_back(monitor.dll);
    if (const MonitorModule* module = ModuleOf(monitor)) {
      files.insert(files.end(), module->loads.begin(), module->loads.end());
    }
  }
  return files;
}

}  // namespace platform::sim
