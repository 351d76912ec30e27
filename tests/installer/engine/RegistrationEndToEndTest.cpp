// Driver, queue and paper form registered on a machine kept in a folder, read back from machine.json.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "engine/PaperForm.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

using nlohmann::json;
using enginetest::FindNamed;

TEST(RegistrationEndToEndTest, TheInstalledPrinterIsInTheSavedMachine) {
  installertest::CatalogFolder folder;
  simtest::TempDir machineDir;
  auto machine = platform::sim::SimMachine::OpenFolder(machineDir.path());
  platform::Platform platform = machine->platform();
  EngineContext context{platform,
                        [](int id) { return InstallerResources().FindString(id, platform::lang::EnglishUs).value_or(""); },
                        [] { return kOsVistaOrLater; },
                        [] {},
                        {}};
  machine->spooler().Edit([](platform::sim::SpoolerState& state) {
    state.monitors.push_back({"Korvex Port Monitor", "Windows x64", "KorvexMon.dll", {}});
  });

  Win2kXPInstaller installer(context);
  installer.SetPortName("COM1:");
  installer.record.formName = "Print width 80mm 30cm";
  installer.record.printerType = 1;
  installer.BuildFileList("RQ-7200 TH");
  for (const std::string& name : installer.record.fileList)
    simtest::WriteFile(machine->spooler().HostDriverDirectory() / name, name);

  ASSERT_TRUE(installer.AddDriver("RQ-7200 TH"));
  ASSERT_TRUE(installer.AddPrinterQueue("RQ-7200 TH"));
  SetPaperForm(context, "RQ-7200 TH", installer.record.formName);
  machine->Save();

  const json saved = json::parse(simtest::ReadFile(machineDir.path() / "machine.json"));
  const json& spooler = saved.at("spooler");
  const json* driver = FindNamed(spooler.at("drivers"), "RQ-7200 TH");
  ASSERT_NE(driver, nullptr);
  EXPECT_EQ(driver->at("driverPath"), "unidrv.dll");
  EXPECT_EQ(driver->at("dataFile"), "vt5000.gpd");
  EXPECT_EQ(driver->at("dependentFiles"), json({"KorvexVT5K.dll", "unires.dll", "stdnames.gpd", "ttfsub.gpd"}));

  const json* printer = FindNamed(spooler.at("printers"), "RQ-7200 TH");
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->at("port"), "Kvx_COM1:");
  EXPECT_EQ(printer->at("driver"), "RQ-7200 TH");
  EXPECT_EQ(printer->at("attributes"), 0x2240);
  const json& data = printer->at("printerData");
  EXPECT_EQ(data.at("TrayFormTable"), json({"Auto", "Print width 80mm 30cm", "0"}));
  EXPECT_EQ(data.at("TrayFormMap"), json({{"hex", "4155544f00000000000000000000"}}));
  EXPECT_EQ(data.at("TrayFormMapSize"), 14);
  EXPECT_EQ(data.at("TrayFormKeyword"), json({{"hex", "4155544f000000"}}));
  EXPECT_EQ(data.at("TrayFormKeywordSize"), 7);

  EXPECT_EQ(saved.at("registry").at("HKEY_LOCAL_MACHINE").at("SOFTWARE\\Korvex\\KvxPortsIO").at("Kvx_COM1:"),
            "Kiosk Printer");
  EXPECT_EQ(machine->handles().OpenCount(), 0u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

}  // namespace
