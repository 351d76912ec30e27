// The paper form and tray tables written on a printer of the simulated spooler.
#include "engine/PaperForm.h"

#include <gtest/gtest.h>

#include "installer/engine/EngineTestSupport.h"
#include "platform/sim/DevMode.h"

namespace {

using platform::sim::Broadcast;
using Bytes = std::vector<std::uint8_t>;

Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

class PaperFormTest : public ::testing::Test {
protected:
  PaperFormTest() {
    harness.RegisterPortMonitor();
    harness.machine->spooler().Edit([](platform::sim::SpoolerState& state) {
      platform::sim::SpoolerPrinter& printer = enginetest::AddInstalledPrinter(state, "VT5000", "Kvx_COM1:");
      printer.attributes = 0x2040;
      printer.devMode = platform::sim::DefaultDevMode("VT5000");
    });
  }

  void Set(const std::string& formName, const std::string& printerName = "VT5000") {
    start = harness.Now();
    SetPaperForm(harness.context, printerName, formName);
  }
  std::uint64_t Took() const { return harness.Now() - start; }
  platform::sim::SpoolerPrinter Printer() { return *harness.machine->spooler().Snapshot().FindPrinter("VT5000"); }
  std::string FormField() {
    const Bytes devMode = Printer().devMode;
    return std::string(devMode.begin() + 70, devMode.begin() + 102);
  }
  std::vector<std::string> DataNames() {
    std::vector<std::string> names;
    for (const auto& value : Printer().printerData) names.push_back(value.name);
    return names;
  }
  std::vector<Broadcast> Broadcasts() { return harness.machine->messages().Broadcasts(); }
  static std::vector<Broadcast> TwoDevModeChanges() {
    const Broadcast change{0x1B, "VT5000", 0, 1000};
    return {change, change};
  }
  // The printer is where it was: form, attributes and data untouched, nothing announced, nothing open.
  void ExpectUnchanged() {
    EXPECT_EQ(FormField(), std::string("Letter") + std::string(26, '\0'));
    EXPECT_EQ(Printer().attributes, 0x2040u);
    EXPECT_TRUE(Printer().printerData.empty());
    EXPECT_TRUE(Broadcasts().empty());
    EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
  }

