// The spooler's ports and port monitors.
#include <algorithm>

#include "platform/sim/HostPath.h"
#include "platform/sim/PrinterKeys.h"
#include "platform/sim/SimPrintSpooler.h"
#include "platform/sim/SpoolerCore.h"
#include "platform/sim/Text.h"

namespace platform::sim {
namespace fs = std::filesystem;

namespace {

constexpr const char* kEnvironment = "Windows x64";
constexpr const char* kSystemDirectory = "C:\\Windows\\System32";

bool FileInFolder(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  if (fs::is_regular_file(dir / name, ec)) return true;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec) && EqualNoCase(it->path().filename().string(), name)) return true;
  }
  return false;
}

}  // namespace

DWORD SimPrintSpooler::EnumPortsA(std::vector<std::string>& portNames) {
  const auto held = core_->lock.Hold();
  portNames.clear();
  if (const DWORD error = core_->faults->Check("EnumPortsA")) return error;
  if (!core_->Instance()) return winerr::RpcServerUnavailable;
  portNames = core_->state.PortNames();
  return winerr::Success;
}

DWORD SimPrintSpooler::AddMonitorA(const std::string& name, const OptText& environment, const std::string& dllName) {
  const auto held = core_->lock.Hold();
  if (const DWORD error = core_->faults->Check("AddMonitorA")) return error;
  if (!core_->Instance()) return winerr::RpcServerUnavailable;
  if (const DWORD error = core_->CheckAdministrator()) return error;
  if (name.empty() || dllName.empty()) return winerr::InvalidParameter;
  if (environment && !environment->empty() && !EqualNoCase(*environment, kEnvironment)) {
    return winerr::InvalidEnvironment;
  }
  if (core_->state.FindMonitor(name)) return winerr::PrintMonitorAlreadyInstalled;
  const auto system = HostPath(kSystemDirectory, core_->driveC);
  if (!system || dllName.find_first_of("\\/:") != std::string::npos || !FileInFolder(*system, dllName)) {
    return winerr::ModNotFound;
  }
  SpoolerMonitor monitor;
  monitor.name = name;
  monitor.dll = dllName;
  core_->state.monitors.push_back(std::move(monitor));
  return winerr::Success;
}

DWORD SimPrintSpooler::AddPortExA(const std::string& portName, const std::string& monitorName) {
  const auto held = core_->lock.Hold();
  if (const DWORD error = core_->faults->Check("AddPortExA")) return error;
  if (!core_->Instance()) return winerr::RpcServerUnavailable;
  if (const DWORD error = core_->CheckAdministrator()) return error;
  if (portName.empty()) return winerr::InvalidParameter;
  SpoolerMonitor* target = nullptr;
  for (SpoolerMonitor& monitor : core_->state.monitors) {
    if (EqualNoCase(monitor.name, monitorName)) target = &monitor;
  }
  if (!target) return winerr::InvalidParameter;
  if (core_->HasPort(portName)) return winerr::AlreadyExists;
  target->ports.push_back(portName);
  return winerr::Success;
}

DWORD SimPrintSpooler::DeletePortA(const std::string& portName) {
  const auto held = core_->lock.Hold();
  if (const DWORD error = core_->faults->Check("DeletePortA")) return error;
  if (!core_->Instance()) return winerr::RpcServerUnavailable;
  if (const DWORD error = core_->CheckAdministrator()) return error;
  SpoolerState& state = core_->state;
  const auto owner = std::find_if(state.monitors.begin(), state.monitors.end(),
                                  [&](const SpoolerMonitor& monitor) { return state.MonitorHasPort(monitor, portName); });
  if (owner == state.monitors.end()) return winerr::UnknownPort;
  for (const SpoolerPrinter& printer : state.printers) {
    if (EqualNoCase(printer.port, portName)) return winerr::Busy;
  }
  // A port the module makes of a local port's name stays listed: it lists one for each local port.
  std::erase_if(owner->ports, [&](const std::string& port) { return EqualNoCase(port, portName); });
  return winerr::Success;
}

DWORD SimPrintSpooler::DeleteMonitorA(const std::string& name, const OptText& environment) {
  const auto held = core_->lock.Hold();
  if (const DWORD error = core_->faults->Check("DeleteMonitorA")) return error;
  if (!core_->Instance()) return winerr::RpcServerUnavailable;
  if (const DWORD error = core_->CheckAdministrator()) return error;
  if (environment && !environment->empty() && !EqualNoCase(*environment, kEnvironment)) {
    return winerr::InvalidEnvironment;
  }
  SpoolerState& state = core_->state;
  const SpoolerMonitor* monitor = state.FindMonitor(name);
  if (!monitor) return winerr::UnknownPrintMonitor;
  for (const SpoolerPrinter& printer : state.printers) {
    if (state.MonitorHasPort(*monitor, printer.port)) return winerr::PrintMonitorInUse;
  }
  const std::string registered = monitor->name;
  std::erase_if(state.monitors, [&](const SpoolerMonitor& each) { return &each == monitor; });
  std::lock_guard treeLock(core_->tree->mutex());
  RemoveMonitorKey(*core_->tree, registered);
  return winerr::Success;
}

}  // namespace platform::sim
