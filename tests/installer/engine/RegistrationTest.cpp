// The driver and the printer queue registered with the simulated spooler.
#include <gtest/gtest.h>

#include "installer/engine/EngineTestSupport.h"

namespace {

using Strings = std::vector<std::string>;
using TypeValue = std::optional<std::pair<platform::DWORD, std::string>>;

class RegistrationTest : public ::testing::Test {
protected:
  RegistrationTest() {
    harness.RegisterPortMonitor();
    installer.SetPortName("COM1:");
    installer.record.formName = "Print width 80mm 30cm";
  }

  // The files of the printer's driver, built and staged as the sequence does before registering.
  void PrepareDriver(const std::string& printerName) {
    installer.BuildFileList(printerName);
    harness.StageDriverFiles(installer.record.fileList);
  }
  // Lets a restart begun by the last operation finish.
  void Settle() { harness.machine->clock().Advance(1000); }
  std::uint64_t Took(const std::function<void()>& operation) {
    const std::uint64_t start = harness.Now();
    operation();
    return harness.Now() - start;
  }
  static TypeValue Sz(const std::string& text) {
    return std::make_pair(platform::regtype::Sz, text + std::string(1, '\0'));
  }

  enginetest::EngineHarness harness;
  Win2kXPInstaller installer{harness.context};
};

TEST_F(RegistrationTest, TheDriverIsAUnidrvDriverWithTheCatalogsFiles) {
  PrepareDriver("VT5000");
  ASSERT_TRUE(installer.AddDriver("VT5000"));
  EXPECT_EQ(installer.record.lastError, 0u);
  const auto state = harness.machine->spooler().Snapshot();
  ASSERT_EQ(state.drivers.size(), 1u);
  const platform::sim::SpoolerDriver& driver = state.drivers[0];
  EXPECT_EQ(driver.name, "VT5000");
  EXPECT_EQ(driver.environment, "Windows x64");
  EXPECT_EQ(driver.version, 3u);
  EXPECT_EQ(driver.driverPath, "unidrv.dll");
  EXPECT_EQ(driver.dataFile, "vt5000.gpd");
  EXPECT_EQ(driver.configFile, "unidrvui.dll");
  EXPECT_EQ(driver.helpFile, "unidrvui.dll");
  EXPECT_EQ(driver.dependentFiles, (Strings{"KorvexVT5K.dll", "unires.dll", "stdnames.gpd", "ttfsub.gpd"}));
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(RegistrationTest, AFailedDriverRegistrationIsLoggedWithItsCode) {
  installer.BuildFileList("VT5000");  // nothing staged
  EXPECT_FALSE(installer.AddDriver("VT5000"));
  EXPECT_EQ(installer.record.lastError, platform::winerr::FileNotFound);

  harness.StageDriverFiles(installer.record.fileList);
  harness.machine->faults().FailOnce("AddPrinterDriverA", platform::winerr::AccessDenied);
  EXPECT_FALSE(installer.AddDriver("VT5000"));
  EXPECT_EQ(installer.record.lastError, platform::winerr::AccessDenied);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(),
            "AddPrinterDriver FAILED with code: 2\r\nAddPrinterDriver FAILED with code: 5\r\n");
  EXPECT_TRUE(harness.machine->spooler().Snapshot().drivers.empty());
}

TEST_F(RegistrationTest, ANewQueueGetsItsRecordAndTheKioskTypeValue) {
  PrepareDriver("VT5000");
  ASSERT_TRUE(installer.AddDriver("VT5000"));
  installer.record.printerType = 1;
  // Stop (710 ms) and start (1100 ms) before adding; the cycle afterwards (400 ms).
  EXPECT_EQ(Took([&] { EXPECT_TRUE(installer.AddPrinterQueue("VT5000")); }), 710u + 1100u + 400u);
  EXPECT_EQ(installer.record.lastError, 0u);

  const auto state = harness.machine->spooler().Snapshot();
  ASSERT_EQ(state.printers.size(), 1u);
  const platform::sim::SpoolerPrinter& printer = state.printers[0];
  EXPECT_EQ(printer.name, "VT5000");
  EXPECT_EQ(printer.port, "Kvx_COM1:");
  EXPECT_EQ(printer.driver, "VT5000");
  EXPECT_EQ(printer.comment, "Korvex Printers");
  EXPECT_EQ(printer.printProcessor, "WinPrint");
  EXPECT_EQ(printer.attributes, 0x2040u);
  EXPECT_EQ(harness.TypeValue("Kvx_COM1:"), Sz("Kiosk Printer"));
  EXPECT_EQ(harness.machine->faults().CallCount("StartServiceA"), 2u);
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(RegistrationTest, TheTypeValueComesFromTheRunsStringTable) {
  struct Case {
    platform::LANGID language;
    std::int32_t printerType;
    const char* port;
    const char* text;
  };
  const Case cases[] = {
      {platform::lang::PortugueseBrazil, 0, "COM1:", "Mini-Impressora"},
      {platform::lang::PortugueseBrazil, 7, "LPT1:", "Bloco Impressor"},
      {platform::lang::EnglishUs, 0, "USB", "Mini Printer"},
  };
  PrepareDriver("VT5000");
  for (const Case& c : cases) {
    // The driver bears the printer's name, so each queue gets its own.
    const std::string name = std::string("VT5000 on ") + c.port;
    harness.language = c.language;
    installer.record.printerType = c.printerType;
    installer.SetPortName(c.port);
    ASSERT_TRUE(installer.AddDriver(name));
    ASSERT_TRUE(installer.AddPrinterQueue(name)) << installer.record.lastError;
    EXPECT_EQ(harness.TypeValue(std::string("Kvx_") + c.port), Sz(c.text));
    Settle();
  }
}

TEST_F(RegistrationTest, AnExistingPrinterCountsAsAddedWithoutTypeValueOrCycle) {
  PrepareDriver("VT5000");
  ASSERT_TRUE(installer.AddDriver("VT5000"));
  ASSERT_TRUE(installer.AddPrinterQueue("VT5000"));
  Settle();

  installer.SetPortName("COM2:");
  installer.record.lastError = 99;
  EXPECT_EQ(Took([&] { EXPECT_TRUE(installer.AddPrinterQueue("vt5000")); }), 710u + 1100u);
  EXPECT_EQ(installer.record.lastError, 0u);
  EXPECT_EQ(harness.TypeValue("Kvx_COM2:"), std::nullopt);
  EXPECT_EQ(harness.machine->spooler().Snapshot().printers.size(), 1u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(RegistrationTest, OtherAddPrinterFailuresAreLoggedAndLeaveNoTypeValue) {
  // No driver of that name.
  EXPECT_EQ(Took([&] { EXPECT_FALSE(installer.AddPrinterQueue("VT5000")); }), 710u + 1100u);
  EXPECT_EQ(installer.record.lastError, platform::winerr::UnknownPrinterDriver);
  EXPECT_EQ(harness.TypeValue("Kvx_COM1:"), std::nullopt);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "AddPrinter FAILED with code: 1797\r\n");
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
}

TEST_F(RegistrationTest, AKeyThatCannotBeCreatedSkipsOnlyTheTypeValue) {
  PrepareDriver("VT5000");
  ASSERT_TRUE(installer.AddDriver("VT5000"));
  harness.machine->faults().FailOnce("RegCreateKeyExA", platform::winerr::AccessDenied);
  EXPECT_EQ(Took([&] { EXPECT_TRUE(installer.AddPrinterQueue("VT5000")); }), 710u + 1100u + 400u);
  EXPECT_EQ(harness.TypeValue("Kvx_COM1:"), std::nullopt);
  EXPECT_EQ(installer.record.lastError, 0u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(RegistrationTest, UnderKind3DriverAndQueueUseTheWidthName) {
  harness.osKind = kOsWin98;
  PrepareDriver("RQ-7200 TH");
  ASSERT_TRUE(installer.AddDriver("RQ-7200 TH"));
  ASSERT_TRUE(installer.AddPrinterQueue("RQ-7200 TH"));
  const auto state = harness.machine->spooler().Snapshot();
  ASSERT_EQ(state.drivers.size(), 1u);
  EXPECT_EQ(state.drivers[0].name, "Tolvaren 80 mm");
  ASSERT_EQ(state.printers.size(), 1u);
  EXPECT_EQ(state.printers[0].name, "RQ-7200 TH");
  EXPECT_EQ(state.printers[0].driver, "Tolvaren 80 mm");
}

}  // namespace
