// --export-settings, --import-settings and --settings on simulated machines: one till's settings
// given to another till's printer, which keeps its own name, port and driver; a file that gives no
// settings leaves the printer exactly as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "app/ExitCodes.h"
#include "installer/InstallerTestSupport.h"
#include "installer/engine/EngineTestSupport.h"
#include "platform/sim/RegistryHive.h"
#include "settingsfile/DevModeRecord.h"
#include "uiplugin/OemDevMode.h"
#include "uiplugin/SubstitutionTable.h"

namespace {

using Strings = std::vector<std::string>;
using platform::sim::SpoolerPrinter;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kTillA = "RQ-7200 TH";
constexpr const char* kTillB = "RQ-7200 TH (Scaled)";  // the other driver kind, on COM2
constexpr const char* kFile = "./till.hive";

struct Till : installertest::ProgramRun {
  Till() {
    machine->document()["devices"] = installertest::ConnectedPrinters(
        {installertest::PortDevice("COM1", "ACPI\\PNP0501"), installertest::PortDevice("COM2", "ACPI\\PNP0501")});
  }
  SpoolerPrinter Printer(const std::string& name) {
    auto state = machine->spooler().Snapshot();
    const SpoolerPrinter* printer = state.FindPrinter(name);
    return printer ? *printer : SpoolerPrinter{};
  }
};

// What a shop sets up by hand through the driver's pages: a font table, line feeds and compression
// in the plug-in's section of the device mode, the 48 mm paper, and an override value.
void SetUpByHand(Till& till) {
  std::unique_ptr<platform::PrinterHandle> printer;
  ASSERT_EQ(till.platform.spooler.OpenPrinterA(kTillA, platform::printeraccess::AllAccess, printer), 0u);
  ASSERT_EQ(uiplugin::SaveSubstitutionTable(till.platform.spooler, printer->Raw(), u"Arial\nFontA11\nCourier New\nBarcode8"),
            uiplugin::TableSave::Written);
  ASSERT_TRUE(uiplugin::WriteSubstitutionSwitch(till.platform.spooler, printer->Raw(), true));
  ASSERT_EQ(till.platform.spooler.SetPrinterDataW(printer->Raw(), u"TOLV_X_COMPRESSION_VALUE", platform::regtype::Dword,
                                                  platform::RegDwordBytes(0)),
            0u);
  uiplugin::OemPrivateDevmode wanted = uiplugin::DefaultOemPrivateDevmode(), section{};
  wanted.dwLineFeeds = 7;
  wanted.dwXCompression = 0;
  oemui::OEMDMPARAM param{};
  param.pOEMDMIn = &wanted;
  param.pOEMDMOut = &section;
  param.cbBufSize = sizeof section;
  ASSERT_EQ(uiplugin::DevMode(oemui::oemdm::Merge, &param), oemui::hresult::Ok);
  till.machine->spooler().Edit([&](platform::sim::SpoolerState& state) {
    Bytes& devMode = state.FindPrinter(kTillA)->devMode;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&section);
    devMode.insert(devMode.end(), bytes, bytes + sizeof section);
    devMode[platform::devmode::DriverExtraOffset] = static_cast<std::uint8_t>(devMode[platform::devmode::DriverExtraOffset] + sizeof section);
    const std::string form = "Print width 48mm 30cm";
    std::fill_n(devMode.begin() + platform::devmode::FormNameOffset, platform::devmode::FormNameSize, 0);
    std::copy(form.begin(), form.end(), devMode.begin() + platform::devmode::FormNameOffset);
  });
}

class SettingsTransferTest : public testing::Test {
protected:
  SettingsTransferTest() {
    harness.StageMedia();
    harness.StageMedia(kTillB);
    Install(tillA, {"--model", kTillA, "--interface", "serial", "--port", "COM1"});
    SetUpByHand(tillA);
    EXPECT_EQ(tillA.Execute({"--export-settings", kTillA, kFile}), kExitInstalled) << tillA.out.str() << tillA.err.str();
    EXPECT_EQ(tillA.OutLines().back(), "outcome exported \"RQ-7200 TH\"");
  }
  static void Install(Till& till, Strings args) {
    args.insert(args.begin(), "--unattended");
    ASSERT_EQ(till.Execute(args), kExitInstalled) << till.out.str() << till.err.str();
  }
  void InstallB(const Strings& more = {}) {
    Strings args{"--model", "RQ-7200 TH", "--driver", "reduced", "--interface", "serial", "--port", "COM2"};
    args.insert(args.end(), more.begin(), more.end());
    Install(*tillB, args);
  }

