// Every system call of each plug-in operation, failed once in turn, with the module driven as a driver
// core drives it: the caller's records stay valid, the printer's data and the user's backup file are
// either as they were or fully as intended, every object is released and nothing is left open.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/RegistryHive.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/Text.h"
#include "tests/platform/sim/SimTestSupport.h"
#include "tests/ui/headless/PluginResources.h"
#include "support/FaultSweep.h"
#include "tests/uiplugin/PluginTestSupport.h"
#include "ui/headless/HeadlessKit.h"
#include "ui/headless/HeadlessWindow.h"
#include "uiplugin/OemDevMode.h"
#include "uiplugin/PropertiesTransfer.h"
#include "uiplugin/SubstitutionTable.h"
#include "uiplugin/res/resource.h"

namespace {

namespace fs = std::filesystem;
namespace hr = oemui::hresult;
using platform::DWORD;
using plugintest::Com;
using plugintest::Dword;
using faultsweep::Fault;

constexpr const char* kPrinterA = "RQ-7200 TH";
const std::u16string kBackup = u"C:\\Backup\\kvxproperties.reg";
const std::string kPrinterKey = std::string("SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\") + kPrinterA;

ui::Kit* sessionKit = nullptr;  // the kit the module's pages run on in the session under way

std::string KeyText(const platform::sim::RegNode& key, const std::string& path = "") {
  std::string text = "[" + path + "]\n";
  for (const auto& value : key.values)
    text += value.name + "=" + std::to_string(value.type) + ":" + platform::sim::ToHex(value.data) + "\n";
  for (const auto& sub : key.subkeys) text += KeyText(*sub, path + "\\" + sub->name);
  return text;
}

// One property sheet's life on a fresh machine: the module attached, one UI object, one printer.
struct Session {
  Session() {
    const std::u16string table = u"Sans Text\nFontA11\nMono Code\nBarcode3";
    plugintest::AddPrinter(
        *machine, kPrinterA,
        {{"TOLV_LINE_FEEDS_VALUE", platform::regtype::Dword, Dword(7)},
         {"TOLV_X_COMPRESSION_VALUE", platform::regtype::Dword, Dword(0)},
         {"TTFontSubTableEnable", platform::regtype::Dword, Dword(0)},
         {"TTFontSubTable", platform::regtype::MultiSz,
          *platform::sim::TextBytesFromUtf16(uiplugin::StoredTableForm(table))},
         {"TTFontSubTableSize", platform::regtype::Dword, Dword(static_cast<DWORD>(table.size()))}});
    EXPECT_EQ(p.spooler.OpenPrinterA(kPrinterA, platform::printeraccess::AllAccess, printerHandle), 0u);
    fs::create_directories(machine->driveC() / "Backup");
    sessionKit = &kit;
    uiplugin::Attach(&instance, &p, [] { return sessionKit; });
    Com<oemui::IClassFactory> factory;
    EXPECT_EQ(uiplugin::GetClassObject(oemui::ClsidOemUi, oemui::IidClassFactory, factory.out()), hr::Ok);
    EXPECT_EQ(factory->CreateInstance(nullptr, oemui::IidPrintOemUi, ui.out()), hr::Ok);
  }
  ~Session() {
    uiplugin::Attach(nullptr, nullptr);
    sessionKit = nullptr;
  }

  void RecordPrinter() {
    common.cbSize = sizeof common;
    common.hPrinter = printerHandle->Raw();
    common.pPrinterName = printerName.data();
    EXPECT_EQ(ui->CommonUIProp(oemui::oemcuip::PrnProp, &common), hr::Ok);
  }
  static oemui::LONG_PTR AddPage(oemui::HANDLE sheet, oemui::UINT, oemui::LPARAM page, oemui::LPARAM) {
    auto& pages = *static_cast<std::vector<oemui::PROPSHEETPAGEW_V2>*>(sheet);
    pages.push_back(*reinterpret_cast<const oemui::PROPSHEETPAGEW_V2*>(page));
    return static_cast<oemui::LONG_PTR>(pages.size());
  }
  void AddPages() {
    sheet.cbSize = sizeof sheet;
    sheet.Version = oemui::PropSheetUiInfoVersion;
    sheet.Reason = oemui::psuireason::Init;
    sheet.hComPropSheet = &pages;
    sheet.pfnComPropSheet = &AddPage;
    EXPECT_EQ(ui->DevicePropertySheets(&sheet, 0), hr::Ok);
  }
  // The sheet opens page 0 (import/export) or 1 (fonts).
  oemui::INT_PTR Send(std::size_t page, oemui::UINT message, oemui::WPARAM wParam = 0) {
    return pages.at(page).pfnDlgProc(&windows[page], message, wParam,
                                     message == oemui::WmInitDialog ? reinterpret_cast<oemui::LPARAM>(&pages[page]) : 0);
  }
  void OpenPages() {
    RecordPrinter();
    AddPages();
    for (std::size_t page = 0; page < pages.size(); ++page) Send(page, oemui::WmInitDialog);
  }
  // The sheet closes: its pages' windows go, then the driver core releases the UI object.
  void Close() {
    for (std::size_t page = 0; page < pages.size(); ++page) Send(page, oemui::WmNcDestroy);
    pages.clear();
    ui.Reset();
  }

  // The printer's data as the spooler serves it, its key, and the backup folder's files.
  std::string Stored() {
    std::string text;
    platform::sim::SpoolerState spooler = machine->spooler().Snapshot();
    for (const auto& value : spooler.FindPrinter(kPrinterA)->printerData)
      text += value.name + "=" + std::to_string(value.type) + ":" + platform::sim::ToHex(value.data) + "\n";
    {
      std::lock_guard lock(machine->registryTree().mutex());
      text += KeyText(*machine->registryTree().Key(platform::RootKey::LocalMachine, kPrinterKey));
    }
    for (const auto& entry : fs::directory_iterator(machine->driveC() / "Backup")) {
      std::shared_ptr<platform::sim::RegNode> hive;
      text += "file " + entry.path().filename().string() + ": " +
              (platform::sim::ReadHive(entry.path(), 64, hive) == 0 ? KeyText(*hive)
                                                                    : simtest::ReadFile(entry.path())) +
              "\n";
    }
    return text;
  }

  std::unique_ptr<platform::sim::SimMachine> machine = platform::sim::SimMachine::InMemory();
  platform::Platform p = machine->platform();
  ui::headless::ScriptedUser user;
  ui::headless::HeadlessKit kit{ui::headless::testing::PluginResources(), 0x0409, user};
  std::unique_ptr<platform::PrinterHandle> printerHandle;
  int instance = 0;
  Com<oemui::IPrintOemUI> ui;
  std::u16string printerName = u"RQ-7200 TH";
  oemui::OEMCUIPPARAM common{};
  oemui::PROPSHEETUI_INFO sheet{};
  std::vector<oemui::PROPSHEETPAGEW_V2> pages;
  std::array<int, 2> windows{};  // their addresses name the pages' windows
};

struct Operation {
  const char* name;
  std::function<void(Session&)> prepare;  // brings the sheet to the operation; never faulted
  std::function<void(Session&)> run;      // the calls swept; checks the caller's records
};

void PrintTo(const Operation& operation, std::ostream* out) { *out << operation.name; }

using Record = std::array<DWORD, 5>;  // dwSize, dwSignature, dwVersion, dwLineFeeds, dwXCompression

// DevMode with the driver core's records: our section from an earlier session, the output record
// holding the defaults (mode 2's) as the core prepares it.
Operation DevMode(const char* name, DWORD mode) {
  return {name, [](Session&) {}, [mode](Session& s) {
            const Record in{20, uiplugin::OemSignature, 1, 3, 1};
            Record given = in;
            Record out{20, uiplugin::OemSignature, 1, 2, 1};
            oemui::OEMDMPARAM param{};
            param.cbSize = sizeof param;
            param.hPrinter = s.printerHandle->Raw();
            param.pOEMDMIn = given.data();
            param.pOEMDMOut = out.data();
            param.cbBufSize = sizeof out;
            EXPECT_EQ(s.ui->DevMode(mode, &param), hr::Ok);
            EXPECT_EQ(given, in);
            EXPECT_EQ(param.cbBufSize, sizeof out);
            EXPECT_EQ(out[0], 20u);
            EXPECT_EQ(out[1], uiplugin::OemSignature);
            EXPECT_EQ(out[2], 1u);
            if (mode == oemui::oemdm::Merge) {
              EXPECT_LE(out[3], uiplugin::MaxLineFeeds);
              EXPECT_LE(out[4], 1u);
            }
          }};
}

const Operation kOperations[] = {
    DevMode("DevModeSize", oemui::oemdm::Size),
    DevMode("DevModeDefault", oemui::oemdm::Default),
    DevMode("DevModeConvert", oemui::oemdm::Convert),
    DevMode("DevModeMerge", oemui::oemdm::Merge),
    {"CommonUIProp", [](Session&) {},
     [](Session& s) {
       s.common.cOEMOptItems = 5;
       s.RecordPrinter();
       EXPECT_EQ(s.common.cOEMOptItems, 0u);
     }},
    {"DevicePropertySheets", [](Session& s) { s.RecordPrinter(); },
     [](Session& s) {
       s.AddPages();
       EXPECT_EQ(s.pages.size(), 2u);
       EXPECT_EQ(s.sheet.Result, 2u);
     }},
    {"FontPageFill",
     [](Session& s) {
       s.RecordPrinter();
       s.AddPages();
     },
     [](Session& s) {
       s.Send(1, oemui::WmInitDialog);
       s.Send(1, oemui::WmShowWindow, 1);
     }},
    {"SaveFonts",
     [](Session& s) {
       s.OpenPages();
       s.Send(1, oemui::WmShowWindow, 1);  // the first row is chosen
       s.kit.FindBoundPage(&s.windows[1])->ComboSetCurSel(IDC_DEVICE_FONT, 3);
       s.Send(1, oemui::WmCommand, IDC_DEVICE_FONT | ui::cmd::SelChange << 16);
     },
     [](Session& s) { s.Send(1, oemui::WmCommand, IDC_SAVE_FONTS); }},
    {"ExportProperties",
     [](Session& s) {
       simtest::WriteFile(s.machine->driveC() / "Backup" / "kvxproperties.reg", "an earlier backup");
       s.OpenPages();
       s.user.OnFileDialog([](const ui::FileDialogRequest&) { return kBackup; });
     },
     [](Session& s) { s.Send(0, oemui::WmCommand, IDC_EXPORT_PROPERTIES); }},
    {"ImportProperties",
     [](Session& s) {
       uiplugin::PropertiesTransfer earlier(s.p, s.printerName);
       ASSERT_TRUE(earlier.EnableBackupRestorePrivileges());
       ASSERT_TRUE(earlier.ExportPrinterProperties(kBackup));
       s.machine->spooler().Edit([](platform::sim::SpoolerState& state) {
         state.FindPrinter(kPrinterA)->FindData("TOLV_LINE_FEEDS_VALUE")->data = Dword(9);
       });
       s.OpenPages();
       s.user.OnFileDialog([](const ui::FileDialogRequest&) { return kBackup; });
     },
     [](Session& s) { s.Send(0, oemui::WmCommand, IDC_IMPORT_PROPERTIES); }},
};

struct Outcome {
  std::vector<std::string> callLog;
  std::string before, after;  // Session::Stored()
  oemui::HRESULT canUnload = hr::False;
  std::vector<std::string> handlesLeft;
};

Outcome RunOperation(const Operation& operation, const std::optional<Fault>& fault = std::nullopt) {
  Outcome outcome;
  Session s;
  operation.prepare(s);
  outcome.before = s.Stored();
  platform::sim::FaultInjector& faults = s.machine->faults();
  faults.ResetLog();
  if (fault) faults.FailNth(fault->op, fault->nth, fault->error);
  operation.run(s);
  outcome.callLog = faults.CallLog();
  faults.Clear();
  s.Close();
  outcome.canUnload = uiplugin::CanUnloadNow();
  s.printerHandle.reset();
  outcome.handlesLeft = s.machine->handles().Describe();
  s.machine->clock().Advance(1000);  // a restarted spooler has read its printers again
  outcome.after = s.Stored();
  return outcome;
}

class PluginFaultSweep : public ::testing::TestWithParam<Operation> {};

TEST_P(PluginFaultSweep, AnyOneCallFailingLeavesEverythingWholeAndReleased) {
  const Outcome clean = RunOperation(GetParam());
  ASSERT_EQ(clean.canUnload, hr::Ok);
  ASSERT_EQ(clean.handlesLeft, std::vector<std::string>{});
  const std::vector<Fault> sites = faultsweep::CallSites(clean.callLog);
  std::set<std::string> operations;
  for (const Fault& fault : sites) {
    operations.insert(fault.op);
    SCOPED_TRACE(fault.op + " #" + std::to_string(fault.nth) + " failing with " + std::to_string(fault.error));
    const Outcome run = RunOperation(GetParam(), fault);
    // The run repeats the clean one up to the fault, so the fault did strike.
    ASSERT_GE(static_cast<std::size_t>(std::count(run.callLog.begin(), run.callLog.end(), fault.op)), fault.nth);
    EXPECT_EQ(run.canUnload, hr::Ok);
    EXPECT_EQ(run.handlesLeft, std::vector<std::string>{});
    EXPECT_TRUE(run.after == run.before || run.after == clean.after)
        << "before:\n" << run.before << "after:\n" << run.after << "intended:\n" << clean.after;
  }
  std::cout << "plug-in fault sweep (" << GetParam().name << "): " << sites.size() << " call sites, "
            << operations.size() << " operations\n";
  RecordProperty("callSites", static_cast<int>(sites.size()));
}

INSTANTIATE_TEST_SUITE_P(Operations, PluginFaultSweep, ::testing::ValuesIn(kOperations),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

}  // namespace
