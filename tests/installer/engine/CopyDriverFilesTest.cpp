// The copy step of the installation: the driver files into the printer driver directory, the extra
// monitor file and the Ostrel USB library into the system directory.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/InstallSequence.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;
namespace winerr = platform::winerr;
using Strings = std::vector<std::string>;

constexpr const char* kDriverDir = "C:\\Windows\\System32\\spool\\drivers\\x64";
constexpr const char* kSystemDir = "C:\\Windows\\System32";
// The example catalog, whose driver file set ends it, with more entries in that set.
std::string CatalogWith(const std::string& extraFileSetLines) {
  return installertest::kExampleCatalog + extraFileSetLines;
}

// The example catalog with another driver module name.
std::string CatalogWithDriver(const std::string& driver) {
  std::string catalog = installertest::kExampleCatalog;
  const std::string entry = "driver=KorvexVT5K.dll";
  catalog.replace(catalog.find(entry), entry.size(), "driver=" + driver);
  return catalog;
}

class CopyDriverFilesTest : public ::testing::Test {
protected:
  explicit CopyDriverFilesTest(const std::string& catalog = installertest::kExampleCatalog) : harness(catalog) {}

  // The record as Install has it when it reaches the copy step.
  void Prepare(const std::string& model = "VT5000") {
    harness.StageMedia(model);
    installer.record.modelName = model;
    installer.SetSourceDirectory();
    installer.BuildFileList(model);
  }
  fs::path DriverDir() const { return harness.machine->spooler().HostDriverDirectory(); }
  fs::path SystemDir() const { return harness.machine->driveC() / "Windows" / "System32"; }
  std::string Staged(const std::string& name) const { return simtest::ReadFile(DriverDir() / name); }
  platform::sim::FaultInjector& Faults() { return harness.machine->faults(); }
  static std::string CopyLine(const std::string& source, const std::string& target, int code) {
    return "CopyFile(" + source + "," + target + ",FALSE) FAILED CODE: " + std::to_string(code) + "\r\n";
  }

  enginetest::EngineHarness harness;
  Win2kXPInstaller installer{harness.context};
};

TEST_F(CopyDriverFilesTest, EveryListedFileLandsInTheDriverDirectoryOverAReadOnlyCopy) {
  Prepare();
  const Strings list = installer.record.fileList;
  ASSERT_EQ(list, (Strings{"unidrv.dll", "unidrvui.dll", "unidrv.hlp", "unires.dll", "vt5000.gpd", "KorvexVT5K.dll",
                           "stdnames.gpd", "ttfsub.gpd"}));
  // A copy left by an earlier installation, marked read-only.
  harness.StageDriverFiles({"vt5000.gpd"});
  ASSERT_EQ(harness.platform.files.SetFileAttributesA(std::string(kDriverDir) + "\\vt5000.gpd",
                                                      platform::fileattr::ReadOnly),
            winerr::Success);

  EXPECT_TRUE(CopyDriverFiles(installer));
  for (const std::string& name : list) EXPECT_EQ(Staged(name), "shipped " + name) << name;
  EXPECT_EQ(installer.record.lastError, 0u);
  EXPECT_EQ(Faults().CallCount("CopyFileA"), list.size());
  // No spooler restart for a model that is not an Ostrel one.
  EXPECT_EQ(Faults().CallCount("ControlService"), 0u);
  EXPECT_EQ(harness.Now(), 0u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(CopyDriverFilesTest, AccessDeniedAndSharingViolationCountAsCopied) {
  Prepare();
  Faults().FailNth("CopyFileA", 2, winerr::AccessDenied);
  Faults().FailNth("CopyFileA", 6, winerr::SharingViolation);
  EXPECT_TRUE(CopyDriverFiles(installer));
  // The code stays with the record; every file after the refused ones was still copied.
  EXPECT_EQ(installer.record.lastError, winerr::SharingViolation);
  EXPECT_EQ(Staged("ttfsub.gpd"), "shipped ttfsub.gpd");
  EXPECT_FALSE(fs::exists(DriverDir() / "unidrvui.dll"));
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(CopyDriverFilesTest, AnyOtherErrorIsLoggedAndEndsTheStepInListOrder) {
  Prepare();
  fs::remove("WIN2KXP/unidrv.hlp");
  EXPECT_FALSE(CopyDriverFiles(installer));
  EXPECT_EQ(installer.record.lastError, winerr::FileNotFound);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(),
            CopyLine(".\\WIN2KXP\\unidrv.hlp", std::string(kDriverDir) + "\\unidrv.hlp", 2));
  // The files before it are in place, none after it was tried.
  EXPECT_TRUE(fs::exists(DriverDir() / "unidrvui.dll"));
  EXPECT_FALSE(fs::exists(DriverDir() / "unires.dll"));
  EXPECT_EQ(Faults().CallCount("CopyFileA"), 3u);
}

TEST_F(CopyDriverFilesTest, AnUnreadableOrOversizedDriverDirectoryFailsWithoutCopying) {
  Prepare();
  Faults().FailOnce("GetPrinterDriverDirectoryA", winerr::AccessDenied);
  EXPECT_FALSE(CopyDriverFiles(installer));
  EXPECT_EQ(installer.record.lastError, winerr::AccessDenied);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "CopyFilesToPrinterDir Failed Code: 5\r\n");
  EXPECT_EQ(Faults().CallCount("CopyFileA"), 0u);

  // 200 characters do not fit the 200-character buffer with its NUL.
  fs::remove("errors.log");
  const std::string deep = "C:\\" + std::string(197, 'd');
  harness.machine->spooler().Edit([&](platform::sim::SpoolerState& state) { state.driverDirectory = deep; });
  EXPECT_FALSE(CopyDriverFiles(installer));
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "CopyFilesToPrinterDir Failed Code: 122\r\n");
  EXPECT_EQ(Faults().CallCount("CopyFileA"), 0u);
  // Nothing went to the root of the drive instead.
  EXPECT_FALSE(fs::exists(harness.machine->driveC() / "unidrv.dll"));
}

