#include "engine/PnpDevices.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "engine/DriverFileCopy.h"
#include "platform/CaseFolding.h"

namespace {

using platform::DWORD;
namespace winerr = platform::winerr;

// The fixed buffers device properties and the port value are read into.
constexpr DWORD kPropertyBufferBytes = 256;
constexpr std::size_t kPortPrefixLength = 3;
constexpr const char* kPortsClass = "Ports";
constexpr const char* kPortNameValue = "PortName";

constexpr const char* kNewDevLibrary = "newdev.dll";
constexpr const char* kSetupApiLibrary = "SETUPAPI.DLL";
constexpr const char* kSetupApiFunctions[] = {"SetupDiOpenDevRegKey",
                                             "SetupDiClassGuidsFromNameA",
                                             "SetupDiGetClassDevsA",
                                             "SetupDiGetDeviceRegistryPropertyA",
                                             "SetupDiDestroyDeviceInfoList",
                                             "SetupDiEnumDeviceInfo"};

// The first string of a REG_MULTI_SZ / REG_SZ property.
std::string FirstString(const std::vector<std::uint8_t>& data) {
  const auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
  return std::string(data.begin(), end);
}

// A property read into the 256-byte buffer; none when it fails or does not fit.
std::optional<std::vector<std::uint8_t>> ReadProperty(platform::DeviceInfoSet& set,
                                                      const platform::DeviceInfoData& device, DWORD property,
                                                      DWORD& regType, DWORD& lastError) {
  std::vector<std::uint8_t> data;
  DWORD required = 0;
  const DWORD rc = set.SetupDiGetDeviceRegistryPropertyA(device, property, kPropertyBufferBytes, regType, data, required);
  if (rc != winerr::Success) {
    lastError = rc;
    return std::nullopt;
  }
  return data;
}

// The device's port value as the port list shows it ("COM3:"), when it carries the prefix.
std::optional<std::string> ReadPortName(platform::DeviceInfoSet& set, const platform::DeviceInfoData& device,
                                        const std::string& prefix, DWORD& lastError) {
  std::unique_ptr<platform::RegistryKey> key;
  DWORD rc = set.SetupDiOpenDevRegKey(device, platform::dicskey::ScopeGlobal, platform::dicskey::ProfileCurrent,
                                      platform::dicskey::KeyTypeDevice, platform::regaccess::QueryValue, key);
  if (rc != winerr::Success) {
    lastError = rc;
    return std::nullopt;
  }
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  rc = static_cast<DWORD>(key->QueryValue(kPortNameValue, type, data));
  if (rc == winerr::Success && data.size() > kPropertyBufferBytes) rc = winerr::MoreData;
  if (rc != winerr::Success) {
    lastError = rc;
    return std::nullopt;
  }
  if (type != platform::regtype::Sz) return std::nullopt;
  std::string port = FirstString(data);
  if (port.size() <= kPortPrefixLength || prefix.size() < kPortPrefixLength ||
      !platform::StartsWithNoCase(port, std::string_view(prefix).substr(0, kPortPrefixLength)))
    return std::nullopt;
  if (port.find(':') == std::string::npos) port += ':';
  return port;
}

// Calls `visit` for each present device of the setup class whose upper-cased first hardware id
// contains `hardwareId` (with `exclude`, does not; none: every device) until it returns false.
// The last error of the lookup: what made it fail, else the last one a visit or the walk met.
template <class Visit>
DWORD ForEachPresentDevice(platform::Libraries& libraries, platform::DeviceSetup& devices, const std::string& setupClass,
                           const char* hardwareId, bool exclude, Visit visit) {
  std::unique_ptr<platform::Library> setupApi;
  if (const DWORD rc = libraries.LoadLibraryA(kSetupApiLibrary, setupApi); rc != winerr::Success) return rc;
  for (const char* function : kSetupApiFunctions)
    if (setupApi->FindFunction(function) != winerr::Success) return winerr::CallNotImplemented;

  std::vector<platform::Guid> classIds;
  DWORD count = 0;
  DWORD rc = devices.SetupDiClassGuidsFromNameA(setupClass, 0, classIds, count);
  if (count == 0) return rc == winerr::InsufficientBuffer ? winerr::InvalidClass : rc;
  rc = devices.SetupDiClassGuidsFromNameA(setupClass, count, classIds, count);
  if (rc != winerr::Success || classIds.empty()) return rc;

  std::unique_ptr<platform::DeviceInfoSet> set;
  rc = devices.SetupDiGetClassDevsA(classIds.front(), platform::digcf::Present, set);
  if (rc != winerr::Success) return rc;

  DWORD last = winerr::Success;
  platform::DeviceInfoData device;
  for (DWORD index = 0;; ++index) {
    rc = set->SetupDiEnumDeviceInfo(index, device);
    if (rc != winerr::Success) return rc;
    DWORD regType = 0;
    const auto ids = ReadProperty(*set, device, platform::spdrp::HardwareId, regType, last);
    if (!ids) continue;
    if (hardwareId && (platform::UpperCase(FirstString(*ids)).find(hardwareId) != std::string::npos) == exclude) continue;
    if (!visit(*set, device, last)) return last;
  }
}

}  // namespace

