#pragma once
// The port monitor modules the simulated spooler knows (machine.json "monitorModules"), by module
// file name (what AddMonitorA is given). A registered monitor whose module is not among them has
// only the ports added to it.
//   "monitorModules": [{"dll": "Mon.dll", "portPrefix": "Mon_", "loads": ["MonUI.dll"]}]
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace platform::sim {

class JsonReader;

struct MonitorModule {
  std::string dll;
  // Its own ports are this prefix followed by a COM or LPT port name (with or without the colon)
  // or "USB" with an optional number. It takes them without AddPortExA and lists one for each of
  // the machine's serial and parallel ports; other ports (network ones) are added to it by name.
  std::string portPrefix;
  // Files of the system directory it loads besides itself; the spooler holds them while it runs.
  std::vector<std::string> loads;

  bool Accepts(std::string_view port) const;
  bool operator==(const MonitorModule&) const = default;
};

std::vector<MonitorModule> ReadMonitorModules(const nlohmann::ordered_json& j, const JsonReader& reader);
nlohmann::ordered_json WriteMonitorModules(const std::vector<MonitorModule>& modules);

}  // namespace platform::sim
