#pragma once
// Spooler and service-manager scenarios that the simulated machine and the real functions
// (under Wine) must both pass. Each is a plain function over a Platform; the runner supplies
// the way to put a file at a Windows path. Behaviour where Wine departs from Windows (an
// existing printer name, a stopped spooler, missing driver files) is tested on the simulated
// machine only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace cases {

// Creates (or truncates) a small file at a full Windows path, e.g. "C:\...\x64\kvxcase.dll".
using MakeFile = std::function<void(const std::string& windowsPath)>;

struct SpoolerCaseNames {
  std::string driver = "Kvx Case Driver";
  std::string printer = "Kvx Case Printer";
  std::string port = "LPT1:";
};

// The files the case driver names; the runner need not know them.
inline std::vector<std::string> CaseDriverFiles() {
  return {"kvxcase.dll", "kvxcase.gpd", "kvxcaseui.dll", "kvxcase.hlp", "kvxcasedep1.dll", "kvxcasedep2.ini"};
}

inline platform::DriverInfo3A CaseDriverInfo(const std::string& driverName) {
  platform::DriverInfo3A info;
  info.cVersion = 3;
  info.pName = driverName;
  info.pDriverPath = "kvxcase.dll";
  info.pDataFile = "kvxcase.gpd";
  info.pConfigFile = "kvxcaseui.dll";
  info.pHelpFile = "kvxcase.hlp";
  const std::string dependent = std::string("kvxcasedep1.dll") + '\0' + "kvxcasedep2.ini" + '\0' + '\0';
  info.pDependentFiles = std::vector<char>(dependent.begin(), dependent.end());
  return info;
}

inline platform::PrinterInfo2A CasePrinterInfo(const SpoolerCaseNames& names) {
  platform::PrinterInfo2A info;
  info.pPrinterName = names.printer;
  info.pPortName = names.port;
  info.pDriverName = names.driver;
  info.pComment = "Korvex Printers";
  info.pPrintProcessor = "WinPrint";
  info.Attributes = platform::printerattr::Local | platform::printerattr::Published;
  return info;
}

namespace detail {

inline std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

inline std::uint16_t Word(const std::vector<std::uint8_t>& dm, std::size_t offset) {
  return static_cast<std::uint16_t>(dm[offset] | dm[offset + 1] << 8);
}

inline std::string FixedText(const std::vector<std::uint8_t>& dm, std::size_t offset, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(dm.data() + offset), size);
  return text.substr(0, text.find('\0'));
}

