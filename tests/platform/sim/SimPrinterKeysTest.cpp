// A printer's registry key on the simulated machine: SetPrinterDataW on a raw handle, the key that
// mirrors each printer, and the printers read back from their keys when the spooler starts.
#include <gtest/gtest.h>

#include <functional>

#include <nlohmann/json.hpp>

#include "platform/cases/SpoolerCases.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::DWORD;
using platform::RegistryKey;
using platform::sim::SimMachine;
using Bytes = std::vector<std::uint8_t>;
namespace winerr = platform::winerr;
namespace regtype = platform::regtype;

const std::string kPrinterKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Kvx Case Printer";

struct Value {
  std::string name;
  DWORD type = 0;
  Bytes data;
  bool operator==(const Value&) const = default;
};

void PrintTo(const Value& v, std::ostream* os) { *os << v.name << " type " << v.type << " (" << v.data.size() << " bytes)"; }

class SimPrinterKeysTest : public testing::Test {
protected:
  void SetUp() override {
    for (const std::string& file : cases::CaseDriverFiles()) {
      simtest::WriteFile(machine->spooler().HostDriverDirectory() / file, "MZ");
    }
    ASSERT_EQ(p.spooler.AddPrinterDriverA(cases::CaseDriverInfo(names.driver)), 0u);
    std::unique_ptr<platform::PrinterHandle> added;
    ASSERT_EQ(p.spooler.AddPrinterA(cases::CasePrinterInfo(names), added), 0u);
  }
  void TearDown() override { EXPECT_EQ(machine->handles().Describe(), std::vector<std::string>{}); }

  std::unique_ptr<platform::PrinterHandle> Open(DWORD access = platform::printeraccess::AllAccess) {
    std::unique_ptr<platform::PrinterHandle> handle;
    EXPECT_EQ(p.spooler.OpenPrinterA(names.printer, access, handle), 0u);
    return handle;
  }

  std::unique_ptr<RegistryKey> Key(const std::string& path, DWORD access = platform::regaccess::Read) {
    std::unique_ptr<RegistryKey> key;
    EXPECT_EQ(p.registry.OpenKey(platform::RootKey::LocalMachine, path, access, key), 0) << path;
    return key;
  }

  // A key's values as the machine keeps them, in its order.
  std::vector<Value> Values(const std::string& path) {
    std::lock_guard lock(machine->registryTree().mutex());
    const auto key = machine->registryTree().Key(platform::RootKey::LocalMachine, path);
    std::vector<Value> values;
    if (!key) ADD_FAILURE() << "no key " << path;
    for (const auto& v : key ? key->values : std::vector<platform::sim::RegValue>{}) values.push_back({v.name, v.type, v.data});
    return values;
  }

  // Removes a key as an outside component would, under the spooler's feet.
  void RemoveKey(const std::string& parent, const std::string& name) {
    std::lock_guard lock(machine->registryTree().mutex());
    const auto key = machine->registryTree().Key(platform::RootKey::LocalMachine, parent);
    ASSERT_NE(key, nullptr);
    ASSERT_NE(key->FindSubkey(name), nullptr);
    key->RemoveSubkey(*key->FindSubkey(name));
  }

  // GetPrinter2A, a change, SetPrinter2A.
  template <class Change>
  static void ChangeRecord(platform::PrinterHandle& printer, Change change) {
    platform::PrinterInfo2A info;
    DWORD needed = 0;
    ASSERT_EQ(printer.GetPrinter2A(0, needed, info), winerr::InsufficientBuffer);
    ASSERT_EQ(printer.GetPrinter2A(needed, needed, info), 0u);
    change(info);
    ASSERT_EQ(printer.SetPrinter2A(info), 0u);
  }

  void RestartSpooler() {
    std::unique_ptr<platform::ServiceManagerHandle> manager;
    ASSERT_EQ(p.services.OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, manager), 0u);
    std::unique_ptr<platform::ServiceHandle> service;
    ASSERT_EQ(manager->OpenServiceA("spooler", platform::svcaccess::ServiceAllAccess, service), 0u);
    platform::ServiceStatus status;
    ASSERT_EQ(service->ControlService(platform::svccontrol::Stop, status), 0u);
    p.clock.Sleep(machine->config().services["spooler"].stopMs);
    ASSERT_EQ(service->StartServiceA(), 0u);
    p.clock.Sleep(machine->config().services["spooler"].startMs);
  }

  DWORD GetData(platform::RawPrinterHandle raw, const std::u16string& name, Value& out) {
    DWORD needed = 0;
    return p.spooler.GetPrinterDataW(raw, name, 4096, out.type, out.data, needed);
  }

  std::unique_ptr<SimMachine> machine = SimMachine::InMemory();
  platform::Platform p = machine->platform();
  cases::SpoolerCaseNames names;
};