class ExtraMonitorFileTest : public CopyDriverFilesTest {
protected:
  ExtraMonitorFileTest() : CopyDriverFilesTest(CatalogWith("monAdditional=KvxMonExtra.dll\r\n")) {}
  void SetUp() override {
    Prepare();
    simtest::WriteFile("WIN2KXP/KvxMonExtra.dll", "shipped extra");
  }
};

TEST_F(ExtraMonitorFileTest, GoesToTheSystemDirectoryAfterTheList) {
  EXPECT_TRUE(CopyDriverFiles(installer));
  EXPECT_EQ(simtest::ReadFile(SystemDir() / "KvxMonExtra.dll"), "shipped extra");
  EXPECT_FALSE(fs::exists(DriverDir() / "KvxMonExtra.dll"));
  EXPECT_EQ(Staged("ttfsub.gpd"), "shipped ttfsub.gpd");

  const std::size_t extraCopy = installer.record.fileList.size() + 1;
  for (platform::DWORD inUse : {winerr::AccessDenied, winerr::SharingViolation}) {
    Faults().FailNth("CopyFileA", extraCopy, inUse);
    EXPECT_TRUE(CopyDriverFiles(installer)) << inUse;
    EXPECT_EQ(installer.record.lastError, inUse);
  }
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

TEST_F(ExtraMonitorFileTest, AMissingExtraFileOrSystemDirectoryFailsTheStep) {
  fs::remove("WIN2KXP/KvxMonExtra.dll");
  EXPECT_FALSE(CopyDriverFiles(installer));
  EXPECT_EQ(installer.record.lastError, winerr::FileNotFound);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(),
            CopyLine(".\\WIN2KXP\\KvxMonExtra.dll", std::string(kSystemDir) + "\\KvxMonExtra.dll", 2));

  fs::remove("errors.log");
  Faults().FailOnce("GetSystemDirectoryA", winerr::AccessDenied);
  EXPECT_FALSE(CopyDriverFiles(installer));
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "CopyFilesToPrinterDir Failed Code: 5\r\n");
}

