#pragma once
// The functions the system looks up by name in the libraries it loads at run time, as Windows
// exports them, and names that no such library exports. The simulated machine and the real
// libraries (under Wine) must both answer them alike.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "platform/DeviceSetup.h"

namespace cases {

struct LibraryFunction {
  const char* library;
  const char* function;
};

inline constexpr std::array<LibraryFunction, 10> kLookedUpFunctions = {{
    {"newdev.dll", "UpdateDriverForPlugAndPlayDevicesA"},
    {"SETUPAPI.DLL", "SetupDiOpenDevRegKey"},
    {"SETUPAPI.DLL", "SetupDiClassGuidsFromNameA"},
    {"SETUPAPI.DLL", "SetupDiGetClassDevsA"},
    {"SETUPAPI.DLL", "SetupDiGetDeviceRegistryPropertyA"},
    {"SETUPAPI.DLL", "SetupDiDestroyDeviceInfoList"},
    {"SETUPAPI.DLL", "SetupDiEnumDeviceInfo"},
    {"winspool.drv", "AddPortExA"},
    {"Netapi32.dll", "NetUserGetInfo"},
    {"Netapi32.dll", "NetApiBufferFree"},
}};

// A misspelling, another letter case, a character set that does not exist, another library's function.
inline constexpr std::array<LibraryFunction, 5> kNotExported = {{
    {"newdev.dll", "UpdateDriverForPlugAndPlayDeviceA"},
    {"SETUPAPI.DLL", "SetupDiGetClassDevsa"},
    {"Netapi32.dll", "NetUserGetInfoA"},
    {"winspool.drv", "AddPortEx"},
    {"SETUPAPI.DLL", "UpdateDriverForPlugAndPlayDevicesA"},
}};

// Each looked-up function is found, each other name answers 127.
inline void ExpectExactExports(platform::Libraries& libraries) {
  auto find = [&](const LibraryFunction& row) {
    std::unique_ptr<platform::Library> library;
    const platform::DWORD loaded = libraries.LoadLibraryA(row.library, library);
    return loaded != platform::winerr::Success ? loaded : library->FindFunction(row.function);
  };
  for (const auto& row : kLookedUpFunctions) EXPECT_EQ(find(row), platform::winerr::Success) << row.function;
  for (const auto& row : kNotExported) EXPECT_EQ(find(row), platform::winerr::ProcNotFound) << row.function;
}

}  // namespace cases