  enginetest::EngineHarness harness;
  std::uint64_t start = 0;
};

TEST_F(PaperFormTest, TheFormIsSelectedAndTheTrayTablesWritten) {
  Set("Print width 80mm 30cm");
  EXPECT_EQ(Took(), 0u);
  EXPECT_EQ(FormField(), "Print width 80mm 30cm" + std::string(11, '\0'));
  EXPECT_EQ(Printer().attributes, 0x2240u);
  EXPECT_EQ(Broadcasts(), TwoDevModeChanges());

  const auto printer = Printer();
  ASSERT_EQ(DataNames(), (std::vector<std::string>{"TrayFormTable", "TrayFormMap", "TrayFormMapSize",
                                                    "TrayFormKeyword", "TrayFormKeywordSize"}));
  const auto& data = printer.printerData;
  EXPECT_EQ(data[0].type, platform::regtype::MultiSz);
  EXPECT_EQ(data[0].data, B(simtest::Bytes("Auto\0Print width 80mm 30cm\0" "0\0\0")));
  EXPECT_EQ(data[0].data.size(), 4u + 21u + 5u);
  EXPECT_EQ(data[1].type, platform::regtype::Binary);
  EXPECT_EQ(data[1].data, B(simtest::Bytes("AUTO\0\0\0\0\0\0\0\0\0\0")));
  EXPECT_EQ(data[2].type, platform::regtype::Dword);
  EXPECT_EQ(data[2].data, (Bytes{14, 0, 0, 0}));
  EXPECT_EQ(data[3].type, platform::regtype::Binary);
  EXPECT_EQ(data[3].data, B(simtest::Bytes("AUTO\0\0\0")));
  EXPECT_EQ(data[4].type, platform::regtype::Dword);
  EXPECT_EQ(data[4].data, (Bytes{7, 0, 0, 0}));
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(PaperFormTest, TheDeviceModeFieldTakesAtMost32BytesWithoutTerminator) {
  const std::string exact = "Thermal roll 80mm x 297mm, cut A";
  ASSERT_EQ(exact.size(), 32u);
  Set(exact);
  EXPECT_EQ(FormField(), exact);
  // The next field (dmLogPixels) is not touched.
  EXPECT_EQ(Printer().devMode[102], 0);

  const std::string longer = exact + " (continuous)";
  Set(longer);
  EXPECT_EQ(FormField(), exact);
  // The tray table carries the whole name.
  EXPECT_EQ(Printer().FindData("TrayFormTable")->data, B("Auto" + std::string(1, '\0') + longer +
                                                         simtest::Bytes("\0" "0\0\0")));
}

TEST_F(PaperFormTest, UnderKind3TheFormIsNamedAfterThePaperWidth) {
  harness.osKind = kOsWin98;
  Set("Print width 72mm");
  EXPECT_EQ(FormField(), "Thermal Paper 76 mm" + std::string(13, '\0'));
  EXPECT_EQ(Printer().FindData("TrayFormTable")->data, B(simtest::Bytes("Auto\0Thermal Paper 76 mm\0" "0\0\0")));
}

// The printer data holds the Windows-1252 bytes an "A" function writes, not the script's UTF-8.
TEST_F(PaperFormTest, TheTrayTextIsInTheRunsLanguage) {
  harness.language = platform::lang::PortugueseBrazil;
  Set("A4");
  EXPECT_EQ(Printer().FindData("TrayFormTable")->data, B(simtest::Bytes("Autom\xE1tico\0A4\0" "0\0\0")));
}

TEST_F(PaperFormTest, APrinterThatCannotBeOpenedIsTriedOnceMoreAfterThreeSeconds) {
  Set("A4", "No such printer");
  EXPECT_EQ(Took(), 3000u);
  EXPECT_EQ(harness.machine->faults().CallCount("OpenPrinterA"), 2u);
  ExpectUnchanged();

  harness.machine->faults().FailOnce("OpenPrinterA", platform::winerr::AccessDenied);
  Set("A4");
  EXPECT_EQ(Took(), 3000u);
  EXPECT_EQ(FormField(), "A4" + std::string(30, '\0'));
}

TEST_F(PaperFormTest, TheRetryCoversASpoolerStillRestarting) {
  Win2kXPInstaller installer(harness.context);
  installer.CycleSpooler();  // back in 800 ms from the start request
  Set("A4");
  EXPECT_EQ(Took(), 3000u);
  EXPECT_EQ(FormField(), "A4" + std::string(30, '\0'));
  EXPECT_EQ(Broadcasts(), TwoDevModeChanges());
}

TEST_F(PaperFormTest, ARecordWithoutDeviceModeTakesTheDriversCurrentOne) {
  harness.machine->spooler().Edit(
      [](platform::sim::SpoolerState& state) { state.FindPrinter("VT5000")->devMode.clear(); });
  SetPaperForm(harness.context, "VT5000", "A4");
  EXPECT_EQ(FormField(), "A4" + std::string(30, '\0'));
  EXPECT_EQ(Printer().attributes, 0x2240u);
  EXPECT_EQ(DataNames().size(), 5u);
  EXPECT_EQ(harness.machine->faults().CallCount("DocumentPropertiesA"), 3u);
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
}

TEST_F(PaperFormTest, AnyFailedStepEndsItQuietlyAndClosesThePrinter) {
  for (const char* op : {"GetPrinterA", "DocumentPropertiesA", "SetPrinterA"}) {
    harness.machine->faults().FailOnce(op, platform::winerr::AccessDenied);
    Set("A4");
    SCOPED_TRACE(op);
    ExpectUnchanged();
  }
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(PaperFormTest, ATrayTableBeyond300BytesIsLoggedAndNotWritten) {
  // "Auto", the name and five NULs: a name of 291 characters fills the 300 bytes.
  Set(std::string(291, 'F'));
  EXPECT_EQ(Printer().FindData("TrayFormTable")->data.size(), 300u);

  harness.machine->spooler().Edit([](platform::sim::SpoolerState& state) { state.printers[0].printerData.clear(); });
  Set(std::string(292, 'G'));
  EXPECT_TRUE(Printer().printerData.empty());
  EXPECT_EQ(FormField(), std::string(32, 'G'));
  EXPECT_EQ(Broadcasts().size(), 4u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "SetPaperForm: tray table does not fit (301 bytes)\r\n");
}

}  // namespace
