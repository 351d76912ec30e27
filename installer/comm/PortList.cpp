#include "comm/PortList.h"

std::vector<std::string> ListPorts(platform::Libraries& libraries, platform::DeviceSetup& devices,
                                   const PortFilter& rule) {
  return FindPresentPorts(libraries, devices, rule).names;
}

void FillPortBox(platform::Libraries& libraries, platform::DeviceSetup& devices, ui::ComboBox box,
                 const PortFilter& rule) {
  // The kit has no single-entry delete; selecting entry 0 below clears the edit text on an empty
  // box either way, so the result is the same.
  box.ResetContent();
  for (const std::string& port : ListPorts(libraries, devices, rule)) box.AddString(port);
  box.SetCurSel(0);
}
