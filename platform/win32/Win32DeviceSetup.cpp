#include "platform/win32/Win32DeviceSetup.h"

#include <windows.h>
// windows.h first: the setup headers rely on its types.
#include <newdev.h>
#include <setupapi.h>

#include <cstring>

#include "platform/win32/Win32Registry.h"

namespace platform::win32 {

static_assert(sizeof(Guid) == sizeof(GUID));
static_assert(spdrp::DeviceDesc == SPDRP_DEVICEDESC && spdrp::HardwareId == SPDRP_HARDWAREID);
static_assert(digcf::Present == DIGCF_PRESENT);
static_assert(dicskey::ScopeGlobal == DICS_FLAG_GLOBAL && dicskey::KeyTypeDevice == DIREG_DEV);
static_assert(winerr::NoMoreItems == ERROR_NO_MORE_ITEMS && winerr::InvalidData == ERROR_INVALID_DATA);

namespace {

// The device at `index` of the set; SP_DEVINFO_DATA is looked up again rather than carried in the seam.
DWORD DeviceAt(HDEVINFO set, DWORD index, SP_DEVINFO_DATA& data) {
  data = SP_DEVINFO_DATA{};
  data.cbSize = sizeof data;
  return ::SetupDiEnumDeviceInfo(set, index, &data) ? ERROR_SUCCESS : ::GetLastError();
}

}  // namespace

Win32DeviceInfoSet::~Win32DeviceInfoSet() { ::SetupDiDestroyDeviceInfoList(set_); }

DWORD Win32DeviceInfoSet::SetupDiEnumDeviceInfo(DWORD index, DeviceInfoData& device) {
  SP_DEVINFO_DATA data;
  DWORD error = DeviceAt(set_, index, data);
  if (error == ERROR_SUCCESS) device.index = index;
  return error;
}

DWORD Win32DeviceInfoSet::SetupDiGetDeviceRegistryPropertyA(const DeviceInfoData& device, DWORD property,
                                                            DWORD bufferSize, DWORD& regType,
                                                            std::vector<std::uint8_t>& data, DWORD& required) {
  SP_DEVINFO_DATA info;
  required = 0;
  if (DWORD error = DeviceAt(set_, device.index, info); error != ERROR_SUCCESS) return error;
  std::vector<std::uint8_t> buffer(bufferSize);
  ::DWORD type = 0, need = 0;
  BOOL ok = ::SetupDiGetDeviceRegistryPropertyA(set_, &info, property, &type, buffer.empty() ? nullptr : buffer.data(),
                                                bufferSize, &need);
  regType = type;
  required = need;
  if (!ok) return ::GetLastError();
  buffer.resize(need < bufferSize ? need : bufferSize);
  data = std::move(buffer);
  return ERROR_SUCCESS;
}

DWORD Win32DeviceInfoSet::SetupDiOpenDevRegKey(const DeviceInfoData& device, DWORD scope, DWORD profile,
                                               DWORD keyType, DWORD access, std::unique_ptr<RegistryKey>& out) {
  SP_DEVINFO_DATA info;
  if (DWORD error = DeviceAt(set_, device.index, info); error != ERROR_SUCCESS) return error;
  HKEY key = ::SetupDiOpenDevRegKey(set_, &info, scope, profile, keyType, access);
  if (key == INVALID_HANDLE_VALUE) return ::GetLastError();
  out = std::make_unique<Win32RegistryKey>(key);
  return ERROR_SUCCESS;
}

DWORD Win32DeviceSetup::SetupDiClassGuidsFromNameA(const std::string& className, DWORD bufferCount,
                                                   std::vector<Guid>& guids, DWORD& required) {
  std::vector<GUID> buffer(bufferCount);
  ::DWORD need = 0;
  BOOL ok = ::SetupDiClassGuidsFromNameA(className.c_str(), buffer.empty() ? nullptr : buffer.data(), bufferCount,
                                         &need);
  required = need;
  if (!ok) return ::GetLastError();
  guids.clear();
  for (::DWORD i = 0; i < need && i < bufferCount; ++i) {
    Guid id;
    std::memcpy(id.data(), &buffer[i], id.size());
    guids.push_back(id);
  }
  return ERROR_SUCCESS;
}

DWORD Win32DeviceSetup::SetupDiGetClassDevsA(const Guid& classGuid, DWORD flags, std::unique_ptr<DeviceInfoSet>& out) {
  GUID id;
  std::memcpy(&id, classGuid.data(), sizeof id);
  HDEVINFO set = ::SetupDiGetClassDevsA(&id, nullptr, nullptr, flags);
  if (set == INVALID_HANDLE_VALUE) return ::GetLastError();
  out = std::make_unique<Win32DeviceInfoSet>(set);
  return ERROR_SUCCESS;
}

DWORD Win32DeviceSetup::UpdateDriverForPlugAndPlayDevicesA(const std::string& hardwareId,
                                                           const std::string& fullInfPath, DWORD installFlags,
                                                           bool& rebootRequired) {
  BOOL reboot = FALSE;
  BOOL ok = ::UpdateDriverForPlugAndPlayDevicesA(::GetTopWindow(::GetDesktopWindow()), hardwareId.c_str(),
                                                 fullInfPath.c_str(), installFlags, &reboot);
  rebootRequired = reboot != FALSE;
  return ok ? ERROR_SUCCESS : ::GetLastError();
}

}  // namespace platform::win32
