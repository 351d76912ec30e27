// Port listing, port monitor registration and port creation against the real spooler, with a
// small monitor built for the tests. Everything registered here is removed again.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestLibraries.h"
#include "WineHost.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32PrintSpooler.h"

namespace {

namespace winerr = platform::winerr;
// The seam's DWORD, not <windows.h>'s.
using DWORD = platform::DWORD;
using platform::win32::Win32PrintSpooler;

constexpr const char* kMonitor = "Kvx Test Port Monitor";
constexpr const char* kMonitorDll = "kvx_test_monitor.dll";
constexpr const char* kEnvironment = "Windows x64";

TEST(Win32PortMonitor, EnumPortsListsTheParallelPort) {
  Win32PrintSpooler spooler;
  std::vector<std::string> ports{"stale"};
  ASSERT_EQ(spooler.EnumPortsA(ports), winerr::Success);
  EXPECT_NE(std::find(ports.begin(), ports.end(), "LPT1:"), ports.end());
  EXPECT_EQ(std::find(ports.begin(), ports.end(), "stale"), ports.end());
}

// The monitor module copied into the system directory, and its registration, for one test.
class RegisteredMonitor : public ::testing::Test {
protected:
  void SetUp() override {
    platform::win32::Win32FileSystem files;
    ASSERT_EQ(files.GetSystemDirectoryA(systemDll_), winerr::Success);
    systemDll_ += std::string("\\") + kMonitorDll;
    Unregister();
    // A copy left by an earlier run may still be in use; it is the same module.
    DWORD error = files.CopyFileA(test_libraries::PortMonitor(), systemDll_, false);
    DWORD attributes = 0;
    ASSERT_TRUE(error == winerr::Success || files.GetFileAttributesA(systemDll_, attributes) == winerr::Success)
        << error;
  }
  void TearDown() override {
    Unregister();
    DeleteFileA(systemDll_.c_str());
  }
  static void Unregister() { DeleteMonitorA(nullptr, nullptr, const_cast<char*>(kMonitor)); }

  Win32PrintSpooler spooler_;
  std::string systemDll_;
};

TEST_F(RegisteredMonitor, SecondRegistrationIsAlreadyInstalled) {
  ASSERT_EQ(spooler_.AddMonitorA(kMonitor, std::string(kEnvironment), kMonitorDll), winerr::Success);
  EXPECT_EQ(spooler_.AddMonitorA(kMonitor, std::string(kEnvironment), kMonitorDll),
            static_cast<DWORD>(ERROR_PRINT_MONITOR_ALREADY_INSTALLED));
}

TEST_F(RegisteredMonitor, MissingModuleIsModNotFound) {
  EXPECT_EQ(spooler_.AddMonitorA(kMonitor, std::string(kEnvironment), "kvx_no_such_monitor.dll"),
            winerr::ModNotFound);
  // Nothing was registered: the real module registers afterwards.
  EXPECT_EQ(spooler_.AddMonitorA(kMonitor, std::string(kEnvironment), kMonitorDll), winerr::Success);
}

TEST_F(RegisteredMonitor, NetworkPortIsAddedThroughTheMonitor) {
  ASSERT_EQ(spooler_.AddMonitorA(kMonitor, std::string(kEnvironment), kMonitorDll), winerr::Success);
  EXPECT_EQ(spooler_.AddPortExA("Kvx_IP_127.0.0.1", kMonitor), winerr::Success);
  // The test monitor refuses this one: its answer comes back unchanged.
  EXPECT_EQ(spooler_.AddPortExA("Kvx_Refused", kMonitor), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

// The port is found through the monitor's key, where the installer keeps its number, and deleted
// by the monitor; then the monitor goes. Wine 8 answers a port of no monitor with 50, not 1796.
TEST_F(RegisteredMonitor, PortAndMonitorAreDeletedThroughTheSpooler) {
  ASSERT_EQ(spooler_.AddMonitorA(kMonitor, std::string(kEnvironment), kMonitorDll), winerr::Success);
  ASSERT_EQ(spooler_.AddPortExA("Kvx_IP_127.0.0.2", kMonitor), winerr::Success);
  const std::string portKey = std::string("SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\") + kMonitor +
                              "\\Ports\\Kvx_IP_127.0.0.2";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, portKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(spooler_.DeletePortA("Kvx_IP_127.0.0.2"), winerr::Success);
  EXPECT_EQ(spooler_.DeletePortA("Kvx_Unknown"),
            static_cast<DWORD>(wine_host::UnderWine() ? ERROR_NOT_SUPPORTED : ERROR_UNKNOWN_PORT));
  EXPECT_EQ(spooler_.DeleteMonitorA(kMonitor, std::string(kEnvironment)), winerr::Success);
  EXPECT_EQ(spooler_.DeleteMonitorA(kMonitor, std::string(kEnvironment)), winerr::UnknownPrintMonitor);
}

}  // namespace
