// The simulated print spooler where Windows' answers matter to the installer: driver files,
// ports and monitors, existing printers, device modes, a stopped spooler, faults and handles.
#include <gtest/gtest.h>

#include <cstring>

#include <nlohmann/json.hpp>

#include "platform/cases/SpoolerCases.h"
#include "platform/sim/DevMode.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::DWORD;
using platform::PrinterInfo2A;
using platform::sim::SimMachine;
using platform::sim::SpoolerState;
namespace winerr = platform::winerr;
namespace dm = platform::devmode;
namespace fs = std::filesystem;


std::uint32_t Read(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = value << 8 | bytes[offset + i];
  return value;
}

std::string FormName(const std::vector<std::uint8_t>& devMode) {
  return std::string(reinterpret_cast<const char*>(devMode.data() + dm::FormNameOffset), dm::FormNameSize);
}

class SimPrintSpoolerTest : public testing::Test {
protected:
  void TearDown() override { EXPECT_EQ(machine->handles().Describe(), std::vector<std::string>{}); }

  fs::path DriverDir() { return machine->spooler().HostDriverDirectory(); }

  void PutDriverFiles() {
    for (const std::string& file : cases::CaseDriverFiles()) simtest::WriteFile(DriverDir() / file, "MZ");
  }

  // The case driver registered, ready for printers.
  void AddCaseDriver() {
    PutDriverFiles();
    ASSERT_EQ(p.spooler.AddPrinterDriverA(cases::CaseDriverInfo(names.driver)), 0u);
  }

  DWORD AddPrinter(const PrinterInfo2A& info) {
    std::unique_ptr<platform::PrinterHandle> handle;
    return p.spooler.AddPrinterA(info, handle);
  }

  std::unique_ptr<platform::PrinterHandle> Open(DWORD access = platform::printeraccess::AllAccess) {
    std::unique_ptr<platform::PrinterHandle> handle;
    EXPECT_EQ(p.spooler.OpenPrinterA(names.printer, access, handle), 0u);
    return handle;
  }

  PrinterInfo2A Read2(platform::PrinterHandle& printer) {
    PrinterInfo2A info;
    DWORD needed = 0;
    EXPECT_EQ(printer.GetPrinter2A(0, needed, info), winerr::InsufficientBuffer);
    EXPECT_EQ(printer.GetPrinter2A(needed, needed, info), 0u);
    return info;
  }

  void StopSpooler() {
    machine->config().services["spooler"].state = platform::svcstate::Stopped;
  }

  std::unique_ptr<SimMachine> machine = SimMachine::InMemory();
  platform::Platform p = machine->platform();
  cases::SpoolerCaseNames names;
};

TEST_F(SimPrintSpoolerTest, DriverFilesComeFromTheDriverDirectoryAndLandInItsVersionFolder) {
  PutDriverFiles();
  fs::rename(DriverDir() / "kvxcase.gpd", DriverDir() / "KVXCASE.GPD");
  ASSERT_EQ(p.spooler.AddPrinterDriverA(cases::CaseDriverInfo(names.driver)), 0u);
  for (const std::string& file : cases::CaseDriverFiles()) {
    EXPECT_TRUE(fs::exists(DriverDir() / "3" / (file == "kvxcase.gpd" ? "KVXCASE.GPD" : file))) << file;
  }
  // Staged copies may go: the version folder serves the next registration.
  for (const std::string& file : cases::CaseDriverFiles()) fs::remove(DriverDir() / file);
  auto info = cases::CaseDriverInfo(names.driver);
  EXPECT_EQ(p.spooler.AddPrinterDriverA(info), 0u);
  info.pDataFile = "other.gpd";
  EXPECT_EQ(p.spooler.AddPrinterDriverA(info), winerr::FileNotFound);
  EXPECT_EQ(machine->spooler().Snapshot().drivers.at(0).dataFile, "kvxcase.gpd");
}