enum class Through { Administer, UseOnly, Closed, Null, EarlierRun, StoppedSpooler };

struct SetCase {
  const char* label;
  Through handle;
  std::u16string name;
  DWORD result;
  std::string storedName;  // what the spooler keeps on success
  DWORD type = regtype::Dword;
  Bytes data = {1, 0, 0, 0};
};

TEST_F(SimPrinterKeysTest, SetPrinterDataWOnARawHandle) {
  const std::vector<SetCase> table = {
      {"administering handle", Through::Administer, u"TTFontSubTableEnable", 0, "TTFontSubTableEnable"},
      {"name in the code page", Through::Administer, u"Wert\u20ac", 0, "Wert\x80"},
      {"name beyond the code page", Through::Administer, u"\u4e2d\u6587", winerr::NotSupported, ""},
      {"handle for use only", Through::UseOnly, u"TTFontSubTable", winerr::AccessDenied, ""},
      {"closed handle", Through::Closed, u"TTFontSubTable", winerr::InvalidHandle, ""},
      {"null handle", Through::Null, u"TTFontSubTable", winerr::InvalidHandle, ""},
      {"handle of an earlier run", Through::EarlierRun, u"TTFontSubTable", winerr::InvalidHandle, ""},
      {"stopped spooler", Through::StoppedSpooler, u"TTFontSubTable", winerr::RpcServerUnavailable, ""},
      {"text in the code page", Through::Administer, u"T", 0, "T", regtype::MultiSz, {0xe9, 0, 0xac, 0x20, 0, 0, 0, 0}},
      {"text beyond the code page", Through::Administer, u"T", winerr::NotSupported, "", regtype::Sz, {0x2d, 0x4e, 0, 0}},
      {"text of odd length", Through::Administer, u"T", winerr::NotSupported, "", regtype::Sz, {'a', 0, 'b'}},
  };
  for (const SetCase& c : table) {
    SCOPED_TRACE(c.label);
    auto printer = Open(c.handle == Through::UseOnly ? platform::printeraccess::Use : platform::printeraccess::AllAccess);
    platform::RawPrinterHandle raw = printer->Raw();
    if (c.handle == Through::Closed) printer.reset();
    if (c.handle == Through::Null) raw = nullptr;
    if (c.handle == Through::EarlierRun) RestartSpooler();
    if (c.handle == Through::StoppedSpooler) machine->config().services["spooler"].state = platform::svcstate::Stopped;

    EXPECT_EQ(p.spooler.SetPrinterDataW(raw, c.name, c.type, c.data), c.result);
    machine->config().services["spooler"].state = platform::svcstate::Running;
    const auto stored = machine->spooler().Snapshot().printers.at(0).printerData;
    const bool kept = std::any_of(stored.begin(), stored.end(), [&](const auto& v) { return v.name == c.storedName; });
    EXPECT_EQ(kept, c.result == 0);
    if (c.result == 0) {
      Value back;
      EXPECT_EQ(GetData(raw, c.name, back), 0u);
      EXPECT_EQ(back, (Value{"", c.type, c.data}));
    }
    machine->spooler().Edit([](auto& state) { state.printers.at(0).printerData.clear(); });
  }
}

