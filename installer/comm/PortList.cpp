#include "comm/PortList.h"

#include "engine/PnpDevices.h"

std::vector<std::string> ListPorts(platform::Platform& os, const PortListRule& rule) {
  std::vector<std::string> ports;
  std::vector<std::string> descriptions;
  const std::optional<std::string> filter =
      rule.hardwareId ? std::optional<std::string>(rule.hardwareId) : std::nullopt;
  FindPresentDevices(os, ports, descriptions, std::string(rule.prefix), filter, rule.exclude, "Ports", "PortName");
  return ports;
}

void FillPortBox(platform::Platform& os, ui::ComboBox box, const PortListRule& rule) {
  // The kit has no single-entry delete; selecting entry 0 below clears the edit text on an empty
  // box either way, so the result is the same.
  box.ResetContent();
  for (const std::string& port : ListPorts(os, rule)) box.AddString(port);
  box.SetCurSel(0);
}
