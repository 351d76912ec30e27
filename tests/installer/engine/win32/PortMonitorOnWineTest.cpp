// The engine's port monitor installation and driver file copy against the real spooler, file system
// and registry, with the monitor built for the tests standing in for the shipped one. Only serial and
// network ports: Wine has no device presence, so the USB and parallel paths stay simulated-machine tests.
// Everything registered or copied here is removed again, so a rerun in the same prefix starts clean.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/InstallSequence.h"
#include "engine/PortMonitorContract.h"
#include "engine/PortMonitorInstall.h"
#include "engine/Win2kXPInstaller.h"
#include "platform/win32/TestLibraries.h"
#include "platform/win32/Win32Platform.h"
#include "support/ForwardingServices.h"

namespace {

namespace winerr = platform::winerr;
using test_libraries::ReadFile;
using test_libraries::WriteFile;

constexpr const char* kTestMonitor = "Kvx Engine Test Monitor";
constexpr const char* kMonitorModule = "kvx_test_monitor.dll";
constexpr const char* kMonitorUiModule = "kvx_engine_monitorui.dll";
constexpr const char* kMonitorsKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\";

// The engine's waits take a few milliseconds of real time while its tick count moves on by the
// whole wait: the spooler restarts around every step would otherwise cost seconds each.
class BriefClock final : public platform::Clock {
public:
  void Sleep(platform::DWORD milliseconds) override {
    const platform::DWORD real = std::min<platform::DWORD>(milliseconds, kSliceMs);
    real_.Sleep(real);
    skipped_ += milliseconds - real;
  }
  platform::DWORD GetTickCount() override { return real_.GetTickCount() + skipped_; }

private:
  static constexpr platform::DWORD kSliceMs = 10;
  platform::win32::Win32Clock real_;
  platform::DWORD skipped_ = 0;
};

struct SpoolerCall {
  std::string name, monitorOrEnvironment, dll;
  platform::DWORD result;
};

// The real spooler, with the monitor and port calls and their answers noted on the way.
class RecordingSpooler final : public fakes::ForwardingSpooler {
public:
  using ForwardingSpooler::ForwardingSpooler;

  DWORD AddMonitorA(const std::string& name, const platform::OptText& environment, const std::string& dll) override {
    const DWORD result = inner_.AddMonitorA(name, environment, dll);
    monitors.push_back({name, environment.value_or("(none)"), dll, result});
    return result;
  }
  DWORD AddPortExA(const std::string& port, const std::string& monitor) override {
    const DWORD result = inner_.AddPortExA(port, monitor);
    ports.push_back({port, monitor, "", result});
    return result;
  }