inline void SetDword(std::vector<std::uint8_t>& dm, std::size_t offset, platform::DWORD value) {
  for (int i = 0; i < 4; ++i) dm[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Polls the service through the platform clock until it reaches `state` or `limitMs` passes.
inline platform::DWORD WaitForServiceState(platform::ServiceHandle& service, platform::Clock& clock,
                                           platform::DWORD state, platform::DWORD limitMs) {
  platform::ServiceStatus status;
  const platform::DWORD start = clock.GetTickCount();
  for (;;) {
    if (service.QueryServiceStatus(status) != platform::winerr::Success) return 0;
    if (status.currentState == state || clock.GetTickCount() - start > limitMs) return status.currentState;
    clock.Sleep(50);
  }
}

inline std::unique_ptr<platform::PrinterHandle> OpenCasePrinter(platform::Platform& p, const SpoolerCaseNames& names) {
  std::unique_ptr<platform::PrinterHandle> printer;
  EXPECT_EQ(p.spooler.OpenPrinterA(names.printer, platform::printeraccess::AllAccess, printer),
            platform::winerr::Success);
  return printer;
}

}  // namespace detail

// GetPrinterDriverDirectoryA names the spooler's x64 driver directory.
inline void DriverDirectoryScenario(platform::Platform& p) {
  std::string directory;
  ASSERT_EQ(p.spooler.GetPrinterDriverDirectoryA(directory), platform::winerr::Success);
  const std::string lower = detail::Lower(directory);
  EXPECT_EQ(lower.substr(0, 3), "c:\\") << directory;
  const std::string tail = "\\spool\\drivers\\x64";
  ASSERT_GE(lower.size(), tail.size()) << directory;
  EXPECT_EQ(lower.substr(lower.size() - tail.size()), tail) << directory;
}

// Puts the case driver's files into the driver directory and registers the driver, twice
// (a driver of the same name is replaced).
inline void AddDriverScenario(platform::Platform& p, const MakeFile& makeFile, const SpoolerCaseNames& names = {}) {
  std::string directory;
  ASSERT_EQ(p.spooler.GetPrinterDriverDirectoryA(directory), platform::winerr::Success);
  for (const std::string& file : CaseDriverFiles()) makeFile(directory + "\\" + file);
  EXPECT_EQ(p.spooler.AddPrinterDriverA(CaseDriverInfo(names.driver)), platform::winerr::Success);
  EXPECT_EQ(p.spooler.AddPrinterDriverA(CaseDriverInfo(names.driver)), platform::winerr::Success);
}

// Adds the case printer on a local port (needs AddDriverScenario first) and reads its record back.
inline void AddPrinterScenario(platform::Platform& p, const SpoolerCaseNames& names = {}) {
  {
    std::unique_ptr<platform::PrinterHandle> added;
    ASSERT_EQ(p.spooler.AddPrinterA(CasePrinterInfo(names), added), platform::winerr::Success);
    ASSERT_NE(added, nullptr);
  }
  std::unique_ptr<platform::PrinterHandle> missing;
  EXPECT_EQ(p.spooler.OpenPrinterA(names.printer + " (none such)", platform::printeraccess::Use, missing),
            platform::winerr::InvalidPrinterName);

  auto printer = detail::OpenCasePrinter(p, names);
  ASSERT_NE(printer, nullptr);
  platform::PrinterInfo2A info;
  platform::DWORD needed = 0;
  ASSERT_EQ(printer->GetPrinter2A(0, needed, info), platform::winerr::InsufficientBuffer);
  ASSERT_GT(needed, 0u);
  EXPECT_FALSE(info.pPrinterName.has_value()) << "a failed size query leaves the record alone";
  platform::DWORD again = 0;
  ASSERT_EQ(printer->GetPrinter2A(needed, again, info), platform::winerr::Success);
  EXPECT_EQ(info.pPrinterName, names.printer);
  EXPECT_EQ(info.pPortName, names.port);
  EXPECT_EQ(info.pDriverName, names.driver);
  EXPECT_EQ(info.pComment, "Korvex Printers");
  EXPECT_EQ(detail::Lower(info.pPrintProcessor.value_or("")), "winprint");
  const platform::DWORD asked = platform::printerattr::Local | platform::printerattr::Published;
  EXPECT_EQ(info.Attributes & asked, asked);
}

// SetPrinterDataA of the types the installer writes (needs AddPrinterScenario first).
inline void PrinterDataScenario(platform::Platform& p, const SpoolerCaseNames& names = {}) {
  auto printer = detail::OpenCasePrinter(p, names);
  ASSERT_NE(printer, nullptr);
  const std::string table = std::string("Auto") + '\0' + "Print width 80mm 30cm" + '\0' + "0" + '\0' + '\0';
  EXPECT_EQ(printer->SetPrinterDataA("TrayFormTable", 7, std::vector<std::uint8_t>(table.begin(), table.end())),
            platform::winerr::Success);
  EXPECT_EQ(printer->SetPrinterDataA("TrayFormMap", 3, {'A', 'U', 'T', 'O', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
            platform::winerr::Success);
  EXPECT_EQ(printer->SetPrinterDataA("TrayFormMapSize", 4, {14, 0, 0, 0}), platform::winerr::Success);
  EXPECT_EQ(printer->SetPrinterDataA("TrayFormKeyword", 3, {'A', 'U', 'T', 'O', 0, 0, 0}), platform::winerr::Success);
  EXPECT_EQ(printer->SetPrinterDataA("TrayFormKeywordSize", 4, {7, 0, 0, 0}), platform::winerr::Success);
  // Writing a value again replaces it.
  EXPECT_EQ(printer->SetPrinterDataA("TrayFormMapSize", 4, {14, 0, 0, 0}), platform::winerr::Success);

  // Read back through the handle's value alone, as the driver's plug-in gets it.
  platform::DWORD type = 0, needed = 0;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(p.spooler.GetPrinterDataW(printer->Raw(), u"TrayFormMapSize", 2, type, data, needed),
            platform::winerr::MoreData);
  EXPECT_EQ(needed, 4u);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(p.spooler.GetPrinterDataW(printer->Raw(), u"trayformmapsize", 4, type, data, needed),
            platform::winerr::Success);
  EXPECT_EQ(type, 4u);
  EXPECT_EQ(data, (std::vector<std::uint8_t>{14, 0, 0, 0}));
  EXPECT_EQ(p.spooler.GetPrinterDataW(printer->Raw(), u"KvxNoSuchValue", 4, type, data, needed),
            platform::winerr::FileNotFound);

  // Written through the handle's value too, as the plug-in keeps its tables; types and bytes stay.
  const std::vector<std::pair<std::u16string, std::pair<platform::DWORD, std::vector<std::uint8_t>>>> wide = {
      {u"KvxCaseTable", {7, {'A', 0, 0, 0, 'B', 0, 0, 0, 0, 0}}},
      {u"KvxCaseTableSize", {4, {3, 0, 0, 0}}},
      {u"KvxCaseTableSize", {4, {1, 0, 0, 0}}},
      {u"KvxCaseText", {1, {'x', 0, 0, 0}}},
  };
  for (const auto& [name, value] : wide) {
    EXPECT_EQ(p.spooler.SetPrinterDataW(printer->Raw(), name, value.first, value.second), platform::winerr::Success);
  }
  for (std::size_t i : {std::size_t{0}, std::size_t{2}, std::size_t{3}}) {
    const auto& [name, value] = wide[i];
    EXPECT_EQ(p.spooler.GetPrinterDataW(printer->Raw(), name, 64, type, data, needed), platform::winerr::Success);
    EXPECT_EQ(type, value.first);
    EXPECT_EQ(data, value.second);
  }
}

// DocumentPropertiesA: size, current device mode, and the merge of a form name; then the merged
// device mode and an extra attribute stored with SetPrinter2A (needs AddPrinterScenario first).
inline void DeviceModeScenario(platform::Platform& p, const SpoolerCaseNames& names = {}) {
  namespace dm = platform::devmode;
  auto printer = detail::OpenCasePrinter(p, names);
  ASSERT_NE(printer, nullptr);

  const platform::LONG size = printer->DocumentPropertiesA(names.printer, nullptr, nullptr, 0);
  ASSERT_GE(size, static_cast<platform::LONG>(dm::Size));
  std::vector<std::uint8_t> current;
  ASSERT_EQ(printer->DocumentPropertiesA(names.printer, &current, nullptr, platform::dmmode::OutBuffer),
            platform::dmmode::IdOk);
  ASSERT_EQ(current.size(), static_cast<std::size_t>(size));
  EXPECT_EQ(detail::Word(current, dm::SizeOffset), dm::Size);
  EXPECT_EQ(detail::Word(current, dm::SizeOffset) + detail::Word(current, dm::DriverExtraOffset), size);
  EXPECT_EQ(detail::FixedText(current, dm::DeviceNameOffset, 32), names.printer);

  const std::string form = "Kvx Case Form 80mm";
  std::vector<std::uint8_t> in = current;
  detail::SetDword(in, dm::FieldsOffset, dm::DmFormName);
  std::fill_n(in.begin() + dm::FormNameOffset, dm::FormNameSize, 0);
  std::memcpy(in.data() + dm::FormNameOffset, form.data(), form.size());
  std::vector<std::uint8_t> merged;
  ASSERT_EQ(printer->DocumentPropertiesA(names.printer, &merged, &in,
                                         platform::dmmode::InBuffer | platform::dmmode::OutBuffer),
            platform::dmmode::IdOk);
  ASSERT_EQ(merged.size(), static_cast<std::size_t>(size));
  EXPECT_EQ(detail::FixedText(merged, dm::FormNameOffset, dm::FormNameSize), form);

  platform::PrinterInfo2A info;
  platform::DWORD needed = 0;
  ASSERT_EQ(printer->GetPrinter2A(0, needed, info), platform::winerr::InsufficientBuffer);
  ASSERT_EQ(printer->GetPrinter2A(needed, needed, info), platform::winerr::Success);
  info.pDevMode = merged;
  info.hasSecurityDescriptor = false;
  info.Attributes |= platform::printerattr::DoCompleteFirst;
  ASSERT_EQ(printer->SetPrinter2A(info), platform::winerr::Success);

  platform::PrinterInfo2A stored;
  ASSERT_EQ(printer->GetPrinter2A(0, needed, stored), platform::winerr::InsufficientBuffer);
  ASSERT_EQ(printer->GetPrinter2A(needed, needed, stored), platform::winerr::Success);
  EXPECT_NE(stored.Attributes & platform::printerattr::DoCompleteFirst, 0u);
  ASSERT_TRUE(stored.pDevMode.has_value());
  ASSERT_GE(stored.pDevMode->size(), dm::Size);
  EXPECT_EQ(detail::FixedText(*stored.pDevMode, dm::FormNameOffset, dm::FormNameSize), form);
  EXPECT_EQ(stored.pPortName, names.port);
}

// The whole registration the installer makes, in its order.
inline void AddDriverAndPrinterScenario(platform::Platform& p, const MakeFile& makeFile,
                                        const SpoolerCaseNames& names = {}) {
  ASSERT_NO_FATAL_FAILURE(DriverDirectoryScenario(p));
  ASSERT_NO_FATAL_FAILURE(AddDriverScenario(p, makeFile, names));
  ASSERT_NO_FATAL_FAILURE(AddPrinterScenario(p, names));
  ASSERT_NO_FATAL_FAILURE(PrinterDataScenario(p, names));
  ASSERT_NO_FATAL_FAILURE(DeviceModeScenario(p, names));
}

// The "spooler" service is reached with full access and runs (started first if it does not).
inline void SpoolerServiceScenario(platform::Platform& p) {
  std::unique_ptr<platform::ServiceManagerHandle> manager;
  ASSERT_EQ(p.services.OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager), platform::winerr::Success);
  ASSERT_NE(manager, nullptr);
  std::unique_ptr<platform::ServiceHandle> missing;
  EXPECT_EQ(manager->OpenServiceA("KvxNoSuchService", platform::svcaccess::ServiceAllAccess, missing),
            platform::winerr::ServiceDoesNotExist);

  std::unique_ptr<platform::ServiceHandle> service;
  ASSERT_EQ(manager->OpenServiceA("Spooler", platform::svcaccess::ServiceAllAccess, service),
            platform::winerr::Success);
  ASSERT_NE(service, nullptr);
  platform::ServiceStatus status;
  ASSERT_EQ(service->QueryServiceStatus(status), platform::winerr::Success);
  if (status.currentState == platform::svcstate::Stopped) {
    ASSERT_EQ(service->StartServiceA(), platform::winerr::Success);
  }
  EXPECT_EQ(detail::WaitForServiceState(*service, p.clock, platform::svcstate::Running, 30000),
            platform::svcstate::Running);

  std::unique_ptr<platform::ServiceHandle> lower;
  ASSERT_EQ(manager->OpenServiceA("spooler", platform::svcaccess::ServiceAllAccess, lower), platform::winerr::Success);
  ASSERT_EQ(lower->QueryServiceStatus(status), platform::winerr::Success);
  EXPECT_EQ(status.currentState, platform::svcstate::Running);
  EXPECT_EQ(lower->StartServiceA(), platform::winerr::ServiceAlreadyRunning);
}

// Stops the running spooler and starts it again, with the answers for a service that is
// already stopped or already running. Leaves the spooler running.
inline void SpoolerStopStartScenario(platform::Platform& p) {
  std::unique_ptr<platform::ServiceManagerHandle> manager;
  ASSERT_EQ(p.services.OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager), platform::winerr::Success);
  std::unique_ptr<platform::ServiceHandle> service;
  ASSERT_EQ(manager->OpenServiceA("spooler", platform::svcaccess::ServiceAllAccess, service), platform::winerr::Success);
  ASSERT_EQ(detail::WaitForServiceState(*service, p.clock, platform::svcstate::Running, 30000),
            platform::svcstate::Running);

  platform::ServiceStatus status;
  ASSERT_EQ(service->ControlService(platform::svccontrol::Stop, status), platform::winerr::Success);
  EXPECT_TRUE(status.currentState == platform::svcstate::StopPending ||
              status.currentState == platform::svcstate::Stopped)
      << status.currentState;
  ASSERT_EQ(detail::WaitForServiceState(*service, p.clock, platform::svcstate::Stopped, 30000),
            platform::svcstate::Stopped);
  EXPECT_EQ(service->ControlService(platform::svccontrol::Stop, status), platform::winerr::ServiceNotActive);

  ASSERT_EQ(service->StartServiceA(), platform::winerr::Success);
  EXPECT_EQ(detail::WaitForServiceState(*service, p.clock, platform::svcstate::Running, 30000),
            platform::svcstate::Running);
  EXPECT_EQ(service->StartServiceA(), platform::winerr::ServiceAlreadyRunning);
}

}  // namespace cases