TEST_F(SimPrintSpoolerTest, AnyMissingDriverFileFailsTheRegistration) {
  for (const std::string& missing : cases::CaseDriverFiles()) {
    PutDriverFiles();
    fs::remove(DriverDir() / missing);
    fs::remove_all(DriverDir() / "3");
    EXPECT_EQ(p.spooler.AddPrinterDriverA(cases::CaseDriverInfo(names.driver)), winerr::FileNotFound) << missing;
  }
  EXPECT_TRUE(machine->spooler().Snapshot().drivers.empty());
}

TEST_F(SimPrintSpoolerTest, DriverRecordIsCheckedAndReplacedByName) {
  PutDriverFiles();
  auto info = cases::CaseDriverInfo(names.driver);
  info.cVersion = 2;
  EXPECT_EQ(p.spooler.AddPrinterDriverA(info), winerr::InvalidParameter);
  info = cases::CaseDriverInfo(names.driver);
  info.pEnvironment = "Windows NT x86";
  EXPECT_EQ(p.spooler.AddPrinterDriverA(info), winerr::InvalidEnvironment);
  info = cases::CaseDriverInfo(names.driver);
  info.pConfigFile.reset();
  EXPECT_EQ(p.spooler.AddPrinterDriverA(info), winerr::InvalidParameter);
  info = cases::CaseDriverInfo(names.driver);
  info.pEnvironment = "windows x64";
  ASSERT_EQ(p.spooler.AddPrinterDriverA(info), 0u);
  info.pName = "KVX CASE DRIVER";
  info.pHelpFile.reset();
  info.pDependentFiles = std::vector<char>{'k', 'v', 'x', 'c', 'a', 's', 'e', 'd', 'e', 'p', '1', '.', 'd', 'l', 'l', 0, 0};
  ASSERT_EQ(p.spooler.AddPrinterDriverA(info), 0u);
  const SpoolerState state = machine->spooler().Snapshot();
  ASSERT_EQ(state.drivers.size(), 1u);
  EXPECT_EQ(state.drivers[0].name, "KVX CASE DRIVER");
  EXPECT_EQ(state.drivers[0].helpFile, "");
  EXPECT_EQ(state.drivers[0].dependentFiles, std::vector<std::string>{"kvxcasedep1.dll"});
}

TEST_F(SimPrintSpoolerTest, ExistingPrinterNameIsRefusedUnchanged) {
  AddCaseDriver();
  ASSERT_EQ(AddPrinter(cases::CasePrinterInfo(names)), 0u);
  auto again = cases::CasePrinterInfo(names);
  again.pPrinterName = "KVX CASE PRINTER";
  again.pPortName = "COM1:";
  again.pComment = "other";
  std::unique_ptr<platform::PrinterHandle> handle;
  EXPECT_EQ(p.spooler.AddPrinterA(again, handle), winerr::PrinterAlreadyExists);
  EXPECT_EQ(handle, nullptr);
  const SpoolerState state = machine->spooler().Snapshot();
  ASSERT_EQ(state.printers.size(), 1u);
  EXPECT_EQ(std::tie(state.printers[0].port, state.printers[0].comment), std::make_tuple("LPT1:", "Korvex Printers"));
}

TEST_F(SimPrintSpoolerTest, PrinterRecordIsChecked) {
  AddCaseDriver();
  auto info = cases::CasePrinterInfo(names);
  info.pDriverName = "No Such Driver";
  EXPECT_EQ(AddPrinter(info), winerr::UnknownPrinterDriver);
  info = cases::CasePrinterInfo(names);
  info.pPrinterName = "A, B";
  EXPECT_EQ(AddPrinter(info), winerr::InvalidPrinterName);
  info.pPrinterName = "";
  EXPECT_EQ(AddPrinter(info), winerr::InvalidPrinterName);
  info = cases::CasePrinterInfo(names);
  info.pPrintProcessor.reset();
  EXPECT_EQ(AddPrinter(info), winerr::InvalidParameter);
  info.pPrintProcessor = "KvxProc";
  EXPECT_EQ(AddPrinter(info), winerr::UnknownPrintProcessor);
  info = cases::CasePrinterInfo(names);
  info.pDevMode = std::vector<std::uint8_t>(dm::Size, 0);
  (*info.pDevMode)[dm::SizeOffset] = 100;
  EXPECT_EQ(AddPrinter(info), winerr::InvalidParameter);
  EXPECT_TRUE(machine->spooler().Snapshot().printers.empty());
}