TEST_F(CopyDriverFilesTest, AnOstrelModelGetsTheUsbLibraryWhileTheSpoolerIsStopped) {
  Prepare("RQ-7200 TH");
  ASSERT_TRUE(installer.record.ostrelModel);
  // The interface folder's copy, not the one beside the driver files.
  simtest::WriteFile("driver/usb/SiUSBXp.dll", "usb folder library");
  Faults().ResetLog();

  EXPECT_TRUE(CopyDriverFiles(installer));
  EXPECT_EQ(simtest::ReadFile(SystemDir() / "SiUSBXp.dll"), "usb folder library");
  Strings order;
  for (const std::string& op : Faults().CallLog()) {
    if (op != "ControlService" && op != "StartServiceA" && op != "CopyFileA") continue;
    if (order.empty() || order.back() != op) order.push_back(op);
  }
  EXPECT_EQ(order, (Strings{"ControlService", "CopyFileA", "StartServiceA", "CopyFileA"}));
  // One full restart of the spooler (710 ms stop, 1100 ms start and wait).
  EXPECT_EQ(harness.Now(), 710u + 1100u);
  EXPECT_EQ(Staged("stdnames.gpd"), "shipped stdnames.gpd");
}

TEST_F(CopyDriverFilesTest, WithAnEmptyListTheOstrelCopyDecides) {
  Prepare("RQ-7200 TH");
  installer.record.fileList.clear();
  fs::remove("driver/usb/SiUSBXp.dll");
  EXPECT_FALSE(CopyDriverFiles(installer));
  EXPECT_EQ(installer.record.lastError, winerr::FileNotFound);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "CopyFilesToPrinterDir Failed Code: 2\r\n");

  // A library held by a running program is taken as in place.
  fs::remove("errors.log");
  Faults().FailOnce("CopyFileA", winerr::SharingViolation);
  EXPECT_TRUE(CopyDriverFiles(installer));
  EXPECT_EQ(installer.record.lastError, 0u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

// A catalog is only data: a file name in it must not reach another folder.
class NonPlainNameTest : public CopyDriverFilesTest, public ::testing::WithParamInterface<std::string> {
protected:
  NonPlainNameTest() : CopyDriverFilesTest(CatalogWithDriver(GetParam())) {}

  // Every file named evil.dll on the machine or in the distribution folder, with its content.
  std::vector<std::pair<fs::path, std::string>> EvilFiles() const {
    std::vector<std::pair<fs::path, std::string>> found;
    for (const fs::path& root : {harness.machine->driveC(), fs::current_path()})
      for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.path().filename() == "evil.dll") found.emplace_back(entry.path(), simtest::ReadFile(entry.path()));
    std::sort(found.begin(), found.end());
    return found;
  }
};

TEST_P(NonPlainNameTest, IsRefusedForTheCopyAndTheCleanUp) {
  Prepare();
  const std::string name = GetParam();
  ASSERT_NE(std::find(installer.record.fileList.begin(), installer.record.fileList.end(), name),
            installer.record.fileList.end());
  // Where the name leads from the source and the driver directory, and a file to lose on the way.
  simtest::WriteFile(fs::current_path() / "evil.dll", "evil");
  simtest::WriteFile(DriverDir().parent_path() / "evil.dll", "keep");
  simtest::WriteFile(DriverDir().parent_path().parent_path() / "evil.dll", "keep");
  simtest::WriteFile(harness.machine->driveC() / "evil.dll", "keep");
  const auto before = EvilFiles();

  EXPECT_FALSE(CopyDriverFiles(installer));
  EXPECT_EQ(installer.record.lastError, winerr::InvalidName);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(),
            CopyLine(".\\WIN2KXP\\" + name, std::string(kDriverDir) + "\\" + name, 123));
  EXPECT_EQ(EvilFiles(), before);

  installer.RemoveStagedDriverFiles();
  EXPECT_EQ(EvilFiles(), before);
}

INSTANTIATE_TEST_SUITE_P(Names, NonPlainNameTest,
                         ::testing::Values("..\\evil.dll", "..\\..\\evil.dll", "../evil.dll", "C:evil.dll",
                                           "C:\\evil.dll", "sub\\..\\..\\evil.dll"),
                         [](const auto& paramInfo) { return "Case" + std::to_string(paramInfo.index); });

}  // namespace