  enginetest::EngineHarness harness;
  Till tillA;
  std::unique_ptr<Till> tillB = std::make_unique<Till>();
};

// B prints with A's settings and stays B: its name, COM2 and its own driver.
TEST_F(SettingsTransferTest, TheOtherTillTakesTheSettingsAndKeepsItsIdentity) {
  const SpoolerPrinter a = tillA.Printer(kTillA);
  for (const bool duringInstall : {true, false}) {
    SCOPED_TRACE(duringInstall ? "--settings" : "--import-settings");
    tillB = std::make_unique<Till>();
    if (duringInstall) {
      InstallB({"--settings", kFile});
      EXPECT_EQ(tillB->OutLines().back(), "outcome installed settings applied");
    } else {
      InstallB();
      ASSERT_EQ(tillB->Execute({"--import-settings", kTillB, kFile}), kExitInstalled) << tillB->out.str();
      EXPECT_EQ(tillB->OutLines().back(), "outcome imported \"RQ-7200 TH (Scaled)\"");
    }
    const SpoolerPrinter b = tillB->Printer(kTillB);
    EXPECT_EQ(b.port, "Kvx_COM2:");
    EXPECT_EQ(b.driver, kTillB);
    EXPECT_EQ(b.devMode, settingsfile::DevModeForPrinter(a.devMode, kTillB));
    for (const auto& value : a.printerData) {
      SCOPED_TRACE(value.name);
      auto* copy = const_cast<SpoolerPrinter&>(b).FindData(value.name);
      ASSERT_NE(copy, nullptr);
      EXPECT_EQ(*copy, value);
    }
    auto state = tillB->machine->spooler().Snapshot();
    EXPECT_NE(state.FindForm("Print width 48mm 30cm"), nullptr);
  }
}

