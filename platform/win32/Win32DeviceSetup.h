#pragma once
#include "platform/DeviceSetup.h"

namespace platform::win32 {

// Owns one HDEVINFO and destroys the list when destroyed.
class Win32DeviceInfoSet final : public DeviceInfoSet {
public:
  explicit Win32DeviceInfoSet(void* set) : set_(set) {}
  ~Win32DeviceInfoSet() override;
  Win32DeviceInfoSet(const Win32DeviceInfoSet&) = delete;
  Win32DeviceInfoSet& operator=(const Win32DeviceInfoSet&) = delete;

  DWORD SetupDiEnumDeviceInfo(DWORD index, DeviceInfoData& device) override;
  DWORD SetupDiGetDeviceRegistryPropertyA(const DeviceInfoData& device, DWORD property, DWORD bufferSize,
                                          DWORD& regType, std::vector<std::uint8_t>& data, DWORD& required) override;
  DWORD SetupDiOpenDevRegKey(const DeviceInfoData& device, DWORD scope, DWORD profile, DWORD keyType, DWORD access,
                             std::unique_ptr<RegistryKey>& out) override;

private:
  void* set_;
};

class Win32DeviceSetup final : public DeviceSetup {
public:
  DWORD SetupDiClassGuidsFromNameA(const std::string& className, DWORD bufferCount, std::vector<Guid>& guids,
                                   DWORD& required) override;
  DWORD SetupDiGetClassDevsA(const Guid& classGuid, DWORD flags, std::unique_ptr<DeviceInfoSet>& out) override;
  // The parent window is the one at the top of the desktop's z-order, as the installer's own messages use.
  DWORD UpdateDriverForPlugAndPlayDevicesA(const std::string& hardwareId, const std::string& fullInfPath,
                                           DWORD installFlags, bool& rebootRequired) override;
};

}  // namespace platform::win32
