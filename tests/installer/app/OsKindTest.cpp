#include <gtest/gtest.h>

#include "app/CTolvInstallerApp.h"
#include "app/OsKind.h"

namespace {

platform::OsVersionInfoA Version(platform::DWORD platformId, platform::DWORD major, platform::DWORD minor) {
  platform::OsVersionInfoA info;
  info.dwPlatformId = platformId;
  info.dwMajorVersion = major;
  info.dwMinorVersion = minor;
  return info;
}

TEST(OsKindFromVersion, FollowsTheClassificationTable) {
  struct Row {
    platform::DWORD platformId, major, minor;
    std::optional<OsKind> kind;
  };
  const Row rows[] = {
      {0, 3, 10, kOsWin31},       {0, 0, 0, kOsWin31},         {1, 4, 0, kOsWin95},        {1, 4, 10, kOsWin98},
      {1, 4, 90, kOsWin98},       {2, 4, 0, kOsWinNt4},        {2, 5, 0, kOsWin2000},      {2, 5, 3, kOsWin2000},
      {2, 5, 1, kOsWinXp},        {2, 5, 2, kOsWin2003},       {2, 6, 0, kOsVistaOrLater}, {2, 6, 1, kOsVistaOrLater},
      {2, 6, 2, kOsVistaOrLater}, {2, 6, 3, kOsVistaOrLater},  {2, 10, 0, std::nullopt},   {2, 3, 51, std::nullopt},
      {3, 10, 0, std::nullopt},   {99, 6, 1, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.platformId << " " << row.major << "." << row.minor);
    EXPECT_EQ(OsKindFromVersion(Version(row.platformId, row.major, row.minor)), row.kind);
  }
}

TEST(AppName, IsTheProgramFileBaseName) {
  EXPECT_EQ(CTolvInstallerApp::AppNameFromModulePath("C:\\Program Files\\Korvex\\KvxInstaller.exe"), "KvxInstaller");
  EXPECT_EQ(CTolvInstallerApp::AppNameFromModulePath("Z:\\a.b\\Setup.v2.exe"), "Setup.v2");
  EXPECT_EQ(CTolvInstallerApp::AppNameFromModulePath("/usr/bin/kvxinstaller"), "kvxinstaller");
}

}  // namespace
