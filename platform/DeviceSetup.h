#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/Win32Types.h"

namespace platform {

using Guid = std::array<std::uint8_t, 16>;

// A library loaded for one call (LoadLibraryA); destruction frees it (FreeLibrary).
class Library {
public:
  virtual ~Library() = default;
  // GetProcAddress: 0 when the function is there, winerr::ProcNotFound (127) when not.
  [[nodiscard]] virtual DWORD FindFunction(const std::string& name) = 0;
};

class Libraries {
public:
  virtual ~Libraries() = default;
  // winerr::ModNotFound (126) when there is no such library.
  [[nodiscard]] virtual DWORD LoadLibraryA(const std::string& name, std::unique_ptr<Library>& out) = 0;
};

namespace spdrp {
constexpr DWORD DeviceDesc = 0x0;
constexpr DWORD HardwareId = 0x1;
}  // namespace spdrp

namespace digcf {
constexpr DWORD Present = 0x2;
}  // namespace digcf

namespace dicskey {
constexpr DWORD ScopeGlobal = 0x1;
constexpr DWORD ProfileCurrent = 0x0;  // hardware profile 0: the current one
constexpr DWORD KeyTypeDevice = 0x1;   // DIREG_DEV
}  // namespace dicskey

// SP_DEVINFO_DATA as far as the caller uses it: which device of the set.
struct DeviceInfoData {
  DWORD index = 0;
};

// A device information set (HDEVINFO); destruction is SetupDiDestroyDeviceInfoList.
class DeviceInfoSet {
public:
  virtual ~DeviceInfoSet() = default;
  // winerr::NoMoreItems past the last device.
  [[nodiscard]] virtual DWORD SetupDiEnumDeviceInfo(DWORD index, DeviceInfoData& device) = 0;
  // Reads a property into a buffer of bufferSize bytes: `data` receives what fits (resized to
  // the property size), `required` the size the property takes; winerr::InsufficientBuffer when
  // it does not fit, winerr::InvalidData when the device has no such property.
  [[nodiscard]] virtual DWORD SetupDiGetDeviceRegistryPropertyA(const DeviceInfoData& device, DWORD property,
                                                                DWORD bufferSize, DWORD& regType,
                                                                std::vector<std::uint8_t>& data, DWORD& required) = 0;
  [[nodiscard]] virtual DWORD SetupDiOpenDevRegKey(const DeviceInfoData& device, DWORD scope, DWORD profile,
                                                   DWORD keyType, DWORD access, std::unique_ptr<RegistryKey>& out) = 0;
};

// The functions of "SETUPAPI.DLL" and "newdev.dll" the installer calls once it found them in the
// loaded library (see Libraries).
class DeviceSetup {
public:
  virtual ~DeviceSetup() = default;
  // Class ids of a setup class name: `required` receives how many there are; up to bufferCount
  // of them are copied into `guids`. winerr::InsufficientBuffer when bufferCount is smaller.
  [[nodiscard]] virtual DWORD SetupDiClassGuidsFromNameA(const std::string& className, DWORD bufferCount,
                                                         std::vector<Guid>& guids, DWORD& required) = 0;
  [[nodiscard]] virtual DWORD SetupDiGetClassDevsA(const Guid& classGuid, DWORD flags,
                                                   std::unique_ptr<DeviceInfoSet>& out) = 0;
  // "newdev.dll": installs the INF's driver for every present device with the hardware id.
  // winerr::NoMoreItems (259) when the package is not better than the devices' drivers.
  [[nodiscard]] virtual DWORD UpdateDriverForPlugAndPlayDevicesA(const std::string& hardwareId,
                                                                 const std::string& fullInfPath, DWORD installFlags,
                                                                 bool& rebootRequired) = 0;
};

}  // namespace platform
