// The engine's registration and spooler control against the real spooler and service manager.
// Adding the printer queue itself stays a simulated-machine test: Wine refuses a printer record
// without a datatype (87), which Windows accepts.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/ErrorLog.h"
#include "engine/Win2kXPInstaller.h"
#include "platform/win32/SpoolerTestSupport.h"
#include "platform/win32/Win32Platform.h"

namespace {

const char kCatalog[] =
    "[Supported.Printers]\r\nRQ-7200 TH\r\nOstrel=RQ-7200 TH\r\n\r\n[KvxDrivers.2K.FILES]\r\n"
    "driver=KorvexVT5K.dll\r\nmonitor=KorvexMon.dll\r\nmonitorUI=KorvexMonUI.dll\r\nrenderUI=TolvUIRQ7K.dll\r\n";

// The test runs in a folder of its own holding the catalog, as the program runs in its media folder.
class DistributionFolder {
public:
  DistributionFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    dir_ = std::filesystem::path(temp) / ("kvx-engine-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(dir_);
    std::ofstream(dir_ / "KvxIns.ini", std::ios::binary) << kCatalog;
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
  }
  ~DistributionFolder() {
    std::filesystem::current_path(old_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string ErrorLog() const {
    std::ifstream in(dir_ / "errors.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

private:
  std::filesystem::path dir_, old_;
};

bool DriverRegistered(const std::string& name) {
  DWORD needed = 0, count = 0;
  EnumPrinterDriversA(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + 1);
  if (!EnumPrinterDriversA(nullptr, nullptr, 1, buffer.data(), needed, &needed, &count)) return false;
  const auto* drivers = reinterpret_cast<const DRIVER_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    if (name == drivers[i].pName) return true;
  return false;
}

TEST(EngineOnWine, RegistersTheDriverAroundSpoolerRestarts) {
  DistributionFolder folder;
  platform::win32::Win32Platform system;
  platform::Platform os = system.platform();
  EngineContext context{os, [](int) { return std::string(); }, [] { return kOsVistaOrLater; }, [] {}, {}};
  Win2kXPInstaller installer(context);
  const std::string name = "KvxWine RQ-7200 TH";
  installer.record.modelName = name;

  installer.StopSpooler();
  EXPECT_TRUE(installer.WaitForSpoolerRunning());
  installer.BuildFileList(name);
  spooler_test::DriverFiles files;
  for (const std::string& file : installer.record.fileList) files.Make(spooler_test::DriverDirectory() + "\\" + file);

  EXPECT_TRUE(installer.AddDriver(name));
  EXPECT_EQ(installer.record.lastError, 0u);
  EXPECT_TRUE(DriverRegistered(name));
  installer.CycleSpooler();
  installer.StartSpoolerAndWait();
  EXPECT_TRUE(installer.WaitForSpoolerRunning());
  EXPECT_EQ(folder.ErrorLog(), "");
  spooler_test::RemoveDriver(name);
}

TEST(EngineOnWine, ErrorLogLinesEndInCrLf) {
  DistributionFolder folder;
  platform::win32::Win32Platform system;
  platform::FileSystem& files = system.platform().files;
  LogError(files, "AddPrinter FAILED with code: %d", 1797);
  LogError(files, "CopyFile(%s,%s,FALSE) FAILED CODE: %d", ".\\WIN2KXP\\a%d.dll", "C:\\x", 5);
  EXPECT_EQ(folder.ErrorLog(),
            "AddPrinter FAILED with code: 1797\r\nCopyFile(.\\WIN2KXP\\a%d.dll,C:\\x,FALSE) FAILED CODE: 5\r\n");
}

}  // namespace
