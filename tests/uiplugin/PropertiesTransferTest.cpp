// The import/export page on the simulated machine: what the user sees for every outcome, what is
// left on disk, and a printer's whole key through a hive file and back.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/sim/SimMachine.h"
#include "settingsfile/PrinterKeyExport.h"
#include "platform/sim/Text.h"
#include "platform/sim/SimTestSupport.h"
#include "ui/headless/HeadlessKit.h"
#include "ui/headless/PluginResources.h"
#include "uiplugin/PropertiesTransfer.h"
#include "uiplugin/PropertiesTransferPage.h"
#include "uiplugin/res/resource.h"

namespace {

namespace fs = std::filesystem;
using platform::sim::SimMachine;
using uiplugin::TransferDirection;

constexpr const char* kPrinterA = "RQ-7200 TH";
const std::u16string kPrinter = u"RQ-7200 TH";
const std::u16string kBackup = u"C:\\Backup\\kvxproperties.reg";
const std::string kOldBackup = "an earlier backup";
const std::string kPrinterKey = std::string("SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\") + kPrinterA;

using Message = std::tuple<std::string, std::string, unsigned>;  // caption, text, type
const Message kNoPrivilege{"Error Privileges", "You do not have enough privileges to execute this operation",
                           ui::mb::Ok | ui::mb::IconError};
const Message kFailed{"Error Privileges",
                      "Operation failed! You need to disable User Access Control to access this feature",
                      ui::mb::Ok | ui::mb::IconError};
const Message kExported{"Tolvaren Export", "Success creating backup file.", ui::mb::Ok};
const Message kImported{"Tolvaren Import", "Success restoring backup. ", ui::mb::Ok};

// A machine with one printer and an empty folder C:\Backup.
struct Rig {
  Rig() {
    platform::sim::SpoolerPrinter printer;
    printer.name = kPrinterA;
    printer.port = "COM1:";
    printer.driver = "RQ-7200 TH";
    printer.devMode = std::vector<std::uint8_t>(platform::devmode::Size + 8, 0x11);
    printer.printerData = {{"Marker", platform::regtype::Dword, {1, 0, 0, 0}}};
    machine->spooler().Edit([&](platform::sim::SpoolerState& s) { s.printers.push_back(printer); });
    fs::create_directories(Backup());
  }

  fs::path Backup() const { return machine->driveC() / "Backup"; }
  platform::sim::SpoolerPrinter Printer() const { return *machine->spooler().Snapshot().FindPrinter(kPrinterA); }
  void SetMarker(std::uint8_t value) {
    machine->spooler().Edit([&](platform::sim::SpoolerState& s) {
      s.FindPrinter(kPrinterA)->FindData("Marker")->data = {value, 0, 0, 0};
    });
  }
  // Each file of the backup folder: "hive" for a registry hive, "old" for the earlier backup.
  std::map<std::string, std::string> Folder() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(Backup())) {
      const std::string bytes = simtest::ReadFile(entry.path());
      files[entry.path().filename().string()] = bytes.starts_with("regf") ? "hive" : bytes == kOldBackup ? "old" : bytes;
    }
    return files;
  }

  std::unique_ptr<SimMachine> machine = SimMachine::InMemory();
  platform::Platform p = machine->platform();
  ui::headless::ScriptedUser user;
  ui::headless::HeadlessKit kit{ui::headless::testing::PluginResources(), 0x0409, user};
};

TEST(PrinterKeyPath, FormatsIntoSevenHundredUnits) {
  const std::u16string base = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";
  EXPECT_EQ(settingsfile::PrinterKeyPath(u"RQ-7200 TH"), base + u"RQ-7200 TH");
  const std::u16string longest(699 - base.size(), u'x');
  EXPECT_EQ(settingsfile::PrinterKeyPath(longest), base + longest);
  EXPECT_EQ(settingsfile::PrinterKeyPath(longest + u'x'), std::nullopt);
}