TEST_F(SimPrintSpoolerTest, PortsAreTheMachinesAndThoseItsMonitorsAccept) {
  AddCaseDriver();
  int n = 0;
  auto tryPort = [&](const std::string& port) {
    auto info = cases::CasePrinterInfo(names);
    info.pPrinterName = "P" + std::to_string(++n);
    info.pPortName = port;
    return AddPrinter(info);
  };
  EXPECT_EQ(tryPort("com1:"), 0u);
  EXPECT_EQ(tryPort("FILE:"), 0u);
  EXPECT_EQ(tryPort("COM2:"), winerr::UnknownPort);
  EXPECT_EQ(tryPort("LPT1"), winerr::UnknownPort);
  EXPECT_EQ(tryPort("Kvx_COM1:"), winerr::UnknownPort) << "no monitor yet";
  machine->spooler().Edit([](SpoolerState& s) { s.localPorts.push_back({"COM2", platform::sim::LocalPortKind::Serial}); });
  EXPECT_EQ(tryPort("COM2:"), 0u);

  machine->spooler().Edit([](SpoolerState& s) { s.monitors.push_back({"Korvex Port Monitor", "Windows x64", "KorvexMon.dll", {}}); });
  EXPECT_EQ(tryPort("Kvx_COM1:"), 0u);
  EXPECT_EQ(tryPort("KVX_LPT1:"), 0u);
  EXPECT_EQ(tryPort("Kvx_USB001"), 0u);
  EXPECT_EQ(tryPort("Kvx_IP_192.0.2.50"), winerr::UnknownPort) << "network ports are added first";
  EXPECT_EQ(tryPort("Kvx_"), winerr::UnknownPort);
  machine->spooler().Edit([](SpoolerState& s) { s.monitors[0].ports.push_back("Kvx_IP_192.0.2.50"); });
  EXPECT_EQ(tryPort("Kvx_IP_192.0.2.50"), 0u);
}

TEST_F(SimPrintSpoolerTest, NewPrinterGetsTheDefaultDeviceModeForZeros) {
  AddCaseDriver();
  names.printer = "A printer name longer than thirty-one characters";
  auto info = cases::CasePrinterInfo(names);
  info.pDevMode = std::vector<std::uint8_t>(dm::Size, 0);
  ASSERT_EQ(AddPrinter(info), 0u);
  const auto devMode = machine->spooler().Snapshot().printers.at(0).devMode;
  ASSERT_EQ(devMode.size(), dm::Size + Read(devMode, dm::DriverExtraOffset, 2));
  EXPECT_EQ(Read(devMode, dm::SizeOffset, 2), dm::Size);
  EXPECT_GT(Read(devMode, dm::DriverExtraOffset, 2), 0u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(devMode.data()), 32), names.printer.substr(0, 31) + '\0');
  EXPECT_NE(Read(devMode, dm::FieldsOffset, 4) & dm::DmFormName, 0u);
  EXPECT_EQ(FormName(devMode), std::string("Letter") + std::string(26, '\0'));
}

TEST_F(SimPrintSpoolerTest, GivenDeviceModeIsKeptAsGiven) {
  AddCaseDriver();
  auto given = platform::sim::DefaultDevMode("elsewhere");
  given[44] = 2;  // landscape
  given.resize(given.size() + 10, 0xEE);  // beyond dmSize + dmDriverExtra: not part of it
  auto info = cases::CasePrinterInfo(names);
  info.pDevMode = given;
  ASSERT_EQ(AddPrinter(info), 0u);
  auto printer = Open();
  given.resize(given.size() - 10);
  EXPECT_EQ(Read2(*printer).pDevMode, given);
}

