#include "platform/sim/MonitorModules.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "platform/sim/JsonReader.h"
#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

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

std::vector<MonitorModule> ReadMonitorModules(const nlohmann::ordered_json& j, const JsonReader& reader) {
  if (!j.is_array()) reader.Fail("\"monitorModules\" must be a list");
  std::vector<MonitorModule> modules;
  for (const auto& entry : j) {
    const std::string field = "monitorModules[" + std::to_string(modules.size()) + "]";
    reader.Object(entry, field, {"dll", "portPrefix", "loads"});
    const auto required = [&](const char* name) {
      const std::string member = field + "." + name;
      if (!entry.contains(name)) reader.Fail("\"" + member + "\" is missing");
      std::string text = reader.Text(entry[name], member);
      if (text.empty()) reader.Fail("\"" + member + "\" must not be empty");
      return text;
    };
    MonitorModule module{required("dll"), required("portPrefix"), {}};
    if (entry.contains("loads")) module.loads = reader.TextList(entry["loads"], field + ".loads");
    const auto same = [&](const MonitorModule& m) { return EqualNoCase(m.dll, module.dll); };
    if (std::any_of(modules.begin(), modules.end(), same)) reader.Fail("\"monitorModules\" names " + module.dll + " twice");
    modules.push_back(std::move(module));
  }
  return modules;
}

nlohmann::ordered_json WriteMonitorModules(const std::vector<MonitorModule>& modules) {
  auto list = nlohmann::ordered_json::array();
  for (const MonitorModule& m : modules) {
    nlohmann::ordered_json loads = nlohmann::ordered_json::array();
    for (const std::string& file : m.loads) loads.push_back(AnsiToUtf8(file));
    list.push_back({{"dll", AnsiToUtf8(m.dll)}, {"portPrefix", AnsiToUtf8(m.portPrefix)}, {"loads", std::move(loads)}});
  }
  return list;
}

}  // namespace platform::sim
