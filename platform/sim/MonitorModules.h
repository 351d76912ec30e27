#pragma once
// The port monitor modules the simulated spooler knows, by module file name (what AddMonitorA is
// given). A registered monitor whose module is not among them has only the ports added to it.
#include <string_view>
#include <vector>

namespace platform::sim {

struct MonitorModule {
  std::string_view dll;
  // Its own ports are this prefix followed by a COM or LPT port name (with or without the colon)
  // or "USB" with an optional number. It takes them without AddPortExA and lists one for each of
  // the machine's serial and parallel ports; other ports (network ones) are added to it by name.
  std::string_view portPrefix;
  // Files of the system directory it loads besides itself; the spooler holds them while it runs.
  std::vector<std::string_view> loadedFiles;

  bool Accepts(std::string_view port) const;
};

const MonitorModule* FindMonitorModule(std::string_view dll);

}  // namespace platform::sim