TEST_F(SimPrintSpoolerTest, LevelTwoSizeQueryNeedsTheWholeRecord) {
  AddCaseDriver();
  ASSERT_EQ(AddPrinter(cases::CasePrinterInfo(names)), 0u);
  auto printer = Open();
  PrinterInfo2A info;
  DWORD needed = 0;
  ASSERT_EQ(printer->GetPrinter2A(0, needed, info), winerr::InsufficientBuffer);
  DWORD again = 0;
  EXPECT_EQ(printer->GetPrinter2A(needed - 1, again, info), winerr::InsufficientBuffer);
  EXPECT_EQ(again, needed);
  EXPECT_FALSE(info.pPrinterName.has_value());
  ASSERT_EQ(printer->GetPrinter2A(needed, again, info), 0u);
  EXPECT_EQ(info.Attributes, platform::printerattr::Local | platform::printerattr::Published);
  EXPECT_EQ(info.pDatatype, "RAW");
  EXPECT_FALSE(info.pServerName.has_value());
  EXPECT_TRUE(info.hasSecurityDescriptor);
}

TEST_F(SimPrintSpoolerTest, DocumentPropertiesMergesOnlyNamedFieldsAndStoresNothing) {
  AddCaseDriver();
  ASSERT_EQ(AddPrinter(cases::CasePrinterInfo(names)), 0u);
  auto printer = Open();
  std::vector<std::uint8_t> current;
  ASSERT_EQ(printer->DocumentPropertiesA(names.printer, &current, nullptr, platform::dmmode::OutBuffer), 1);

  // A 32-character form name fills the field without a terminator.
  const std::string form = "Print width 80mm 30cm, 32 chars!";
  ASSERT_EQ(form.size(), 32u);
  std::vector<std::uint8_t> in = current;
  in[dm::FieldsOffset] = 0;
  in[dm::FieldsOffset + 1] = 0;
  in[dm::FieldsOffset + 2] = 1;  // DM_FORMNAME only
  in[dm::FieldsOffset + 3] = 0;
  std::memcpy(in.data() + dm::FormNameOffset, form.data(), 32);
  in[44] = 2;  // orientation, not named in dmFields
  std::vector<std::uint8_t> merged;
  ASSERT_EQ(printer->DocumentPropertiesA(names.printer, &merged, &in, 10), 1);
  EXPECT_EQ(FormName(merged), form);
  EXPECT_EQ(merged[44], 1);
  EXPECT_EQ(Read(merged, dm::FieldsOffset, 4), Read(current, dm::FieldsOffset, 4));
  EXPECT_EQ(FormName(Read2(*printer).pDevMode.value()).substr(0, 7), std::string("Letter") + '\0');

  in[dm::SizeOffset] = 150;
  EXPECT_EQ(printer->DocumentPropertiesA(names.printer, &merged, &in, 10), -1);
  EXPECT_EQ(printer->DocumentPropertiesA(names.printer, nullptr, nullptr, platform::dmmode::OutBuffer), -1);
  EXPECT_EQ(printer->DocumentPropertiesA(names.printer, nullptr, &current, platform::dmmode::InBuffer), 1);
}

TEST_F(SimPrintSpoolerTest, SetPrinterStoresTheRecordAndChecksIt) {
  AddCaseDriver();
  ASSERT_EQ(AddPrinter(cases::CasePrinterInfo(names)), 0u);
  auto printer = Open();
  PrinterInfo2A info = Read2(*printer);
  info.pPortName = "COM9:";
  EXPECT_EQ(printer->SetPrinter2A(info), winerr::UnknownPort);
  info.pPortName = "COM1:";
  info.pDriverName = "Gone";
  EXPECT_EQ(printer->SetPrinter2A(info), winerr::UnknownPrinterDriver);
  info.pDriverName = names.driver;
  info.pDevMode = std::vector<std::uint8_t>(dm::Size, 0);  // zeros keep what is there
  info.Attributes |= platform::printerattr::DoCompleteFirst;
  info.pComment.reset();
  ASSERT_EQ(printer->SetPrinter2A(info), 0u);
  const auto stored = machine->spooler().Snapshot().printers.at(0);
  EXPECT_EQ(stored.port, "COM1:");
  EXPECT_EQ(stored.comment, "");
  EXPECT_EQ(stored.attributes, 0x2240u);
  EXPECT_EQ(stored.devMode, platform::sim::DefaultDevMode(names.printer));

  auto useOnly = Open(platform::printeraccess::Use);
  EXPECT_EQ(useOnly->SetPrinter2A(info), winerr::AccessDenied);
  EXPECT_EQ(useOnly->SetPrinterDataA("x", 4, {1, 0, 0, 0}), winerr::AccessDenied);
}