TEST_F(SimPrinterKeysTest, KeyHoldsTheRecordDeviceModeAndPrinterData) {
  auto printer = Open();
  const Bytes multi = {'A', 0, 0, 0, 'B', 0, 0, 0, 0, 0};  // UTF-16 "A", "B", end
  ASSERT_EQ(printer->SetPrinterDataA("TrayFormTable", regtype::MultiSz, {'x', 0, 0}), 0u);
  ASSERT_EQ(p.spooler.SetPrinterDataW(printer->Raw(), u"TTFontSubTable", regtype::MultiSz, multi), 0u);
  ASSERT_EQ(p.spooler.SetPrinterDataW(printer->Raw(), u"Name Text", regtype::Sz, {'a', 0}), 0u);
  ASSERT_EQ(p.spooler.SetPrinterDataW(printer->Raw(), u"Blob", regtype::Binary, {9, 8, 7}), 0u);
  ASSERT_EQ(p.spooler.SetPrinterDataW(printer->Raw(), u"TTFontSubTableSize", regtype::Dword, {13, 0, 0, 0}), 0u);
  ASSERT_EQ(p.spooler.SetPrinterDataW(printer->Raw(), u"trayformtable", regtype::MultiSz, {'y', 0, 0, 0}), 0u);
  ChangeRecord(*printer, [](platform::PrinterInfo2A& info) { info.pLocation = "Counter 2"; });

  const auto stored = machine->spooler().Snapshot().printers.at(0);
  const std::vector<Value> expected = {
      {"Name", regtype::Sz, platform::RegSzBytes(names.printer)},
      {"Port", regtype::Sz, platform::RegSzBytes(names.port)},
      {"Printer Driver", regtype::Sz, platform::RegSzBytes(names.driver)},
      {"Description", regtype::Sz, platform::RegSzBytes("Korvex Printers")},
      {"Location", regtype::Sz, platform::RegSzBytes("Counter 2")},
      {"Print Processor", regtype::Sz, platform::RegSzBytes("WinPrint")},
      {"Datatype", regtype::Sz, platform::RegSzBytes("RAW")},
      {"Attributes", regtype::Dword, platform::RegDwordBytes(stored.attributes)},
      {"Default DevMode", regtype::Binary, stored.devMode},
  };
  EXPECT_EQ(Values(kPrinterKey), expected);
  EXPECT_EQ(Values(kPrinterKey + "\\PrinterDriverData"),
            (std::vector<Value>{{"TrayFormTable", regtype::MultiSz, {'y', 0}},
                                {"TTFontSubTable", regtype::MultiSz, {'A', 0, 'B', 0, 0}},
                                {"Name Text", regtype::Sz, {'a'}},
                                {"Blob", regtype::Binary, {9, 8, 7}},
                                {"TTFontSubTableSize", regtype::Dword, {13, 0, 0, 0}}}));
}

struct KeyEdit {
  const char* label;
  std::function<void(RegistryKey& printerKey, RegistryKey& data)> edit;
  std::u16string valueName;
  DWORD getResult;   // GetPrinterDataW of valueName after the restart
  Value value;       // what it reads then
  std::string description;
};

TEST_F(SimPrinterKeysTest, ChangedKeyReachesThePrinterWhenTheSpoolerStarts) {
  const Bytes devMode = machine->spooler().Snapshot().printers.at(0).devMode;
  Bytes otherDevMode = devMode;
  otherDevMode[platform::devmode::FormNameOffset] = 'Z';
  const std::vector<KeyEdit> table = {
      {"printer data changed",
       [](RegistryKey&, RegistryKey& data) { ASSERT_EQ(data.SetValue("Switch", regtype::Dword, {0, 0, 0, 0}), 0); },
       u"Switch", 0, {"", regtype::Dword, {0, 0, 0, 0}}, "Korvex Printers"},
      {"printer data removed",
       [this](RegistryKey&, RegistryKey&) {
         std::lock_guard lock(machine->registryTree().mutex());
         ASSERT_TRUE(machine->registryTree()
                         .Key(platform::RootKey::LocalMachine, kPrinterKey + "\\PrinterDriverData")
                         ->DeleteValue("Switch"));
       },
       u"Switch", winerr::FileNotFound, {}, "Korvex Printers"},
      {"record and device mode changed",
       [&](RegistryKey& key, RegistryKey&) {
         ASSERT_EQ(key.SetValue("Description", regtype::Sz, platform::RegSzBytes("Restored")), 0);
         ASSERT_EQ(key.SetValue("Default DevMode", regtype::Binary, otherDevMode), 0);
       },
       u"Switch", 0, {"", regtype::Dword, {1, 0, 0, 0}}, "Restored"},
  };
  for (const KeyEdit& c : table) {
    SCOPED_TRACE(c.label);
    {
      auto printer = Open();
      ASSERT_EQ(p.spooler.SetPrinterDataW(printer->Raw(), u"Switch", regtype::Dword, {1, 0, 0, 0}), 0u);
      ASSERT_EQ(printer->SetPrinterDataA("Other", regtype::Sz, {'o', 0}), 0u);
    }
    auto key = Key(kPrinterKey, platform::regaccess::AllAccess);
    auto data = Key(kPrinterKey + "\\PrinterDriverData", platform::regaccess::AllAccess);
    c.edit(*key, *data);
    auto before = Open();
    Value unchanged;
    EXPECT_EQ(GetData(before->Raw(), u"Switch", unchanged), 0u) << "the running spooler keeps its own";
    EXPECT_EQ(unchanged.data, (Bytes{1, 0, 0, 0}));

    RestartSpooler();
    auto printer = Open();
    Value read;
    EXPECT_EQ(GetData(printer->Raw(), c.valueName, read), c.getResult);
    if (c.getResult == 0) {
      EXPECT_EQ(read, c.value);
    }
    EXPECT_EQ(GetData(printer->Raw(), u"Other", read), 0u) << "untouched data stays";
    platform::PrinterInfo2A info;
    DWORD needed = 0;
    ASSERT_EQ(printer->GetPrinter2A(0, needed, info), winerr::InsufficientBuffer);
    ASSERT_EQ(printer->GetPrinter2A(needed, needed, info), 0u);
    EXPECT_EQ(info.pComment, c.description);
    Bytes current;
    ASSERT_EQ(printer->DocumentPropertiesA(names.printer, &current, nullptr, platform::dmmode::OutBuffer),
              platform::dmmode::IdOk);
    EXPECT_EQ(current, c.description == "Restored" ? otherDevMode : devMode);
  }
}

