#pragma once
#include "platform/DeviceSetup.h"
#include "platform/win32/Win32Libraries.h"

namespace platform::win32 {

// Owns one HDEVINFO and destroys the list when destroyed. It holds its own reference to
// "SETUPAPI.DLL", whose functions it calls, for as long as the list lives.
class Win32DeviceInfoSet final : public DeviceInfoSet {
public:
  Win32DeviceInfoSet(std::unique_ptr<Win32Library> setupApi, void* set)
      : setupApi_(std::move(setupApi)), set_(set) {}
  ~Win32DeviceInfoSet() override;
  Win32DeviceInfoSet(const Win32DeviceInfoSet&) = delete;
  Win32DeviceInfoSet& operator=(const Win32DeviceInfoSet&) = delete;

  DWORD SetupDiEnumDeviceInfo(DWORD index, DeviceInfoData& device) override;
  DWORD SetupDiGetDeviceRegistryPropertyA(const DeviceInfoData& device, DWORD property, DWORD bufferSize,
                                          DWORD& regType, std::vector<std::uint8_t>& data, DWORD& required) override;
  DWORD SetupDiOpenDevRegKey(const DeviceInfoData& device, DWORD scope, DWORD profile, DWORD keyType, DWORD access,
                             std::unique_ptr<RegistryKey>& out) override;

private:
  std::unique_ptr<Win32Library> setupApi_;
  void* set_;
};

// Each call loads "SETUPAPI.DLL" or "newdev.dll" and looks its function up by name, as the
// installer does before it calls: the program does not depend on them to start.
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