TEST_F(SimPrintSpoolerTest, PrinterDataIsStoredByteForByte) {
  AddCaseDriver();
  ASSERT_EQ(AddPrinter(cases::CasePrinterInfo(names)), 0u);
  auto printer = Open();
  const std::vector<std::uint8_t> multi = {'A', 'u', 't', 'o', 0, 'F', 0, '0', 0, 0};
  ASSERT_EQ(printer->SetPrinterDataA("TrayFormTable", 7, multi), 0u);
  ASSERT_EQ(printer->SetPrinterDataA("Unterminated", 1, {'x', 'y'}), 0u);
  ASSERT_EQ(printer->SetPrinterDataA("TrayFormMapSize", 4, {9, 0, 0, 0}), 0u);
  ASSERT_EQ(printer->SetPrinterDataA("trayformmapsize", 3, {14}), 0u);
  const auto data = machine->spooler().Snapshot().printers.at(0).printerData;
  EXPECT_EQ(data, (std::vector<platform::sim::PrinterDataValue>{
                      {"TrayFormTable", 7, multi}, {"Unterminated", 1, {'x', 'y'}}, {"TrayFormMapSize", 3, {14}}}));
}

TEST_F(SimPrintSpoolerTest, StoppedSpoolerAnswersNothing) {
  AddCaseDriver();
  ASSERT_EQ(AddPrinter(cases::CasePrinterInfo(names)), 0u);
  StopSpooler();
  std::string directory;
  EXPECT_EQ(p.spooler.GetPrinterDriverDirectoryA(directory), winerr::RpcServerUnavailable);
  EXPECT_EQ(p.spooler.AddPrinterDriverA(cases::CaseDriverInfo(names.driver)), winerr::RpcServerUnavailable);
  auto info = cases::CasePrinterInfo(names);
  info.pPrinterName = "Another";
  EXPECT_EQ(AddPrinter(info), winerr::RpcServerUnavailable);
  std::unique_ptr<platform::PrinterHandle> handle;
  EXPECT_EQ(p.spooler.OpenPrinterA(names.printer, platform::printeraccess::AllAccess, handle),
            winerr::RpcServerUnavailable);
  EXPECT_EQ(machine->spooler().Snapshot().printers.size(), 1u);
}

TEST_F(SimPrintSpoolerTest, HandleFromBeforeARestartIsStale) {
  AddCaseDriver();
  ASSERT_EQ(AddPrinter(cases::CasePrinterInfo(names)), 0u);
  auto printer = Open();
  std::unique_ptr<platform::ServiceManagerHandle> manager;
  ASSERT_EQ(p.services.OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager), 0u);
  std::unique_ptr<platform::ServiceHandle> service;
  ASSERT_EQ(manager->OpenServiceA("spooler", platform::svcaccess::ServiceAllAccess, service), 0u);
  platform::ServiceStatus status;
  ASSERT_EQ(service->ControlService(platform::svccontrol::Stop, status), 0u);
  EXPECT_EQ(printer->SetPrinterDataA("x", 4, {1, 0, 0, 0}), winerr::RpcServerUnavailable) << "stop pending";
  p.clock.Sleep(machine->config().services["spooler"].stopMs);
  ASSERT_EQ(service->StartServiceA(), 0u);
  EXPECT_EQ(printer->DocumentPropertiesA(names.printer, nullptr, nullptr, 0), -1) << "start pending";
  p.clock.Sleep(machine->config().services["spooler"].startMs);
  PrinterInfo2A info;
  DWORD needed = 0;
  EXPECT_EQ(printer->GetPrinter2A(0, needed, info), winerr::InvalidHandle);
  EXPECT_EQ(Open()->GetPrinter2A(0, needed, info), winerr::InsufficientBuffer) << "a new handle works";
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(p.spooler.GetPrinterDataW(printer->Raw(), u"x", 4, type, data, needed), winerr::InvalidHandle)
      << "nor by its value";
}