  std::vector<SpoolerCall> monitors, ports;
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Remove(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

// The module the spooler lists for a monitor name, or "" when it has no such monitor.
std::string RegisteredModule(const std::string& monitor) {
  DWORD needed = 0, count = 0;
  EnumMonitorsA(nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + 1);
  if (!EnumMonitorsA(nullptr, 2, buffer.data(), needed, &needed, &count)) return "";
  const auto* monitors = reinterpret_cast<const MONITOR_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    if (monitor == monitors[i].pName) return monitors[i].pDLLName ? monitors[i].pDLLName : "";
  return "";
}

void Unregister(const std::string& monitor) {
  DeleteMonitorA(nullptr, nullptr, const_cast<char*>(monitor.c_str()));
  // The port subkeys the engine wrote live under the monitor's key.
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kMonitorsKey + monitor).c_str());
}

// One installer on the real machine, working in a folder of its own (which also catches the error
// log) with a source folder the test fills.
class PortMonitorOnWine : public ::testing::Test {
protected:
  void SetUp() override {
    work_ = std::filesystem::path(test_libraries::TempDirectory()) /
            ("kvx-pmwine-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(work_ / "source");
    oldDirectory_ = std::filesystem::current_path();
    std::filesystem::current_path(work_);
    source_ = (work_ / "source").string();
    ASSERT_EQ(realOs_.files.GetSystemDirectoryA(system_), winerr::Success);
    ASSERT_EQ(realOs_.spooler.GetPrinterDriverDirectoryA(drivers_), winerr::Success);
    ASSERT_FALSE(system_.empty());
    ASSERT_FALSE(drivers_.empty());
    CleanMachine();  // whatever an interrupted run left

    installer.record.sourceDir = source_;
    installer.record.monitorName = kTestMonitor;
    installer.record.monitorDll = kMonitorModule;
    installer.record.monitorUiDll = kMonitorUiModule;
  }

  void TearDown() override {
    CleanMachine();
    std::filesystem::current_path(oldDirectory_);
    std::error_code ignored;
    std::filesystem::remove_all(work_, ignored);
  }

  void CleanMachine() {
    Unregister(kTestMonitor);
    Unregister(kMonitorName);
    for (const char* module : {kMonitorModule, kMonitorUiModule}) Remove(system_ + "\\" + module);
    for (const std::string& name : driverFiles_) Remove(drivers_ + "\\" + name);
    Remove(drivers_ + "\\..\\" + kEscapee);
  }

  std::string InSource(const std::string& name) const { return source_ + "\\" + name; }
  std::string InSystem(const std::string& name) const { return system_ + "\\" + name; }
  std::string InDrivers(const std::string& name) const { return drivers_ + "\\" + name; }
  std::string ErrorLog() const { return ReadFile((work_ / "errors.log").string()); }

  void StageMonitorModules() {
    ASSERT_TRUE(CopyFileA(test_libraries::PortMonitor().c_str(), InSource(kMonitorModule).c_str(), FALSE));
    WriteFile(InSource(kMonitorUiModule), "monitor ui\n");
  }

  static constexpr const char* kEscapee = "kvx_pmwine_escapee.dll";
  const std::vector<std::string> driverFiles_{"kvx_pmwine_a.dll", "kvx_pmwine_b.gpd", "kvx_pmwine_c.ini"};

  platform::win32::Win32Platform real_;
  platform::Platform realOs_ = real_.platform();
  BriefClock clock_;
  RecordingSpooler spooler{realOs_.spooler};
  platform::Platform os_{clock_,          realOs_.registry, realOs_.profile,  realOs_.version,   realOs_.process,
                         realOs_.services, spooler,          realOs_.messages, realOs_.files,     realOs_.libraries,
                         realOs_.devices,  realOs_.threads,  realOs_.serial,   realOs_.printing,  realOs_.sockets,
                         realOs_.ipHelper, realOs_.lastError, realOs_.fonts};
  // Serial and network ports never ask for the printer; a message here is a fault, not a dialog.
  std::vector<std::string> messages;
  Win2kXPInstaller installer{EngineContext{
      os_, [](int) { return std::string(); }, [] { return kOsVistaOrLater; }, [] {},
      [this](const std::string& text, const std::string& caption) { messages.push_back(caption + ": " + text); }}};

private:
  std::filesystem::path work_, oldDirectory_;
  std::string source_, system_, drivers_;
};

TEST_F(PortMonitorOnWine, SerialPortGetsTheModulesAndTheMonitorOnce) {
  StageMonitorModules();
  installer.SetPortName("COM1:");
  ASSERT_EQ(installer.record.portName, "Kvx_COM1:");
  ASSERT_FALSE(Exists(InSystem(kMonitorModule)));

  ASSERT_TRUE(InstallPortMonitor(installer)) << ErrorLog();
  EXPECT_EQ(installer.record.lastError, winerr::Success);
  EXPECT_EQ(ReadFile(InSystem(kMonitorModule)), ReadFile(InSource(kMonitorModule)));
  EXPECT_EQ(ReadFile(InSystem(kMonitorUiModule)), "monitor ui\n");
  ASSERT_EQ(spooler.monitors.size(), 1u);
  EXPECT_EQ(spooler.monitors[0].monitorOrEnvironment, "Windows x64");
  EXPECT_EQ(spooler.monitors[0].result, winerr::Success);
  EXPECT_EQ(RegisteredModule(kTestMonitor), kMonitorModule);
  EXPECT_TRUE(spooler.ports.empty()) << "a serial port is the monitor's own, not created";

  // The spooler's "already installed" is the answer of a repeated installation: one call, success.
  installer.record.needsPortMonitor = true;
  ASSERT_TRUE(InstallPortMonitor(installer)) << ErrorLog();
  ASSERT_EQ(spooler.monitors.size(), 2u);
  EXPECT_EQ(spooler.monitors[1].result, winerr::PrintMonitorAlreadyInstalled);
  EXPECT_EQ(installer.record.lastError, winerr::Success);
  EXPECT_EQ(ErrorLog(), "");
  EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(PortMonitorOnWine, PresentMonitorModuleIsKeptWhileTheUiModuleIsReplaced) {
  // The module in place is the working one; the source's would not even load.
  ASSERT_TRUE(CopyFileA(test_libraries::PortMonitor().c_str(), InSystem(kMonitorModule).c_str(), FALSE));
  const std::string present = ReadFile(InSystem(kMonitorModule));
  WriteFile(InSource(kMonitorModule), "not a monitor\n");
  WriteFile(InSystem(kMonitorUiModule), "old ui, read-only\n");
  SetFileAttributesA(InSystem(kMonitorUiModule).c_str(), FILE_ATTRIBUTE_READONLY);
  WriteFile(InSource(kMonitorUiModule), "new ui\n");
  installer.SetPortName("COM1:");

  ASSERT_TRUE(InstallPortMonitor(installer)) << ErrorLog();
  EXPECT_EQ(ReadFile(InSystem(kMonitorModule)), present);
  EXPECT_EQ(ReadFile(InSystem(kMonitorUiModule)), "new ui\n");
  ASSERT_EQ(spooler.monitors.size(), 1u);
  EXPECT_EQ(spooler.monitors[0].result, winerr::Success);
}

TEST_F(PortMonitorOnWine, MissingMonitorModuleFailsBeforeRegistration) {
  WriteFile(InSource(kMonitorUiModule), "monitor ui\n");
  installer.SetPortName("COM1:");

  EXPECT_FALSE(InstallPortMonitor(installer));
  EXPECT_EQ(installer.record.lastError, winerr::FileNotFound);
  EXPECT_TRUE(spooler.monitors.empty());
  EXPECT_EQ(RegisteredModule(kTestMonitor), "");
}

// The port number goes under the key of the shipped monitor's name whatever monitorName says, so
// this test registers the stand-in under that name to keep the port and its number together.
TEST_F(PortMonitorOnWine, NetworkPortIsCreatedThroughTheMonitorWithItsNumber) {
  StageMonitorModules();
  installer.record.monitorName = kMonitorName;
  installer.SetPortName("IP_127.0.0.1");
  installer.record.tcpPort = 9123;
  const std::string portKey = std::string(kMonitorKey) + "\\Ports\\Kvx_IP_127.0.0.1";
  ASSERT_EQ(std::string(kMonitorKey), kMonitorsKey + std::string(kMonitorName));

  ASSERT_TRUE(InstallPortMonitor(installer)) << ErrorLog();
  // Only a loaded monitor answers AddPortExA with success.
  ASSERT_EQ(spooler.ports.size(), 1u);
  EXPECT_EQ(spooler.ports[0].name, "Kvx_IP_127.0.0.1");
  EXPECT_EQ(spooler.ports[0].monitorOrEnvironment, kMonitorName);
  EXPECT_EQ(spooler.ports[0].result, winerr::Success);
  DWORD number = 0, size = sizeof number;
  ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, portKey.c_str(), "PortNumber", RRF_RT_REG_DWORD, nullptr, &number, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(number, 9123u);

  // A repeated installation on the existing port only changes its number.
  installer.record.tcpPort = 9100;
  ASSERT_TRUE(InstallPortMonitor(installer)) << ErrorLog();
  ASSERT_EQ(spooler.ports.size(), 2u);
  ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, portKey.c_str(), "PortNumber", RRF_RT_REG_DWORD, nullptr, &number, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(number, 9100u);
  EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(PortMonitorOnWine, DriverFilesReplaceAReadOnlyCopy) {
  for (const std::string& name : driverFiles_) WriteFile(InSource(name), "new " + name + "\n");
  WriteFile(InDrivers(driverFiles_[1]), "old, read-only\n");
  SetFileAttributesA(InDrivers(driverFiles_[1]).c_str(), FILE_ATTRIBUTE_READONLY);
  installer.record.fileList = driverFiles_;

  ASSERT_TRUE(CopyDriverFiles(installer)) << ErrorLog();
  for (const std::string& name : driverFiles_) EXPECT_EQ(ReadFile(InDrivers(name)), "new " + name + "\n") << name;
  EXPECT_EQ(installer.record.lastError, winerr::Success);
  EXPECT_EQ(ErrorLog(), "");
}

TEST_F(PortMonitorOnWine, DriverFileNamedOutOfTheFolderIsRefused) {
  // The file the name points at exists, next to the source folder: a joined path would find it.
  WriteFile(InSource(std::string("..\\") + kEscapee), "escapee\n");
  for (const std::string& name : driverFiles_) WriteFile(InSource(name), "new " + name + "\n");
  std::string expectedLog;
  for (const char* separator : {"\\", "/"}) {
    const std::string name = std::string("..") + separator + kEscapee;
    SCOPED_TRACE(name);
    installer.record.fileList = {driverFiles_[0], name, driverFiles_[2]};
    installer.record.lastError = winerr::Success;

    EXPECT_FALSE(CopyDriverFiles(installer));
    EXPECT_EQ(installer.record.lastError, winerr::InvalidName);
    EXPECT_TRUE(Exists(InDrivers(driverFiles_[0])));
    EXPECT_FALSE(Exists(InDrivers(std::string("..\\") + kEscapee)));
    EXPECT_FALSE(Exists(InDrivers(driverFiles_[2]))) << "the copy stops at the refused name";
    expectedLog += "CopyFile(" + InSource(name) + "," + InDrivers(name) + ",FALSE) FAILED CODE: 123\r\n";
  }
  EXPECT_EQ(ErrorLog(), expectedLog);
}

}  // namespace
