// A user without administrative rights: Windows refuses every change of the system's files, of
// HKEY_LOCAL_MACHINE, of the spooler's registrations and of services, and lets the user read. Each
// operation here succeeds for an administrator.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/cases/SpoolerCases.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::DWORD;
using platform::Platform;
using platform::RootKey;
namespace winerr = platform::winerr;

constexpr const char* kSource = "C:\\Source\\new.dll";
constexpr const char* kSystemFile = "C:\\Windows\\System32\\present.dll";
constexpr DWORD kManagerConnect = 0x1;
constexpr DWORD kServiceQueryStatus = 0x4;

cases::SpoolerCaseNames Names() { return {}; }

// A machine with a file in the system directory, the case driver and printer, a registered
// monitor, and keys under HKEY_LOCAL_MACHINE.
std::unique_ptr<platform::sim::SimMachine> PreparedMachine() {
  auto machine = platform::sim::SimMachine::InMemory();
  Platform p = machine->platform();
  const auto system = machine->driveC() / "Windows" / "System32";
  for (const char* file : {"present.dll", "TestMon.dll"}) simtest::WriteFile(system / file, "MZ");
  simtest::WriteFile(machine->driveC() / "Source" / "new.dll", "MZ");
  for (const std::string& file : cases::CaseDriverFiles())
    simtest::WriteFile(machine->spooler().HostDriverDirectory() / file, "MZ");
  simtest::WriteFile(machine->driveC() / "Source" / "k.inf", "[Version]");
  EXPECT_EQ(p.spooler.AddPrinterDriverA(cases::CaseDriverInfo(Names().driver)), 0u);
  std::unique_ptr<platform::PrinterHandle> printer;
  EXPECT_EQ(p.spooler.AddPrinterA(cases::CasePrinterInfo(Names()), printer), 0u);
  EXPECT_EQ(p.spooler.AddMonitorA("Test Monitor", std::nullopt, "TestMon.dll"), 0u);
  std::unique_ptr<platform::RegistryKey> key;
  EXPECT_EQ(p.registry.CreateKey(RootKey::LocalMachine, "SOFTWARE\\Korvex", platform::regaccess::AllAccess, key), 0);
  EXPECT_EQ(key->SetValue("Version", platform::regtype::Dword, platform::RegDwordBytes(1)), 0);
  return machine;
}

DWORD OpenPrinter(Platform& p, DWORD access) {
  std::unique_ptr<platform::PrinterHandle> printer;
  return p.spooler.OpenPrinterA(Names().printer, access, printer);
}

// Opened with whatever the user may have, as a program that does not know would.
DWORD ChangePrinter(Platform& p, const std::function<DWORD(platform::PrinterHandle&)>& change) {
  std::unique_ptr<platform::PrinterHandle> printer;
  if (const DWORD error = p.spooler.OpenPrinterA(Names().printer, platform::access::MaximumAllowed, printer)) return error;
  return change(*printer);
}

DWORD MachineKey(Platform& p, DWORD access, const std::function<platform::LONG(platform::RegistryKey&)>& use) {
  std::unique_ptr<platform::RegistryKey> key;
  if (const platform::LONG error = p.registry.OpenKey(RootKey::LocalMachine, "SOFTWARE\\Korvex", access, key)) {
    return static_cast<DWORD>(error);
  }
  return static_cast<DWORD>(use(*key));
}

DWORD OpenSpoolerService(Platform& p, DWORD access) {
  std::unique_ptr<platform::ServiceManagerHandle> manager;
  if (const DWORD error = p.services.OpenSCManagerA(kManagerConnect, manager)) return error;
  std::unique_ptr<platform::ServiceHandle> service;
  return manager->OpenServiceA("spooler", access, service);
}

struct UserCase {
  const char* name;
  std::function<DWORD(Platform&)> operation;
  DWORD standardUser;  // the answer to a user without administrative rights
};

void PrintTo(const UserCase& row, std::ostream* os) { *os << row.name; }

class SimStandardUserTest : public testing::TestWithParam<UserCase> {};

TEST_P(SimStandardUserTest, IsRefusedWhatNeedsAnAdministrator) {
  for (const bool administrator : {true, false}) {
    auto machine = PreparedMachine();
    machine->config().user.administrator = administrator;
    Platform p = machine->platform();
    EXPECT_EQ(GetParam().operation(p), administrator ? winerr::Success : GetParam().standardUser)
        << (administrator ? "administrator" : "standard user");
  }
}

const DWORD kRefused = winerr::AccessDenied;