// The file is a registry hive that another reader takes whole.
TEST_F(SettingsTransferTest, TheFileIsARegistryHive) {
  if (std::system("command -v hivexregedit >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "hivexregedit (Debian libwin-hivex-perl) is not installed";
  ASSERT_EQ(std::system("hivexregedit --export --prefix '' till.hive '\\' > till.txt"), 0);
  const std::string text = simtest::ReadFile("till.txt");
  for (const char* value : {"\"Printer Driver\"", "\"Default DevMode\"", "[\\PrinterDriverData]", "\"TTFontSubTable\"",
                            "\"TTFontSubTableSize\"", "\"TOLV_X_COMPRESSION_VALUE\"", "\"TrayFormTable\""})
    EXPECT_NE(text.find(value), std::string::npos) << value;
}

// A hive of a printer's key built from parts, as another program might have saved one.
struct KeyParts {
  std::string driver = "RQ-7200 TH";
  std::optional<Bytes> devMode;
  std::vector<platform::sim::RegValue> data;
};

void WriteKey(const KeyParts& parts, const std::string& file) {
  platform::sim::RegNode key("RQ-7200 TH");
  key.SetValue("Printer Driver", platform::regtype::Sz, platform::RegSzBytes(parts.driver));
  if (parts.devMode) key.SetValue("Default DevMode", platform::regtype::Binary, *parts.devMode);
  auto data = key.AddSubkey("PrinterDriverData");
  for (const auto& value : parts.data) data->SetValue(value.name, value.type, value.data);
  const Bytes bytes = platform::sim::WriteHive(key, 0);
  simtest::WriteFile(file, std::string(bytes.begin(), bytes.end()));
}

TEST_F(SettingsTransferTest, AFileThatGivesNoSettingsLeavesThePrinterAsItWas) {
  InstallB();
  const Bytes devMode = tillA.Printer(kTillA).devMode;
  const std::string hive = simtest::ReadFile(kFile);
  Bytes cut = devMode;
  cut.pop_back();
  const struct {
    const char* name;
    std::function<void(const std::string& file)> make;
    std::string note;
  } cases[] = {
      {"missing", [](const std::string&) {}, "the file does not exist"},
      {"text", [](const std::string& f) { simtest::WriteFile(f, "Windows Registry Editor Version 5.00\r\n\r\n"); },
       "is not a registry hive file"},
      {"truncated", [&](const std::string& f) { simtest::WriteFile(f, hive.substr(0, hive.size() / 2)); },
       "registry hive"},
      {"another maker's driver", [&](const std::string& f) { WriteKey({"Other Maker Printer", devMode, {}}, f); },
       "Other Maker Printer\\\", which this installer does not install"},
      {"no device mode", [&](const std::string& f) { WriteKey({"RQ-7200 TH", std::nullopt, {}}, f); },
       "no \\\"Default DevMode\\\" value"},
      {"device mode cut short", [&](const std::string& f) { WriteKey({"RQ-7200 TH", cut, {}}, f); },
       "is not a device mode"},
      {"table and size disagree",
       [&](const std::string& f) {
         WriteKey({"RQ-7200 TH", devMode,
                   {{"TTFontSubTable", platform::regtype::MultiSz, Bytes{'A', 0, 'B', 0, 0}},
                    {"TTFontSubTableSize", platform::regtype::Dword, platform::RegDwordBytes(9)}}},
                  f);
       },
       "disagree"},
      {"value over 1 MiB",
       [&](const std::string& f) {
         WriteKey({"RQ-7200 TH", devMode, {{"Blob", platform::regtype::Binary, Bytes(1024 * 1024 + 1, 7)}}}, f);
       },
       "larger than 1 MiB"},
  };
  const SpoolerPrinter before = tillB->Printer(kTillB);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = std::string("./hostile-") + c.name;
    c.make(file);
    EXPECT_EQ(tillB->Execute({"--import-settings", kTillB, file}), kExitSetupError) << tillB->out.str();
    const Strings lines = tillB->OutLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.back(), "outcome refused \"RQ-7200 TH (Scaled)\"");
    EXPECT_NE(lines[lines.size() - 2].find(c.note), std::string::npos) << lines[lines.size() - 2];
    EXPECT_EQ(tillB->Printer(kTillB), before);
  }
  // Refused before anything is installed.
  Till fresh;
  EXPECT_EQ(fresh.Execute({"--unattended", "--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM2",
                           "--settings", "./hostile-text"}),
            kExitSetupError);
  EXPECT_EQ(fresh.OutLines().back(), "outcome error");
  EXPECT_TRUE(fresh.machine->spooler().Snapshot().printers.empty());
}

// The spooler failing part-way: what had changed is put back, values the printer lacked are deleted.
TEST_F(SettingsTransferTest, ASpoolerFailurePutsBackWhatHadChanged) {
  InstallB();
  const SpoolerPrinter before = tillB->Printer(kTillB);
  const std::size_t values = tillA.Printer(kTillA).printerData.size();
  tillB->machine->faults().FailNth("SetPrinterDataW", values, platform::winerr::RpcServerUnavailable);
  EXPECT_EQ(tillB->Execute({"--import-settings", kTillB, kFile}), kExitInstallFailed);
  EXPECT_EQ(tillB->OutLines().back(), "outcome failed \"RQ-7200 TH (Scaled)\"");
  EXPECT_EQ(tillB->Printer(kTillB), before);
}

TEST_F(SettingsTransferTest, OnlyThisInstallersPrintersAreTouched) {
  const struct {
    Strings args;
    int code;
    std::string outcome;
  } cases[] = {
      {{"--export-settings", "No Such Printer", "x.hive"}, kExitNotInstalled, "outcome not-found \"No Such Printer\""},
      {{"--import-settings", "No Such Printer", kFile}, kExitNotInstalled, "outcome not-found \"No Such Printer\""},
      {{"--import-settings", "Other", kFile}, kExitNotInstalled, "outcome refused \"Other\""},
  };
  tillA.machine->spooler().Edit([](platform::sim::SpoolerState& state) {
    SpoolerPrinter other = state.printers.front();
    other.name = "Other";
    other.driver = "Other Maker Printer";
    platform::sim::SpoolerDriver driver;
    driver.name = "Other Maker Printer";
    state.drivers.push_back(driver);
    state.printers.push_back(other);
  });
  for (const auto& c : cases) {
    EXPECT_EQ(tillA.Execute(c.args), c.code);
    EXPECT_EQ(tillA.OutLines().back(), c.outcome);
  }
}

}  // namespace
