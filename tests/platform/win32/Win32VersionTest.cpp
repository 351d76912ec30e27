#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "platform/win32/Win32Version.h"
#include "WineHost.h"

namespace {

using platform::OsVersionInfoA;

// What GetVersionExA reports for each Wine setting to a program without a compatibility manifest.
std::pair<DWORD, DWORD> WineReportedVersion(const std::string& setting) {
  static const std::map<std::string, std::pair<DWORD, DWORD>> table = {
      {"", {6, 1}},        {"win7", {6, 1}},    {"win8", {6, 2}},     {"win81", {6, 2}},    {"win10", {6, 2}},
      {"win11", {6, 2}},   {"vista", {6, 0}},   {"win2008", {6, 0}},  {"win2003", {5, 2}},  {"winxp64", {5, 2}},
      {"winxp", {5, 1}},   {"win2k", {5, 0}},
  };
  auto found = table.find(setting);
  return found == table.end() ? std::pair<DWORD, DWORD>{0, 0} : found->second;
}

TEST(Win32Version, ReportsTheConfiguredWindowsNt) {
  platform::win32::Win32Version version;
  OsVersionInfoA info;
  info.dwOSVersionInfoSize = 148;
  ASSERT_EQ(version.GetVersionExA(info), platform::winerr::Success);
  EXPECT_EQ(info.dwPlatformId, platform::osplatform::Nt);
  EXPECT_GT(info.dwBuildNumber, 0u);
  if (wine_host::UnderWine()) {
    std::string setting = wine_host::ConfiguredVersion();
    auto [major, minor] = WineReportedVersion(setting);
    ASSERT_NE(major, 0u) << "unknown Wine version setting " << setting;
    EXPECT_EQ(info.dwMajorVersion, major) << "setting \"" << setting << "\"";
    EXPECT_EQ(info.dwMinorVersion, minor) << "setting \"" << setting << "\"";
  } else {
    EXPECT_GE(info.dwMajorVersion, 6u);  // everything this runs on is Vista or later
  }
}

TEST(Win32Version, ExtendedRecordSizeIsAccepted) {
  platform::win32::Win32Version version;
  OsVersionInfoA plain;
  OsVersionInfoA extended;
  extended.dwOSVersionInfoSize = 156;
  ASSERT_EQ(version.GetVersionExA(plain), platform::winerr::Success);
  ASSERT_EQ(version.GetVersionExA(extended), platform::winerr::Success);
  EXPECT_EQ(extended.dwMajorVersion, plain.dwMajorVersion);
  EXPECT_EQ(extended.dwMinorVersion, plain.dwMinorVersion);
  EXPECT_EQ(extended.dwBuildNumber, plain.dwBuildNumber);
  EXPECT_EQ(extended.szCSDVersion, plain.szCSDVersion);
}

TEST(Win32Version, OtherRecordSizesFailWithInsufficientBuffer) {
  platform::win32::Win32Version version;
  for (DWORD size : {0u, 147u, 150u, 160u}) {
    OsVersionInfoA info;
    info.dwOSVersionInfoSize = size;
    EXPECT_EQ(version.GetVersionExA(info), platform::winerr::InsufficientBuffer) << "size " << size;
    EXPECT_EQ(info.dwMajorVersion, 0u);
  }
}

}  // namespace
