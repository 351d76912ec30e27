// A printer-settings file read through the Windows registry backend. Wine loads no binary hive (its
// registry is a text format of its own): its RegLoadAppKeyW answers 0 for any name, even a missing
// file's, with a key every call refuses (6). A file read there gives no settings and is refused all
// the same; what a real file gives is checked on the simulated machine.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/Win32Registry.h"
#include "settingsfile/PrinterSettings.h"

namespace {

TEST(SettingsFileOnWine, AMissingFileGivesNoSettings) {
  platform::win32::Win32Registry registry;
  const std::u16string missing = u"C:\\no-such-folder\\till.hive";
  std::unique_ptr<platform::RegistryKey> key;
  const LONG loaded = registry.LoadAppKeyW(missing, platform::regaccess::Read, key);
  settingsfile::PrinterSettings settings;
  const std::string problem = settingsfile::ReadPrinterSettings(registry, missing, settings);
  if (loaded == ERROR_SUCCESS) {
    platform::DWORD subKeys = 0, values = 0;
    EXPECT_EQ(key->QueryInfoKey(subKeys, values), ERROR_INVALID_HANDLE) << "Wine's key for a missing file";
    EXPECT_EQ(problem, "its \"Printer Driver\" value cannot be read: error 6");
  } else {
    EXPECT_EQ(loaded, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(problem, "the file does not exist");
  }
}

}  // namespace