TEST_F(SimPrinterKeysTest, KeysFollowRenamesAndStartsFollowKeys) {
  auto printer = Open();
  ChangeRecord(*printer, [](platform::PrinterInfo2A& info) { info.pPrinterName = "Kvx Renamed"; });
  std::unique_ptr<RegistryKey> gone;
  EXPECT_EQ(p.registry.OpenKey(platform::RootKey::LocalMachine, kPrinterKey, platform::regaccess::Read, gone),
            static_cast<platform::LONG>(winerr::FileNotFound));
  const std::string renamedKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Kvx Renamed";
  EXPECT_EQ(Values(renamedKey).at(0), (Value{"Name", regtype::Sz, platform::RegSzBytes("Kvx Renamed")}));
  EXPECT_EQ(p.spooler.SetPrinterDataW(printer->Raw(), u"After", regtype::Dword, {2, 0, 0, 0}), 0u)
      << "the handle's value follows the rename";
  printer.reset();

  // A key made by hand is a printer after the next start; a printer whose key went is forgotten.
  std::unique_ptr<RegistryKey> made;
  ASSERT_EQ(p.registry.CreateKey(platform::RootKey::LocalMachine, kPrinterKey, platform::regaccess::AllAccess, made), 0);
  ASSERT_EQ(made->SetValue("Port", regtype::Sz, platform::RegSzBytes("FILE:")), 0);
  ASSERT_EQ(made->SetValue("Printer Driver", regtype::Sz, platform::RegSzBytes(names.driver)), 0);
  made.reset();
  RemoveKey("SYSTEM\\CurrentControlSet\\Control\\Print\\Printers", "Kvx Renamed");
  RestartSpooler();
  const auto printers = machine->spooler().Snapshot().printers;
  ASSERT_EQ(printers.size(), 1u);
  EXPECT_EQ(printers[0].name, names.printer);
  EXPECT_EQ(printers[0].port, "FILE:");
}

TEST_F(SimPrinterKeysTest, LoadedMachineRebuildsKeysFromItsSpoolerSection) {
  simtest::TempDir temp;
  {
    auto saved = SimMachine::OpenFolder(temp.path());
    saved->spooler().Edit([&](auto& state) { state = machine->spooler().Snapshot(); });
    saved->Save();
  }
  auto doc = nlohmann::ordered_json::parse(simtest::ReadFile(temp.path() / "machine.json"));
  auto& key = doc["registry"]["HKEY_LOCAL_MACHINE"][kPrinterKey];
  ASSERT_TRUE(key.is_object()) << doc["registry"].dump();
  key["Description"] = "Stale";
  simtest::WriteFile(temp.path() / "machine.json", doc.dump());

  auto loaded = SimMachine::OpenFolder(temp.path());
  std::unique_ptr<RegistryKey> reopened;
  ASSERT_EQ(loaded->platform().registry.OpenKey(platform::RootKey::LocalMachine, kPrinterKey,
                                                platform::regaccess::Read, reopened),
            0);
  DWORD type = 0;
  Bytes description;
  ASSERT_EQ(reopened->QueryValue("Description", type, description), 0);
  EXPECT_EQ(description, platform::RegSzBytes("Korvex Printers"));
}

}  // namespace
