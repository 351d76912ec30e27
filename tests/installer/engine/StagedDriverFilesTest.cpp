// Locating the driver directories and removing the staged copies of the driver files.
#include <gtest/gtest.h>

#include "installer/engine/EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;
namespace winerr = platform::winerr;

class StagedDriverFilesTest : public ::testing::Test {
protected:
  fs::path Staged(const std::string& name) const { return harness.machine->spooler().HostDriverDirectory() / name; }
  bool Exists(const std::string& name) const { return fs::exists(Staged(name)); }
  std::size_t Calls(const char* op) const { return harness.machine->faults().CallCount(op); }

  enginetest::EngineHarness harness;
  Win2kXPInstaller installer{harness.context};
};

TEST_F(StagedDriverFilesTest, DriverDirectoryIsUnderTheSystemDirectory) {
  std::string directory = "old";
  EXPECT_EQ(installer.GetDriverDirectory(directory, 260), 0u);
  EXPECT_EQ(directory, "C:\\Windows\\System32\\Drivers");

  // The system directory itself does not fit: nothing.
  EXPECT_EQ(installer.GetDriverDirectory(directory, 19), 0u);
  EXPECT_EQ(directory, "");

  harness.machine->faults().FailOnce("GetSystemDirectoryA", winerr::AccessDenied);
  directory = "old";
  EXPECT_EQ(installer.GetDriverDirectory(directory, 260), 0u);
  EXPECT_EQ(directory, "");
}

TEST_F(StagedDriverFilesTest, EveryListedCopyIsDeletedReadOnlyOrNot) {
  harness.StageDriverFiles({"unidrv.dll", "vt5000.gpd", "stdnames.gpd", "keep.txt"});
  const std::string readOnly = "C:\\Windows\\System32\\spool\\drivers\\x64\\vt5000.gpd";
  ASSERT_EQ(harness.platform.files.SetFileAttributesA(readOnly, platform::fileattr::ReadOnly), winerr::Success);

  installer.record.fileList = {"unidrv.dll", "vt5000.gpd", "never-copied.dll", "stdnames.gpd"};
  installer.RemoveStagedDriverFiles();
  EXPECT_FALSE(Exists("unidrv.dll"));
  EXPECT_FALSE(Exists("vt5000.gpd"));
  EXPECT_FALSE(Exists("stdnames.gpd"));
  EXPECT_TRUE(Exists("keep.txt"));
  // The list belongs to the sequence, which empties it afterwards.
  EXPECT_EQ(installer.record.fileList.size(), 4u);
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
}

TEST_F(StagedDriverFilesTest, EmptyListTouchesNothing) {
  harness.StageDriverFiles({"unidrv.dll"});
  installer.RemoveStagedDriverFiles();
  EXPECT_TRUE(Exists("unidrv.dll"));
  EXPECT_EQ(Calls("GetPrinterDriverDirectoryA"), 0u);
  EXPECT_EQ(Calls("DeleteFileA"), 0u);
}

TEST_F(StagedDriverFilesTest, PathsBeyondTheBufferAreLeftInPlace) {
  // "C:\Windows\System32\spool\drivers\x64\" is 38 characters; the path buffer holds 207.
  const std::string fits(207 - 38, 'f');
  const std::string tooLong(208 - 38, 'g');
  harness.StageDriverFiles({fits, tooLong});
  installer.record.fileList = {fits, tooLong};
  installer.RemoveStagedDriverFiles();
  EXPECT_FALSE(Exists(fits));
  EXPECT_TRUE(Exists(tooLong));
}

TEST_F(StagedDriverFilesTest, FailuresDoNotStopTheRest) {
  harness.StageDriverFiles({"a.dll", "b.dll"});
  installer.record.fileList = {"a.dll", "b.dll"};
  harness.machine->faults().FailOnce("DeleteFileA", winerr::SharingViolation);
  installer.RemoveStagedDriverFiles();
  EXPECT_TRUE(Exists("a.dll"));
  EXPECT_FALSE(Exists("b.dll"));

  harness.machine->faults().FailOnce("GetPrinterDriverDirectoryA", winerr::RpcServerUnavailable);
  installer.RemoveStagedDriverFiles();
  EXPECT_TRUE(Exists("a.dll"));
  EXPECT_EQ(Calls("DeleteFileA"), 2u);
}

}  // namespace