TEST(PropertiesTransferPage, EveryOutcome) {
  struct Row {
    const char* name;
    TransferDirection direction;
    std::u16string printer;  // empty: no printer recorded
    std::function<void(SimMachine&)> arrange;
    std::optional<std::u16string> chosen;  // nullopt: the dialog is cancelled
    intptr_t result;
    std::vector<Message> messages;
    bool dialog;
    std::map<std::string, std::string> folder;
    std::uint8_t marker;  // import rows: 1 once restored, 2 as changed after the export; else 0
  };
  const auto none = [](SimMachine&) {};
  const auto oldBackup = [](SimMachine& m) {
    simtest::WriteFile(m.driveC() / "Backup" / "kvxproperties.reg", kOldBackup);
  };
  const auto fail = [](std::string op, platform::DWORD error, std::function<void(SimMachine&)> also = {}) {
    return [=](SimMachine& m) {
      if (also) also(m);
      m.faults().FailOnce(op, error);
    };
  };
  const std::map<std::string, std::string> empty, old{{"kvxproperties.reg", "old"}},
      hive{{"kvxproperties.reg", "hive"}};
  const auto E = TransferDirection::Export;
  const auto I = TransferDirection::Import;
  const std::vector<Row> rows = {
      {"token cannot be opened", E, kPrinter, fail("OpenProcessToken", 5), kBackup, 0, {kNoPrivilege}, false, empty, 0},
      {"backup privilege not adjusted", I, kPrinter, fail("AdjustTokenPrivileges", 5), kBackup, 0, {kNoPrivilege},
       false, hive, 2},
      {"restore privilege not adjusted", E, kPrinter,
       [](SimMachine& m) { m.faults().FailNth("AdjustTokenPrivileges", 2, 5); }, kBackup, 0, {kNoPrivilege}, false,
       empty, 0},
      {"privileges not held: the save is refused", E, kPrinter,
       [](SimMachine& m) { m.config().user.administrator = false; }, kBackup, 0, {kFailed}, true, empty, 0},
      {"no printer recorded, export", E, u"", none, kBackup, 0, {kFailed}, false, empty, 0},
      {"no printer recorded, import", I, u"", none, kBackup, 0, {kFailed}, false, hive, 2},
      {"export dialog cancelled", E, kPrinter, oldBackup, std::nullopt, 0, {}, true, old, 0},
      {"import dialog cancelled", I, kPrinter, none, std::nullopt, 0, {}, true, hive, 2},
      {"key cannot be opened", E, u"Gone", none, kBackup, 0, {kFailed}, true, empty, 0},
      {"save fails: the earlier backup stays", E, kPrinter, fail("RegSaveKeyExW", 1314, oldBackup), kBackup, 0,
       {kFailed}, true, old, 0},
      {"replacing fails: the earlier backup stays", E, kPrinter, fail("MoveFileExW", 5, oldBackup), kBackup, 0,
       {kFailed}, true, old, 0},
      {"restore fails", I, kPrinter, fail("RegRestoreKeyW", 1314), kBackup, 0, {kFailed}, true, hive, 2},
      {"not a hive", I, kPrinter, oldBackup, kBackup, 0, {kFailed}, true, old, 2},
      {"export succeeds", E, kPrinter, none, kBackup, 1, {kExported}, true, hive, 0},
      {"an existing export file is replaced", E, kPrinter, oldBackup, kBackup, 1, {kExported}, true, hive, 0},
      {"a leftover of the temporary name is passed over", E, kPrinter,
       [](SimMachine& m) { simtest::WriteFile(m.driveC() / "Backup" / "kvxproperties.reg~0", kOldBackup); }, kBackup, 1,
       {kExported}, true, {{"kvxproperties.reg", "hive"}, {"kvxproperties.reg~0", "old"}}, 0},
      {"a name without extension is used as typed", E, kPrinter, none, u"C:\\Backup\\props", 1, {kExported}, true,
       {{"props", "hive"}}, 0},
      {"import succeeds and closes the sheet", I, kPrinter, none, kBackup, 1, {kImported}, true, hive, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Rig rig;
    SimMachine* machine = rig.machine.get();
    auto& rowKit = rig.kit;
    if (row.direction == I) {
      // The file to import holds marker 1; the printer has moved on to 2 since.
      uiplugin::PropertiesTransfer before(rig.p, kPrinter);
      ASSERT_TRUE(before.EnableBackupRestorePrivileges());
      ASSERT_TRUE(before.ExportPrinterProperties(kBackup));
      rig.SetMarker(2);
    }
    row.arrange(*machine);
    rig.user.OnFileDialog([&](const ui::FileDialogRequest&) { return row.chosen; });
    uiplugin::PropertiesTransferPage page(rowKit, rig.p, row.printer);
    rowKit.BindPage(page, &page);
    const int id = row.direction == I ? IDC_IMPORT_PROPERTIES : IDC_EXPORT_PROPERTIES;
    EXPECT_EQ(page.Command(id, 0), row.result);

    std::vector<Message> shown;
    for (const auto& box : rowKit.MessageBoxes()) shown.emplace_back(box.caption, box.text, box.type);
    EXPECT_EQ(shown, row.messages);
    ASSERT_EQ(rowKit.FileDialogs().size(), row.dialog ? 1u : 0u);
    if (row.dialog) {
      const ui::FileDialogRequest& request = rowKit.FileDialogs()[0];
      EXPECT_EQ(request.save, row.direction == E);
      EXPECT_EQ(request.title, row.direction == E ? u"Export Tolvaren Printer Properties"
                                                  : u"Import Tolvaren Printer Properties");
      EXPECT_EQ(std::tie(request.filterName, request.filterPattern, request.initialName, request.bufferUnits),
                std::make_tuple(std::u16string(u"reg files"), std::u16string(u"*.reg"),
                                std::u16string(u"kvxproperties.reg"), std::size_t{256}));
    }
    EXPECT_EQ(rig.Folder(), row.folder);
    const bool imported = row.direction == I && row.result == 1;
    EXPECT_EQ(rowKit.ParentDestroyed(page), imported);
    EXPECT_EQ(machine->faults().CallCount("StartServiceA"), imported ? 1u : 0u);
    EXPECT_EQ(machine->messages().Broadcasts().size(), imported ? 1u : 0u);
    if (row.direction == I) {
      machine->clock().Advance(1000);  // the restarted spooler has read its printers again
      EXPECT_EQ(rig.Printer().FindData("Marker")->data.at(0), row.marker);
    }
    rowKit.UnbindPage(page);
  }
}

// The page's messages and file dialog in the user's language (Brazilian Portuguese here).
TEST(PropertiesTransferPage, SpeaksTheUsersLanguage) {
  Rig rig;
  ui::headless::HeadlessKit kit{ui::headless::testing::PluginResources(), 0x0416, rig.user};
  uiplugin::PropertiesTransferPage page(kit, rig.p, kPrinter), unrecorded(kit, rig.p, u"");
  kit.BindPage(page, &page);
  kit.BindPage(unrecorded, &unrecorded);
  EXPECT_EQ(page.Command(IDC_EXPORT_PROPERTIES, 0), 0);  // cancelled
  EXPECT_EQ(unrecorded.Command(IDC_IMPORT_PROPERTIES, 0), 0);
  ASSERT_EQ(kit.FileDialogs().size(), 1u);
  EXPECT_EQ(kit.FileDialogs()[0].title, u"Exportar propriedades da impressora Tolvaren");
  EXPECT_EQ(kit.FileDialogs()[0].filterName, u"arquivos reg");
  ASSERT_EQ(kit.MessageBoxes().size(), 1u);
  EXPECT_EQ(kit.MessageBoxes()[0].caption, "Erro de privil\xE9gios");
  EXPECT_EQ(kit.MessageBoxes()[0].text, "A opera\xE7\xE3o falhou! Voc\xEA precisa desativar o Controle de Conta de "
                                        "Usu\xE1rio para acessar este recurso");
  kit.UnbindPage(unrecorded);
  kit.UnbindPage(page);
}

TEST(PropertiesTransfer, RestartStopsThenStartsWithoutWatching) {
  struct Row {
    const char* name;
    std::function<void(SimMachine&)> arrange;
    std::size_t stops, starts;
    std::uint64_t waitedMs;
  };
  const std::vector<Row> rows = {
      {"stop, then start", [](SimMachine&) {}, 1, 1, 400},
      {"a refused stop is sent once more", [](SimMachine& m) { m.faults().FailOnce("ControlService", 1061); }, 2, 1,
       400},
      {"a refused start is sent once more", [](SimMachine& m) { m.faults().FailOnce("StartServiceA", 1056); }, 1, 2,
       400},
      {"no service manager", [](SimMachine& m) { m.faults().FailOnce("OpenSCManagerA", 5); }, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Rig rig;
    SimMachine* machine = rig.machine.get();
    machine->faults().ResetLog();
    row.arrange(*machine);
    const std::uint64_t start = machine->clock().Elapsed();
    uiplugin::PropertiesTransfer(rig.p, kPrinter).RestartSpooler();
    EXPECT_EQ(machine->faults().CallCount("ControlService"), row.stops);
    EXPECT_EQ(machine->faults().CallCount("StartServiceA"), row.starts);
    EXPECT_EQ(machine->faults().CallCount("QueryServiceStatus"), 0u);
    EXPECT_EQ(machine->clock().Elapsed() - start, row.waitedMs);
    EXPECT_EQ(machine->handles().OpenCount(), 0u);
  }
}

// The printer's key as text: every subkey, and every value with its type and bytes.
std::map<std::string, std::string> KeyContents(SimMachine& machine, const std::string& path) {
  std::lock_guard lock(machine.registryTree().mutex());
  std::map<std::string, std::string> contents;
  std::function<void(const platform::sim::RegNode&, const std::string&)> walk = [&](const auto& key,
                                                                                     const std::string& sub) {
    contents[sub] = "key";
    for (const auto& v : key.values) {
      contents[sub + ":" + v.name] = std::to_string(v.type) + " " + platform::sim::ToHex(v.data);
    }
    for (const auto& s : key.subkeys) walk(*s, sub + "\\" + s->name);
  };
  const auto key = machine.registryTree().Key(platform::RootKey::LocalMachine, path);
  EXPECT_NE(key, nullptr);
  if (key) walk(*key, "");
  return contents;
}

std::optional<std::string> HivexExport(const fs::path& hive) {
  if (std::system("command -v hivexregedit >/dev/null 2>&1") != 0) return std::nullopt;
  std::string out;
  if (FILE* pipe = popen(("hivexregedit --export '" + hive.string() + "' '\\' 2>&1").c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    if (pclose(pipe) != 0) ADD_FAILURE() << "hivexregedit refused the file:\n" << out;
  }
  return out;
}

TEST(PropertiesTransfer, PrinterKeyRoundTripsThroughTheHiveFile) {
  Rig rig;
  SimMachine* machine = rig.machine.get();
  platform::Platform& p = rig.p;
  const std::vector<platform::sim::PrinterDataValue> data = {
      {"Name", platform::regtype::Sz, {'K', 'v', 0xE9, 0}},
      {"Table", platform::regtype::Binary, {0, 1, 2, 0xFE, 0xFF}},
      {"Count", platform::regtype::Dword, {7, 0, 0, 0}},
      {"Fonts", platform::regtype::MultiSz, {'A', 0, 'B', 0, 0}},
  };
  machine->spooler().Edit([&](platform::sim::SpoolerState& s) {
    auto& printer = *s.FindPrinter(kPrinterA);
    printer.printerData.insert(printer.printerData.end(), data.begin(), data.end());
    for (std::size_t i = 0; i < printer.devMode.size(); ++i) printer.devMode[i] = static_cast<std::uint8_t>(i * 7);
  });
  {
    std::unique_ptr<platform::RegistryKey> sub;
    ASSERT_EQ(p.registry.CreateKey(platform::RootKey::LocalMachine, kPrinterKey + "\\Extra\\Deeper",
                                   platform::regaccess::AllAccess, sub),
              0);
    ASSERT_EQ(sub->SetValue("Deep", platform::regtype::Binary, {9, 8, 7}), 0);
  }
  const auto printerBefore = rig.Printer();
  const auto keyBefore = KeyContents(*machine, kPrinterKey);

  uiplugin::PropertiesTransfer transfer(p, kPrinter);
  ASSERT_TRUE(transfer.EnableBackupRestorePrivileges());
  ASSERT_TRUE(transfer.ExportPrinterProperties(kBackup));
  if (const auto text = HivexExport(rig.Backup() / "kvxproperties.reg")) {
    for (const char* expected : {"\"Name\"=hex(1):4b,00,76,00,e9,00,00,00", "\"Table\"", "\"Count\"",
                                 "\"Fonts\"=hex(7):41,00,00,00,42,00,00,00,00,00", "\"Deep\"", "\"Default DevMode\"",
                                 "PrinterDriverData]", "Extra\\Deeper]"})
      EXPECT_NE(text->find(expected), std::string::npos) << expected << " missing in:\n" << *text;
  } else {
    std::printf("hivexregedit missing (libhivex-bin): the hive file is not read by an independent reader\n");
  }

  machine->spooler().Edit([&](platform::sim::SpoolerState& s) {
    auto& printer = *s.FindPrinter(kPrinterA);
    printer.devMode.assign(platform::devmode::Size, 0);
    printer.printerData = {{"Count", platform::regtype::Dword, {8, 0, 0, 0}}, {"New", platform::regtype::Sz, {0, 0}}};
  });
  {
    std::lock_guard lock(machine->registryTree().mutex());
    const auto extra = machine->registryTree().Key(platform::RootKey::LocalMachine, kPrinterKey + "\\Extra");
    ASSERT_NE(extra, nullptr);
    extra->RemoveSubkey(*extra->FindSubkey("Deeper"));
  }
  {
    std::unique_ptr<platform::RegistryKey> stray;
    ASSERT_EQ(p.registry.CreateKey(platform::RootKey::LocalMachine, kPrinterKey + "\\Stray",
                                   platform::regaccess::AllAccess, stray),
              0);
  }
  ASSERT_NE(KeyContents(*machine, kPrinterKey), keyBefore);

  ASSERT_TRUE(transfer.ImportPrinterProperties(kBackup));
  machine->clock().Advance(1000);
  EXPECT_EQ(machine->services().CurrentState("Spooler"), platform::svcstate::Running);
  EXPECT_EQ(KeyContents(*machine, kPrinterKey), keyBefore);
  const auto printerAfter = rig.Printer();
  EXPECT_EQ(printerAfter.devMode, printerBefore.devMode);
  EXPECT_EQ(printerAfter.printerData, printerBefore.printerData);
  const std::vector<platform::sim::Broadcast> sent = {
      {platform::wm::DevModeChange, "", platform::wm::SmtoNormal, 1000, true, kPrinter}};
  EXPECT_EQ(machine->messages().Broadcasts(), sent);
}

}  // namespace