INSTANTIATE_TEST_SUITE_P(
    Operations, SimStandardUserTest,
    testing::Values(
        UserCase{"CopyIntoSystemDirectory",
                 [](Platform& p) { return p.files.CopyFileA(kSource, "C:\\Windows\\System32\\new.dll", false); }, kRefused},
        UserCase{"CopyOverSystemFile",
                 [](Platform& p) { return p.files.CopyFileA(kSource, "c:\\WINDOWS\\system32\\PRESENT.DLL", false); }, kRefused},
        UserCase{"CopyIntoDriverDirectory",
                 [](Platform& p) {
                   return p.files.CopyFileA(kSource, "C:\\Windows\\System32\\spool\\drivers\\x64\\new.dll", false);
                 },
                 kRefused},
        UserCase{"CopyIntoWindows", [](Platform& p) { return p.files.CopyFileA(kSource, "C:\\Windows\\new.dll", false); },
                 kRefused},
        UserCase{"DeleteSystemFile", [](Platform& p) { return p.files.DeleteFileA(kSystemFile); }, kRefused},
        UserCase{"SetSystemFileAttributes",
                 [](Platform& p) { return p.files.SetFileAttributesA(kSystemFile, platform::fileattr::Normal); }, kRefused},
        UserCase{"CopyOutOfSystemDirectory",
                 [](Platform& p) { return p.files.CopyFileA(kSystemFile, "C:\\Source\\copy.dll", false); }, 0},
        UserCase{"CreateMachineKey",
                 [](Platform& p) {
                   std::unique_ptr<platform::RegistryKey> key;
                   return static_cast<DWORD>(
                       p.registry.CreateKey(RootKey::LocalMachine, "SOFTWARE\\Korvex\\New", platform::regaccess::Read, key));
                 },
                 kRefused},
        UserCase{"OpenMachineKeyToChange",
                 [](Platform& p) { return MachineKey(p, platform::regaccess::AllAccess, [](auto&) { return platform::LONG{0}; }); },
                 kRefused},
        UserCase{"SetMachineValue",
                 [](Platform& p) {
                   return MachineKey(p, platform::access::MaximumAllowed,
                                     [](platform::RegistryKey& key) { return key.SetValue("v", 4, {1, 0, 0, 0}); });
                 },
                 kRefused},
        UserCase{"ReadMachineKey",
                 [](Platform& p) {
                   return MachineKey(p, platform::regaccess::Read, [](platform::RegistryKey& key) {
                     DWORD type = 0;
                     std::vector<std::uint8_t> data;
                     return key.QueryValue("Version", type, data);
                   });
                 },
                 0},
        UserCase{"WriteUserKey",
                 [](Platform& p) {
                   std::unique_ptr<platform::RegistryKey> key;
                   const platform::LONG created =
                       p.registry.CreateKey(RootKey::CurrentUser, "Software\\Korvex", platform::regaccess::AllAccess, key);
                   return static_cast<DWORD>(created ? created : key->SetValue("v", 4, {1, 0, 0, 0}));
                 },
                 0},
        UserCase{"OpenPrinterWithAllAccess", [](Platform& p) { return OpenPrinter(p, platform::printeraccess::AllAccess); },
                 kRefused},
        UserCase{"OpenPrinterToAdminister",
                 [](Platform& p) { return OpenPrinter(p, platform::printeraccess::Administer); }, kRefused},
        UserCase{"OpenPrinterToUse", [](Platform& p) { return OpenPrinter(p, platform::printeraccess::Use); }, 0},
        UserCase{"SetPrinter",
                 [](Platform& p) {
                   return ChangePrinter(p, [](platform::PrinterHandle& printer) {
                     return printer.SetPrinter2A(cases::CasePrinterInfo(Names()));
                   });
                 },
                 kRefused},
        UserCase{"SetPrinterData",
                 [](Platform& p) {
                   return ChangePrinter(
                       p, [](platform::PrinterHandle& printer) { return printer.SetPrinterDataA("v", 4, {1, 0, 0, 0}); });
                 },
                 kRefused},
        UserCase{"AddPrinterDriver",
                 [](Platform& p) { return p.spooler.AddPrinterDriverA(cases::CaseDriverInfo("Another Driver")); },
                 kRefused},
        UserCase{"AddMonitor",
                 [](Platform& p) { return p.spooler.AddMonitorA("Another Monitor", std::nullopt, "TestMon.dll"); },
                 kRefused},
        UserCase{"AddPrinter",
                 [](Platform& p) {
                   auto names = Names();
                   names.printer = "Another Printer";
                   std::unique_ptr<platform::PrinterHandle> printer;
                   return p.spooler.AddPrinterA(cases::CasePrinterInfo(names), printer);
                 },
                 kRefused},
        UserCase{"AddPort", [](Platform& p) { return p.spooler.AddPortExA("Test_IP_1", "Test Monitor"); }, kRefused},
        UserCase{"DeleteMonitor", [](Platform& p) { return p.spooler.DeleteMonitorA("Test Monitor", std::nullopt); },
                 kRefused},
        UserCase{"DeleteKey",
                 [](Platform& p) { return static_cast<platform::DWORD>(p.registry.DeleteKey(RootKey::LocalMachine, "SOFTWARE\\Korvex")); },
                 kRefused},
        UserCase{"EnumeratePorts",
                 [](Platform& p) {
                   std::vector<std::string> ports;
                   return p.spooler.EnumPortsA(ports);
                 },
                 0},
        UserCase{"OpenServiceManagerWithAllAccess",
                 [](Platform& p) {
                   std::unique_ptr<platform::ServiceManagerHandle> manager;
                   return p.services.OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager);
                 },
                 kRefused},
        UserCase{"OpenSpoolerToControl",
                 [](Platform& p) { return OpenSpoolerService(p, platform::svcaccess::ServiceAllAccess); }, kRefused},
        UserCase{"OpenSpoolerToQuery", [](Platform& p) { return OpenSpoolerService(p, kServiceQueryStatus); }, 0},
        UserCase{"InstallDeviceDriver",
                 [](Platform& p) {
                   bool reboot = false;
                   return p.devices.UpdateDriverForPlugAndPlayDevicesA("ACPI\\PNP0501", "C:\\Source\\k.inf", 0, reboot);
                 },
                 kRefused}),
    [](const testing::TestParamInfo<UserCase>& param) { return std::string(param.param.name); });

}  // namespace
