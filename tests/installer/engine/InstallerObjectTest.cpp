#include <gtest/gtest.h>

#include <thread>

#include "installer/engine/EngineTestSupport.h"

namespace {

using enginetest::EngineHarness;
using Strings = std::vector<std::string>;

// The base class alone, to see what the variant changes.
class BareInstaller : public CommonInstaller {
public:
  using CommonInstaller::CommonInstaller;
  void SetSourceDirectory() override {}
  void BuildFileList(const std::string&) override {}
  platform::DWORD FillDriverInfo(platform::DriverInfo3A&) override { return 0; }
  void FillPrinterInfo(platform::PrinterInfo2A&) override {}
};

std::string MultiText(const std::vector<char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

class InstallerObjectTest : public ::testing::Test {
protected:
  void UseCatalogFiles(const std::string& files) {
    harness.folder.Write("[Supported.Printers]\r\nOstrel=RQ-7200 TH\r\n[KvxDrivers.2K.FILES]\r\n" + files);
  }

  EngineHarness harness;
  Win2kXPInstaller installer{harness.context};
};

TEST_F(InstallerObjectTest, AFreshVariantHoldsTheInitialRecord) {
  const InstallerRecord& r = installer.record;
  EXPECT_FALSE(r.ostrelModel);
  EXPECT_EQ(r.printerType, 0);
  EXPECT_TRUE(r.fileList.empty());
  EXPECT_EQ(r.sourceDir, "");
  EXPECT_EQ(r.lastError, 0u);
  EXPECT_EQ(r.portName, "");
  EXPECT_EQ(r.monitorDll, "KorvexMon.dll");
  EXPECT_EQ(r.monitorUiDll, "KorvexMonUI.dll");
  EXPECT_EQ(r.monitorName, "Korvex Port Monitor");
  EXPECT_EQ(r.monAdditional, "");
  EXPECT_EQ(r.modelName, "");
  EXPECT_EQ(r.renderDll, "");
  EXPECT_EQ(r.renderUiDll, "");
  EXPECT_TRUE(r.needsPortMonitor);
  EXPECT_EQ(r.tcpPort, 9100);
  EXPECT_EQ(r.progressStep.load(), 0);
  EXPECT_EQ(r.formName, "");
  EXPECT_EQ(r.sectionSuffix, ".2K");
  EXPECT_EQ(r.installOutcome, 0);
  EXPECT_EQ(installer.driverDll, "");
  EXPECT_EQ(installer.gpdFile, "");
  EXPECT_EQ(installer.dependentFiles.size(), 500u);
  for (char c : installer.dependentFiles) EXPECT_EQ(c, '\0');

  BareInstaller bare(harness.context);
  EXPECT_FALSE(bare.record.needsPortMonitor);
  EXPECT_EQ(bare.record.sectionSuffix, "");
}

TEST_F(InstallerObjectTest, PortNamesGetTheMonitorPrefix) {
  for (const char* port : {"COM1:", "LPT1:", "USB", "IP_192.168.0.20"}) {
    installer.SetPortName(port);
    EXPECT_EQ(installer.record.portName, std::string("Kvx_") + port);
  }
  BareInstaller bare(harness.context);
  bare.SetPortName("USB");
  EXPECT_EQ(bare.record.portName, "Kvx_USB");
  bare.SetPortName("COM1:");
  EXPECT_EQ(bare.record.portName, "COM1:");

  installer.SetSourceDirectory();
  EXPECT_EQ(installer.record.sourceDir, ".\\WIN2KXP");
}

TEST_F(InstallerObjectTest, TheBaseClassLeavesTheSpoolerAloneAndHasNoParallelDriverToRefresh) {
  BareInstaller bare(harness.context);
  bare.StopSpooler();
  bare.StartSpoolerAndWait();
  bare.CycleSpooler();
  EXPECT_EQ(harness.Now(), 0u);
  EXPECT_EQ(harness.machine->faults().CallCount("OpenSCManagerA"), 0u);
  EXPECT_TRUE(bare.InstallParallelPortDriver());
}

TEST_F(InstallerObjectTest, DriverFileSetComesFromTheCatalogWithItsDefaults) {
  installer.record.modelName = "RQ-7200 TH";
  installer.ReadDriverFileSet();
  EXPECT_TRUE(installer.record.ostrelModel);
  EXPECT_EQ(installer.driverDll, "KorvexVT5K.dll");
  EXPECT_EQ(installer.record.monitorDll, "KorvexMon.dll");
  EXPECT_EQ(installer.record.monitorUiDll, "KorvexMonUI.dll");
  EXPECT_EQ(installer.record.renderDll, "");
  EXPECT_EQ(installer.record.renderUiDll, "TolvUIRQ7K.dll");
  EXPECT_EQ(installer.record.monAdditional, "");

  UseCatalogFiles("DRIVER=Own.dll\r\nmonitor=M.dll\r\nmonitorUI=MUI.dll\r\nrender=R.dll\r\nmonAdditional=Extra.dll\r\n");
  installer.record.modelName = "VT5000";
  installer.ReadDriverFileSet();
  EXPECT_FALSE(installer.record.ostrelModel);
  EXPECT_EQ(installer.driverDll, "Own.dll");
  EXPECT_EQ(installer.record.monitorDll, "M.dll");
  EXPECT_EQ(installer.record.monitorUiDll, "MUI.dll");
  EXPECT_EQ(installer.record.renderDll, "R.dll");
  EXPECT_EQ(installer.record.renderUiDll, "");
  EXPECT_EQ(installer.record.monAdditional, "Extra.dll");
}

TEST_F(InstallerObjectTest, FileListOfTheExampleCatalog) {
  installer.BuildFileList("VT5000");
  EXPECT_EQ(installer.record.fileList, (Strings{"unidrv.dll", "unidrvui.dll", "unidrv.hlp", "unires.dll", "vt5000.gpd",
                                                "KorvexVT5K.dll", "stdnames.gpd", "ttfsub.gpd"}));
  EXPECT_EQ(installer.gpdFile, "vt5000.gpd");

  // The list grows: emptying it is the sequence's business.
  installer.BuildFileList("VT5000");
  EXPECT_EQ(installer.record.fileList.size(), 16u);
}

TEST_F(InstallerObjectTest, ARenderModuleBringsItsIniAndTheUiPlugIn) {
  harness.folder.Write(installertest::kExampleCatalog + "render=KvxRender.dll\r\nVT5200=rq7200.gpd\r\n");
  installer.BuildFileList("RQ-7200 TH");
  EXPECT_EQ(installer.record.fileList,
            (Strings{"unidrv.dll", "unidrvui.dll", "unidrv.hlp", "unires.dll", "rq7200.gpd", "KorvexVT5K.dll",
                     "KvxRender.dll", "Korvex.ini", "TolvUIRQ7K.dll", "stdnames.gpd", "ttfsub.gpd"}));
}

TEST_F(InstallerObjectTest, ScaleDriversUseTheScaleDataFile) {
  installer.BuildFileList("VT5000 Scale");
  EXPECT_EQ(installer.gpdFile, "vt5000S.gpd");
  EXPECT_EQ(installer.record.fileList[4], "vt5000S.gpd");

  UseCatalogFiles("VT5000=vt5000\r\nVT5200=\r\n");
  installer.BuildFileList("VT5000 Scale");
  EXPECT_EQ(installer.gpdFile, "vt5000");
  // An empty value stays empty rather than falling back to the default.
  installer.BuildFileList("RQ-7200 TH Scale");
  EXPECT_EQ(installer.gpdFile, "");
  // "scale" in lower case is not the scale variant.
  installer.BuildFileList("VT5000 scale");
  EXPECT_EQ(installer.gpdFile, "vt5000");
}

TEST_F(InstallerObjectTest, DependentFilesFollowTheCatalog) {
  installer.BuildFileList("VT5000");
  platform::DriverInfo3A info;
  ASSERT_EQ(installer.FillDriverInfo(info), 0u);
  const std::string expected = simtest::Bytes("KorvexVT5K.dll\0unires.dll\0stdnames.gpd\0ttfsub.gpd\0\0");
  EXPECT_EQ(MultiText(*info.pDependentFiles), expected);
  EXPECT_EQ(std::string(installer.dependentFiles.data(), expected.size()), expected);
  EXPECT_EQ(info.cVersion, 3u);
  EXPECT_FALSE(info.pName);
  EXPECT_FALSE(info.pEnvironment);
  EXPECT_EQ(info.pDriverPath, "unidrv.dll");
  EXPECT_EQ(info.pDataFile, "vt5000.gpd");
  EXPECT_EQ(info.pConfigFile, "unidrvui.dll");
  EXPECT_EQ(info.pHelpFile, "unidrvui.dll");
  EXPECT_FALSE(info.pMonitorName);
  EXPECT_FALSE(info.pDefaultDataType);

  harness.folder.Write(installertest::kExampleCatalog + "render=KvxRender.dll\r\n");
  installer.BuildFileList("VT5000");
  ASSERT_EQ(installer.FillDriverInfo(info), 0u);
  EXPECT_EQ(MultiText(*info.pDependentFiles),
            simtest::Bytes("KorvexVT5K.dll\0unires.dll\0KvxRender.dll\0Korvex.ini\0TolvUIRQ7K.dll\0stdnames.gpd\0"
                           "ttfsub.gpd\0\0"));
}

TEST_F(InstallerObjectTest, DependentFilesMustFitFiveHundredBytes) {
  // The fixed names take 36 bytes with the final NUL, so a driver name of 463 characters just fits.
  installer.driverDll = std::string(463, 'd');
  platform::DriverInfo3A info;
  ASSERT_EQ(installer.FillDriverInfo(info), 0u);
  EXPECT_EQ(info.pDependentFiles->size(), 500u);
  EXPECT_EQ(installer.dependentFiles.back(), '\0');

  installer.driverDll = std::string(464, 'd');
  EXPECT_FALSE(installer.AddDriver("VT5000"));
  EXPECT_EQ(installer.record.lastError, platform::winerr::InsufficientBuffer);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(),
            "AddPrinterDriver FAILED: dependent files do not fit (501 bytes)\r\n");
  for (char c : installer.dependentFiles) ASSERT_EQ(c, '\0');
}

TEST(AutoResetEventTest, OneSetWakesOneWaitAndResets) {
  InstallerRecord record;
  EXPECT_FALSE(record.progressEvent.TryWait());
  record.ReportProgress(2);
  record.ReportProgress(3);
  EXPECT_TRUE(record.progressEvent.TryWait());
  EXPECT_FALSE(record.progressEvent.WaitFor(std::chrono::milliseconds(0)));

  std::int32_t seen = -1;
  std::thread ui([&] {
    if (record.progressEvent.WaitFor(std::chrono::seconds(30))) seen = record.progressStep.load();
  });
  record.ReportProgress(4);
  ui.join();
  EXPECT_EQ(seen, 4);
}

}  // namespace