DWORD InstallPnpDriver(platform::Platform& os, const std::string& infPath, const std::string& hardwareId) {
  std::string fullPath;
  DWORD required = 0;
  constexpr DWORD kMaxPath = kMaxPathChars;
  const DWORD rc = os.files.GetFullPathNameA(infPath, kMaxPath, fullPath, required);
  if (fullPath.size() >= kMaxPath || (fullPath.empty() && required >= kMaxPath)) return kInfPathTooLong;
  if (rc != winerr::Success) return rc;

  std::unique_ptr<platform::Library> newdev;
  if (const DWORD loaded = os.libraries.LoadLibraryA(kNewDevLibrary, newdev); loaded != winerr::Success) return loaded;
  if (const DWORD found = newdev->FindFunction("UpdateDriverForPlugAndPlayDevicesA"); found != winerr::Success)
    return found;

  bool rebootRequired = false;
  DWORD result = os.devices.UpdateDriverForPlugAndPlayDevicesA(hardwareId, fullPath, 0, rebootRequired);
  // The devices already have a driver at least as good as the package's: nothing to do.
  if (result == winerr::NoMoreItems) result = winerr::Success;
  return result;
}

bool InstallUsbPrinterDriver(platform::Platform& os) {
  return InstallPnpDriver(os, ".\\driver\\usb\\KvxVT5USB.inf", kUsbPrinterDriverId) == winerr::Success;
}

bool InstallParallelPrinterDriver(platform::Platform& os) {
  return InstallPnpDriver(os, ".\\driver\\parallel\\Tolv.inf", kParallelPrinterId) == winerr::Success;
}

bool InstallUsbVirtualComDriver(platform::Platform& os) {
  return InstallPnpDriver(os, ".\\driver\\usb\\lindor_usbser.inf", kUsbVcomId) == winerr::Success;
}

bool IsDevicePresent(platform::Libraries& libraries, platform::DeviceSetup& devices, const std::string& setupClass,
                     const std::string& hardwareId) {
  bool present = false;
  (void)ForEachPresentDevice(libraries, devices, setupClass, hardwareId.c_str(), false,  // absent is all it tells
                             [&](platform::DeviceInfoSet&, const platform::DeviceInfoData&, DWORD&) {
                               present = true;
                               return false;
                             });
  return present;
}

PresentPorts FindPresentPorts(platform::Libraries& libraries, platform::DeviceSetup& devices, const PortFilter& filter) {
  PresentPorts found;
  const std::string prefix = filter.prefix;
  if (prefix.size() < kPortPrefixLength) return found;
  found.lastError = ForEachPresentDevice(
      libraries, devices, kPortsClass, filter.hardwareId, filter.exclude,
      [&](platform::DeviceInfoSet& set, const platform::DeviceInfoData& device, DWORD& last) {
        if (auto port = ReadPortName(set, device, prefix, last)) found.names.push_back(*port);
        DWORD regType = 0;
        const auto description = ReadProperty(set, device, platform::spdrp::DeviceDesc, regType, last);
        if (description && regType == platform::regtype::Sz) found.descriptions.push_back(FirstString(*description));
        return true;
      });
  return found;
}