TEST_F(SimPrintSpoolerTest, RawHandleValueNamesAnOpenPrinterOnly) {
  AddCaseDriver();
  ASSERT_EQ(AddPrinter(cases::CasePrinterInfo(names)), 0u);
  auto printer = Open();
  ASSERT_EQ(printer->SetPrinterDataA("Value\xe9", 4, {7, 0, 0, 0}), 0u);
  DWORD type = 0, needed = 0;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(p.spooler.GetPrinterDataW(printer->Raw(), u"Value\u00e9", 4, type, data, needed), winerr::Success);
  EXPECT_EQ(p.spooler.GetPrinterDataW(printer->Raw(), u"Value\u0419", 4, type, data, needed), winerr::FileNotFound);
  EXPECT_EQ(p.spooler.GetPrinterDataW(nullptr, u"Value\u00e9", 4, type, data, needed), winerr::InvalidHandle);
  const platform::RawPrinterHandle closed = printer->Raw();
  printer.reset();
  EXPECT_EQ(p.spooler.GetPrinterDataW(closed, u"Value\u00e9", 4, type, data, needed), winerr::InvalidHandle);
}

TEST_F(SimPrintSpoolerTest, UnknownPrinterNameCannotBeOpened) {
  std::unique_ptr<platform::PrinterHandle> handle;
  EXPECT_EQ(p.spooler.OpenPrinterA("Nobody", platform::printeraccess::Use, handle), winerr::InvalidPrinterName);
  EXPECT_EQ(handle, nullptr);
}

TEST_F(SimPrintSpoolerTest, FaultsHitTheNamedCallAndHandlesAreAccounted) {
  AddCaseDriver();
  auto& faults = machine->faults();
  faults.FailOnce("AddPrinterA", 1804);
  EXPECT_EQ(AddPrinter(cases::CasePrinterInfo(names)), 1804u);
  std::unique_ptr<platform::PrinterHandle> added;
  ASSERT_EQ(p.spooler.AddPrinterA(cases::CasePrinterInfo(names), added), 0u);
  faults.FailOnce("OpenPrinterA", 5);
  std::unique_ptr<platform::PrinterHandle> printer;
  EXPECT_EQ(p.spooler.OpenPrinterA(names.printer, platform::printeraccess::AllAccess, printer), 5u);
  printer = Open();
  EXPECT_EQ(machine->handles().Describe(),
            (std::vector<std::string>{"printer Kvx Case Printer", "printer Kvx Case Printer"}));

  faults.FailOnce("AddPrinterDriverA", 1795);
  EXPECT_EQ(p.spooler.AddPrinterDriverA(cases::CaseDriverInfo(names.driver)), 1795u);
  faults.FailOnce("GetPrinterDriverDirectoryA", 122);
  std::string directory;
  EXPECT_EQ(p.spooler.GetPrinterDriverDirectoryA(directory), 122u);
  faults.FailOnce("GetPrinterA", 6);
  DWORD needed = 0;
  PrinterInfo2A info;
  EXPECT_EQ(printer->GetPrinter2A(0, needed, info), 6u);
  info = Read2(*printer);
  faults.FailOnce("SetPrinterA", 1337);
  EXPECT_EQ(printer->SetPrinter2A(info), 1337u);
  faults.FailOnce("SetPrinterDataA", 8);
  EXPECT_EQ(printer->SetPrinterDataA("v", 4, {1, 0, 0, 0}), 8u);
  faults.FailOnce("DocumentPropertiesA", 13);
  EXPECT_EQ(printer->DocumentPropertiesA(names.printer, nullptr, nullptr, 0), -1);
  EXPECT_TRUE(machine->spooler().Snapshot().printers.at(0).printerData.empty());

  added.reset();
  printer.reset();
  EXPECT_EQ(machine->faults().CallCount("ClosePrinter"), 2u);
}

