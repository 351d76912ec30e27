// Run-time libraries and the device setup backend: what the installer's device lookup relies on
// and Wine does as Windows does (Wine has no device presence, so no device is expected here).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/Win32DeviceSetup.h"
#include "platform/win32/Win32Libraries.h"
#include "WineHost.h"

namespace {

namespace winerr = platform::winerr;
// The seam's DWORD, not <windows.h>'s.
using DWORD = platform::DWORD;
using platform::Guid;

TEST(Win32Libraries, FindsTheSetupFunctionsTheDeviceLookupNeeds) {
  platform::win32::Win32Libraries libraries;
  std::unique_ptr<platform::Library> setupapi;
  ASSERT_EQ(libraries.LoadLibraryA("SETUPAPI.DLL", setupapi), winerr::Success);
  ASSERT_NE(setupapi, nullptr);
  for (const char* name : {"SetupDiOpenDevRegKey", "SetupDiClassGuidsFromNameA", "SetupDiGetClassDevsA",
                           "SetupDiGetDeviceRegistryPropertyA", "SetupDiDestroyDeviceInfoList",
                           "SetupDiEnumDeviceInfo"})
    EXPECT_EQ(setupapi->FindFunction(name), winerr::Success) << name;
  EXPECT_EQ(setupapi->FindFunction("SetupDiKvxNoSuchFunction"), winerr::ProcNotFound);

  std::unique_ptr<platform::Library> newdev;
  ASSERT_EQ(libraries.LoadLibraryA("newdev.dll", newdev), winerr::Success);
  EXPECT_EQ(newdev->FindFunction("UpdateDriverForPlugAndPlayDevicesA"), winerr::Success);
}

TEST(Win32Libraries, MissingLibraryIsModNotFound) {
  platform::win32::Win32Libraries libraries;
  std::unique_ptr<platform::Library> library;
  EXPECT_EQ(libraries.LoadLibraryA("kvx_no_such_library.dll", library), winerr::ModNotFound);
  EXPECT_EQ(library, nullptr);
}

// The backends call the setup and port functions through LoadedFunction: what is missing is the call's error.
TEST(Win32Libraries, ALoadedFunctionReportsWhatIsMissing) {
  struct Case {
    const char* library;
    const char* function;
    DWORD error;
  };
  for (const Case& c : {Case{"kvx_no_such_library.dll", "SetupDiEnumDeviceInfo", winerr::ModNotFound},
                        Case{"SETUPAPI.DLL", "SetupDiKvxNoSuchFunction", winerr::ProcNotFound},
                        Case{"winspool.drv", "AddPortExA", winerr::Success}}) {
    platform::win32::LoadedFunction<void()> function(c.library, c.function);
    EXPECT_EQ(function.error(), c.error) << c.library << " " << c.function;
  }
}

// Each library object holds its own reference: freeing one leaves the module loaded for the other.
TEST(Win32Libraries, EachLoadHoldsItsOwnReference) {
  platform::win32::Win32Libraries libraries;
  std::unique_ptr<platform::Library> first, second;
  ASSERT_EQ(libraries.LoadLibraryA("SETUPAPI.DLL", first), winerr::Success);
  ASSERT_EQ(libraries.LoadLibraryA("SETUPAPI.DLL", second), winerr::Success);
  first.reset();
  EXPECT_EQ(second->FindFunction("SetupDiEnumDeviceInfo"), winerr::Success);
}

// {4D36E978-E325-11CE-BFC1-08002BE10318} in memory order.
constexpr Guid kPortsClass = {0x78, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11,
                              0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};

TEST(Win32DeviceSetup, PortsClassNameHasOneClassId) {
  platform::win32::Win32DeviceSetup devices;
  std::vector<Guid> guids;
  DWORD required = 0;
  EXPECT_EQ(devices.SetupDiClassGuidsFromNameA("Ports", 0, guids, required), winerr::InsufficientBuffer);
  EXPECT_EQ(required, 1u);
  ASSERT_EQ(devices.SetupDiClassGuidsFromNameA("Ports", 1, guids, required), winerr::Success);
  ASSERT_EQ(guids.size(), 1u);
  EXPECT_EQ(guids[0], kPortsClass);
  ASSERT_EQ(devices.SetupDiClassGuidsFromNameA("ports", 4, guids, required), winerr::Success);
  EXPECT_EQ(guids, std::vector<Guid>{kPortsClass});
}

TEST(Win32DeviceSetup, UnknownClassNameHasNoClassId) {
  platform::win32::Win32DeviceSetup devices;
  std::vector<Guid> guids;
  DWORD required = 7;
  EXPECT_EQ(devices.SetupDiClassGuidsFromNameA("KvxNoSuchClass", 0, guids, required), winerr::Success);
  EXPECT_EQ(required, 0u);
}

// The enumeration ends with ERROR_NO_MORE_ITEMS, and a device index past the end is refused by
// every call that takes one.
TEST(Win32DeviceSetup, PresentDeviceEnumerationEnds) {
  platform::win32::Win32DeviceSetup devices;
  std::unique_ptr<platform::DeviceInfoSet> set;
  ASSERT_EQ(devices.SetupDiGetClassDevsA(kPortsClass, platform::digcf::Present, set), winerr::Success);
  ASSERT_NE(set, nullptr);
  platform::DeviceInfoData device;
  DWORD index = 0;
  DWORD error = winerr::Success;
  while (index < 256 && (error = set->SetupDiEnumDeviceInfo(index, device)) == winerr::Success) {
    EXPECT_EQ(device.index, index);
    ++index;
  }
  EXPECT_EQ(error, winerr::NoMoreItems);

  platform::DeviceInfoData pastEnd;
  pastEnd.index = index;
  DWORD type = 0, required = 0;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(set->SetupDiGetDeviceRegistryPropertyA(pastEnd, platform::spdrp::HardwareId, 256, type, data, required),
            winerr::NoMoreItems);
  std::unique_ptr<platform::RegistryKey> key;
  EXPECT_EQ(set->SetupDiOpenDevRegKey(pastEnd, platform::dicskey::ScopeGlobal, platform::dicskey::ProfileCurrent,
                                      platform::dicskey::KeyTypeDevice, KEY_QUERY_VALUE, key),
            winerr::NoMoreItems);
  EXPECT_EQ(key, nullptr);
}

Guid ClassId(const std::string& name) {
  platform::win32::Win32DeviceSetup devices;
  std::vector<Guid> guids;
  DWORD required = 0;
  devices.SetupDiClassGuidsFromNameA(name, 1, guids, required);
  return guids.empty() ? Guid{} : guids[0];
}

// Every Windows, and Wine, has present devices of the "System" class; their hardware ids are
// multi-strings that the installer reads into a fixed buffer.
TEST(Win32DeviceSetup, HardwareIdsOfSystemDevicesHonourTheBufferSize) {
  platform::win32::Win32DeviceSetup devices;
  std::unique_ptr<platform::DeviceInfoSet> set;
  ASSERT_EQ(devices.SetupDiGetClassDevsA(ClassId("System"), platform::digcf::Present, set), winerr::Success);
  platform::DeviceInfoData device;
  DWORD index = 0;
  for (; set->SetupDiEnumDeviceInfo(index, device) == winerr::Success && index < 8; ++index) {
    SCOPED_TRACE(index);
    DWORD type = 0, required = 0;
    std::vector<std::uint8_t> data;
    DWORD error = set->SetupDiGetDeviceRegistryPropertyA(device, platform::spdrp::HardwareId, 1024, type, data,
                                                         required);
    if (error == winerr::InvalidData) continue;  // a device without hardware ids
    ASSERT_EQ(error, winerr::Success);
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    ASSERT_EQ(data.size(), required);
    ASSERT_GE(data.size(), 3u);
    EXPECT_NE(data[0], 0);
    const std::uint8_t end[] = {0, 0};
    auto terminator = std::search(data.begin(), data.end(), std::begin(end), std::end(end));
    ASSERT_NE(terminator, data.end()) << "no double NUL";
    // Wine 8 reports (and copies) the size of the UTF-16 value, twice the 8-bit list's.
    if (!wine_host::UnderWine()) {
      EXPECT_EQ(terminator + 2, data.end());
    }

    std::vector<std::uint8_t> small{42};
    DWORD smallRequired = 0;
    EXPECT_EQ(set->SetupDiGetDeviceRegistryPropertyA(device, platform::spdrp::HardwareId, 1, type, small,
                                                     smallRequired),
              winerr::InsufficientBuffer);
    EXPECT_EQ(smallRequired, required);
  }
  EXPECT_GT(index, 0u);
}

}  // namespace
