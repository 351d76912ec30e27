#include "platform/win32/Win32DeviceSetup.h"

#include <windows.h>
// windows.h first: the setup headers rely on its types. They are included for the functions'
// types only; the functions themselves are looked up at run time.
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

constexpr const char* kSetupApi = "SETUPAPI.DLL";
constexpr const char* kNewDev = "newdev.dll";

// The device at `index` of the set; SP_DEVINFO_DATA is looked up again rather than carried in the seam.
DWORD DeviceAt(const Win32Library& setupApi, HDEVINFO set, DWORD index, SP_DEVINFO_DATA& data) {
  decltype(::SetupDiEnumDeviceInfo)* enumDeviceInfo = nullptr;
  if (DWORD error = setupApi.Find("SetupDiEnumDeviceInfo", enumDeviceInfo); error != ERROR_SUCCESS) return error;
  data = SP_DEVINFO_DATA{};
  data.cbSize = sizeof data;
  return enumDeviceInfo(set, index, &data) ? ERROR_SUCCESS : ::GetLastError();
}

}  // namespace

Win32DeviceInfoSet::~Win32DeviceInfoSet() {
  decltype(::SetupDiDestroyDeviceInfoList)* destroy = nullptr;
  if (setupApi_->Find("SetupDiDestroyDeviceInfoList", destroy) == ERROR_SUCCESS) destroy(set_);
}

DWORD Win32DeviceInfoSet::SetupDiEnumDeviceInfo(DWORD index, DeviceInfoData& device) {
  SP_DEVINFO_DATA data;
  DWORD error = DeviceAt(*setupApi_, set_, index, data);
  if (error == ERROR_SUCCESS) device.index = index;
  return error;
}

DWORD Win32DeviceInfoSet::SetupDiGetDeviceRegistryPropertyA(const DeviceInfoData& device, DWORD property,
                                                            DWORD bufferSize, DWORD& regType,
                                                            std::vector<std::uint8_t>& data, DWORD& required) {
  required = 0;
  decltype(::SetupDiGetDeviceRegistryPropertyA)* getProperty = nullptr;
  if (DWORD error = setupApi_->Find("SetupDiGetDeviceRegistryPropertyA", getProperty); error != ERROR_SUCCESS)
    return error;
  SP_DEVINFO_DATA info;
  if (DWORD error = DeviceAt(*setupApi_, set_, device.index, info); error != ERROR_SUCCESS) return error;
  std::vector<std::uint8_t> buffer(bufferSize);
  ::DWORD type = 0, need = 0;
  BOOL ok = getProperty(set_, &info, property, &type, buffer.empty() ? nullptr : buffer.data(), bufferSize, &need);
  regType = type;
  required = need;
  if (!ok) return ::GetLastError();
  buffer.resize(need < bufferSize ? need : bufferSize);
  data = std::move(buffer);
  return ERROR_SUCCESS;
}

DWORD Win32DeviceInfoSet::SetupDiOpenDevRegKey(const DeviceInfoData& device, DWORD scope, DWORD profile,
                                               DWORD keyType, DWORD access, std::unique_ptr<RegistryKey>& out) {
  decltype(::SetupDiOpenDevRegKey)* openKey = nullptr;
  if (DWORD error = setupApi_->Find("SetupDiOpenDevRegKey", openKey); error != ERROR_SUCCESS) return error;
  SP_DEVINFO_DATA info;
  if (DWORD error = DeviceAt(*setupApi_, set_, device.index, info); error != ERROR_SUCCESS) return error;
  HKEY key = openKey(set_, &info, scope, profile, keyType, access);
  if (key == INVALID_HANDLE_VALUE) return ::GetLastError();
  out = std::make_unique<Win32RegistryKey>(key);
  return ERROR_SUCCESS;
}

DWORD Win32DeviceSetup::SetupDiClassGuidsFromNameA(const std::string& className, DWORD bufferCount,
                                                   std::vector<Guid>& guids, DWORD& required) {
  LoadedFunction<decltype(::SetupDiClassGuidsFromNameA)> classGuidsFromName(kSetupApi, "SetupDiClassGuidsFromNameA");
  if (classGuidsFromName.error() != ERROR_SUCCESS) return classGuidsFromName.error();
  std::vector<GUID> buffer(bufferCount);
  ::DWORD need = 0;
  BOOL ok = classGuidsFromName(className.c_str(), buffer.empty() ? nullptr : buffer.data(), bufferCount, &need);
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
  std::unique_ptr<Win32Library> setupApi;
  if (DWORD error = Win32Library::Load(kSetupApi, setupApi); error != ERROR_SUCCESS) return error;
  decltype(::SetupDiGetClassDevsA)* getClassDevs = nullptr;
  if (DWORD error = setupApi->Find("SetupDiGetClassDevsA", getClassDevs); error != ERROR_SUCCESS) return error;
  GUID id;
  std::memcpy(&id, classGuid.data(), sizeof id);
  HDEVINFO set = getClassDevs(&id, nullptr, nullptr, flags);
  if (set == INVALID_HANDLE_VALUE) return ::GetLastError();
  out = std::make_unique<Win32DeviceInfoSet>(std::move(setupApi), set);
  return ERROR_SUCCESS;
}

DWORD Win32DeviceSetup::UpdateDriverForPlugAndPlayDevicesA(const std::string& hardwareId,
                                                           const std::string& fullInfPath, DWORD installFlags,
                                                           bool& rebootRequired) {
  rebootRequired = false;
  LoadedFunction<decltype(::UpdateDriverForPlugAndPlayDevicesA)> updateDriver(kNewDev,
                                                                             "UpdateDriverForPlugAndPlayDevicesA");
  if (updateDriver.error() != ERROR_SUCCESS) return updateDriver.error();
  BOOL reboot = FALSE;
  BOOL ok = updateDriver(::GetTopWindow(::GetDesktopWindow()), hardwareId.c_str(), fullInfPath.c_str(), installFlags,
                         &reboot);
  rebootRequired = reboot != FALSE;
  return ok ? ERROR_SUCCESS : ::GetLastError();
}

}  // namespace platform::win32