// A monitor takes the ports its module makes of a local port name as the wizard hands it, whatever
// name the monitor is registered under; network ports only once added to it.
struct MonitorPort {
  const char* name;
  const char* port;
  const char* moduleDll;
  bool added;
  DWORD answer;
};

void PrintTo(const MonitorPort& row, std::ostream* os) { *os << row.name; }

class SimMonitorPortTest : public SimPrintSpoolerTest, public testing::WithParamInterface<MonitorPort> {};

TEST_P(SimMonitorPortTest, PrinterTakesThePortsItsMonitorsModuleMakes) {
  AddCaseDriver();
  const MonitorPort& row = GetParam();
  machine->spooler().Edit([&](SpoolerState& s) {
    s.monitors.push_back({"Any Monitor", "Windows x64", row.moduleDll, {}});
    if (row.added) s.monitors.back().ports.push_back(row.port);
  });
  auto info = cases::CasePrinterInfo(names);
  info.pPortName = row.port;
  EXPECT_EQ(AddPrinter(info), row.answer);
}

INSTANTIATE_TEST_SUITE_P(
    Ports, SimMonitorPortTest,
    testing::Values(MonitorPort{"Usb", "Kvx_USB", "KorvexMon.dll", false, 0},
                    MonitorPort{"NumberedUsb", "kvx_usb001", "korvexmon.dll", false, 0},
                    MonitorPort{"Serial", "Kvx_COM1:", "KorvexMon.dll", false, 0},
                    MonitorPort{"Parallel", "Kvx_LPT1:", "KorvexMon.dll", false, 0},
                    MonitorPort{"TypedSerial", "Kvx_COM7", "KorvexMon.dll", false, 0},
                    MonitorPort{"AddedNetwork", "Kvx_IP_192.0.2.50", "KorvexMon.dll", true, 0},
                    MonitorPort{"NetworkNotAdded", "Kvx_IP_192.0.2.50", "KorvexMon.dll", false, winerr::UnknownPort},
                    MonitorPort{"PrefixAlone", "Kvx_", "KorvexMon.dll", false, winerr::UnknownPort},
                    MonitorPort{"SerialWithoutNumber", "Kvx_COM", "KorvexMon.dll", false, winerr::UnknownPort},
                    MonitorPort{"UsbWithText", "Kvx_USBx", "KorvexMon.dll", false, winerr::UnknownPort},
                    MonitorPort{"OtherModule", "Kvx_COM1:", "TestMon.dll", false, winerr::UnknownPort}),
    [](const testing::TestParamInfo<MonitorPort>& param) { return std::string(param.param.name); });

TEST(SimWindowMessagesTest, BroadcastsAreRecordedInOrder) {
  auto machine = SimMachine::InMemory();
  platform::Platform p = machine->platform();
  EXPECT_EQ(p.messages.BroadcastTextMessageA(platform::wm::DevModeChange, "RQ-7200", platform::wm::SmtoNormal, 1000), 0u);
  machine->faults().FailOnce("SendMessageTimeoutA", 1460);
  EXPECT_EQ(p.messages.BroadcastTextMessageA(platform::wm::DevModeChange, "lost", 0, 1000), 1460u);
  EXPECT_EQ(p.messages.BroadcastTextMessageA(0x1A, "", 2, 5), 0u);
  machine->faults().FailOnce("SendMessageTimeoutW", 1460);
  EXPECT_EQ(p.messages.BroadcastTextMessageW(platform::wm::DevModeChange, u"lost", 0, 1000), 1460u);
  EXPECT_EQ(p.messages.BroadcastTextMessageW(platform::wm::DevModeChange, u"RQ-7200 \u20ac", 0, 1000), 0u);
  EXPECT_EQ(machine->messages().Broadcasts(),
            (std::vector<platform::sim::Broadcast>{
                {0x1B, "RQ-7200", 0, 1000}, {0x1A, "", 2, 5}, {0x1B, "", 0, 1000, true, u"RQ-7200 \u20ac"}}));
}

}  // namespace
