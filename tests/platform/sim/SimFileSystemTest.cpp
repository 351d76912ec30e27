// The simulated machine's files: Windows' path lengths, copy and delete rules, attributes and
// the version a file carries.
#include <gtest/gtest.h>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::DWORD;
using platform::FileVersion;
using platform::sim::SimMachine;
namespace winerr = platform::winerr;
namespace fileattr = platform::fileattr;
namespace fs = std::filesystem;

class SimFileSystemTest : public testing::Test {
protected:
  fs::path Host(const std::string& under) { return machine->driveC() / under; }

  std::unique_ptr<SimMachine> machine = SimMachine::InMemory();
  platform::FileSystem& files = machine->files();
};

TEST_F(SimFileSystemTest, SystemDirectoryExistsOnceAsked) {
  std::string dir;
  ASSERT_EQ(files.GetSystemDirectoryA(dir), winerr::Success);
  EXPECT_EQ(dir, "C:\\Windows\\System32");
  EXPECT_TRUE(fs::is_directory(Host("Windows/System32")));
}

TEST_F(SimFileSystemTest, NamesIgnoreCaseAsOnWindows) {
  std::string system;
  ASSERT_EQ(files.GetSystemDirectoryA(system), winerr::Success);
  simtest::TempDir dist;
  simtest::ScopedCurrentDir cwd(dist.path());
  simtest::WriteFile(dist.path() / "WIN2KXP" / "tolvpar.sys", "KVXVERSION 1.2.3.4\n");

  EXPECT_EQ(files.CopyFileA(".\\win2kxp\\Tolvpar.sys", "C:\\WINDOWS\\system32\\New.sys", false), winerr::Success);
  EXPECT_TRUE(fs::is_regular_file(Host("Windows/System32/New.sys")));
  FileVersion version;
  ASSERT_EQ(files.GetFileVersionA("c:\\windows\\SYSTEM32\\new.SYS", version), winerr::Success);
  EXPECT_EQ(version.fileVersionMS, 0x10002u);
  // A file that does not exist yet keeps the spelling it was given.
  EXPECT_EQ(files.CopyFileA(".\\WIN2KXP\\tolvpar.sys", ".\\win2kxp\\Copy.SYS", false), winerr::Success);
  EXPECT_TRUE(fs::is_regular_file(dist.path() / "WIN2KXP" / "Copy.SYS"));
}

TEST_F(SimFileSystemTest, FullPathNeedsRoomForTheNul) {
  const std::string expected = "C:\\Kvx\\Setup.inf";
  std::string path;
  DWORD required = 0;
  ASSERT_EQ(files.GetFullPathNameA("c:\\Kvx\\sub\\..\\.\\Setup.inf", 0, path, required), winerr::Success);
  EXPECT_EQ(path, "");
  EXPECT_EQ(required, expected.size() + 1);
  ASSERT_EQ(files.GetFullPathNameA("c:\\Kvx\\sub\\..\\.\\Setup.inf", expected.size(), path, required),
            winerr::Success);
  EXPECT_EQ(path, "");
  ASSERT_EQ(files.GetFullPathNameA("c:\\Kvx\\sub\\..\\.\\Setup.inf", expected.size() + 1, path, required),
            winerr::Success);
  EXPECT_EQ(path, "c:\\Kvx\\Setup.inf");
}

TEST_F(SimFileSystemTest, RelativeFullPathIsTheHostPathTheMachineAcceptsBack) {
  simtest::TempDir dist;
  simtest::ScopedCurrentDir cwd(dist.path());
  simtest::WriteFile(dist.path() / "Driver" / "a.inf", "x");
  std::string path;
  DWORD required = 0;
  ASSERT_EQ(files.GetFullPathNameA("Driver\\a.inf", 4096, path, required), winerr::Success);
  EXPECT_EQ(fs::path(path), fs::absolute(dist.path() / "Driver" / "a.inf"));
  DWORD attributes = 0;
  EXPECT_EQ(files.GetFileAttributesA(path, attributes), winerr::Success);
  EXPECT_EQ(required, path.size() + 1);
}

TEST_F(SimFileSystemTest, CopyFollowsWindowsRules) {
  simtest::WriteFile(Host("src/a.dll"), "new");
  simtest::WriteFile(Host("dst/a.dll"), "old");
  EXPECT_EQ(files.CopyFileA("C:\\src\\a.dll", "C:\\dst\\a.dll", true), winerr::FileExists);
  EXPECT_EQ(simtest::ReadFile(Host("dst/a.dll")), "old");
  EXPECT_EQ(files.CopyFileA("C:\\src\\a.dll", "C:\\dst\\a.dll", false), winerr::Success);
  EXPECT_EQ(simtest::ReadFile(Host("dst/a.dll")), "new");
  EXPECT_EQ(files.CopyFileA("C:\\src\\none.dll", "C:\\dst\\b.dll", false), winerr::FileNotFound);
  EXPECT_EQ(files.CopyFileA("C:\\nofolder\\a.dll", "C:\\dst\\b.dll", false), winerr::PathNotFound);
  EXPECT_EQ(files.CopyFileA("C:\\src\\a.dll", "C:\\nofolder\\a.dll", false), winerr::PathNotFound);
}

TEST_F(SimFileSystemTest, ReadOnlyTargetRefusesAndCopyKeepsSourceAttributes) {
  simtest::WriteFile(Host("src/a.dll"), "new");
  simtest::WriteFile(Host("dst/a.dll"), "old");
  ASSERT_EQ(files.SetFileAttributesA("C:\\dst\\a.dll", fileattr::ReadOnly), winerr::Success);
  EXPECT_EQ(files.CopyFileA("C:\\src\\a.dll", "C:\\dst\\a.dll", false), winerr::AccessDenied);
  EXPECT_EQ(files.DeleteFileA("C:\\dst\\a.dll"), winerr::AccessDenied);
  ASSERT_EQ(files.SetFileAttributesA("C:\\dst\\a.dll", fileattr::Normal), winerr::Success);

  ASSERT_EQ(files.SetFileAttributesA("C:\\src\\a.dll", fileattr::ReadOnly), winerr::Success);
  ASSERT_EQ(files.CopyFileA("C:\\src\\a.dll", "C:\\dst\\a.dll", false), winerr::Success);
  DWORD attributes = 0;
  ASSERT_EQ(files.GetFileAttributesA("C:\\dst\\a.dll", attributes), winerr::Success);
  EXPECT_EQ(attributes & fileattr::ReadOnly, fileattr::ReadOnly);
  files.SetFileAttributesA("C:\\src\\a.dll", fileattr::Normal);
  files.SetFileAttributesA("C:\\dst\\a.dll", fileattr::Normal);
}

TEST_F(SimFileSystemTest, AttributesAndDeleteOfMissingFiles) {
  DWORD attributes = 0;
  EXPECT_EQ(files.GetFileAttributesA("C:\\none.dll", attributes), winerr::FileNotFound);
  EXPECT_EQ(attributes, fileattr::Invalid);
  EXPECT_EQ(files.GetFileAttributesA("C:\\nofolder\\none.dll", attributes), winerr::PathNotFound);
  EXPECT_EQ(files.DeleteFileA("C:\\none.dll"), winerr::FileNotFound);
  simtest::WriteFile(Host("a.dll"), "x");
  ASSERT_EQ(files.GetFileAttributesA("C:\\a.dll", attributes), winerr::Success);
  EXPECT_EQ(attributes, fileattr::Archive);
  EXPECT_EQ(files.DeleteFileA("C:\\a.dll"), winerr::Success);
  EXPECT_FALSE(fs::exists(Host("a.dll")));
}

TEST_F(SimFileSystemTest, VersionComesFromTheFirstLine) {
  simtest::WriteFile(Host("v.dll"), "KVXVERSION 6.2.65535.17\nrest");
  simtest::WriteFile(Host("plain.dll"), "MZ...");
  simtest::WriteFile(Host("bad.dll"), "KVXVERSION 6.2.x.1\n");
  FileVersion version;
  ASSERT_EQ(files.GetFileVersionA("C:\\v.dll", version), winerr::Success);
  EXPECT_EQ(version.fileVersionMS, 0x00060002u);
  EXPECT_EQ(version.fileVersionLS, 0xFFFF0011u);
  EXPECT_EQ(files.GetFileVersionA("C:\\plain.dll", version), winerr::ResourceTypeNotFound);
  EXPECT_EQ(files.GetFileVersionA("C:\\bad.dll", version), winerr::ResourceTypeNotFound);
  EXPECT_EQ(files.GetFileVersionA("C:\\none.dll", version), winerr::FileNotFound);
}

TEST_F(SimFileSystemTest, FaultsGoByWindowsNames) {
  simtest::WriteFile(Host("a.dll"), "x");
  machine->faults().FailOnce("CopyFileA", winerr::SharingViolation);
  machine->faults().FailOnce("DeleteFileA", winerr::AccessDenied);
  EXPECT_EQ(files.CopyFileA("C:\\a.dll", "C:\\b.dll", false), winerr::SharingViolation);
  EXPECT_EQ(files.DeleteFileA("C:\\a.dll"), winerr::AccessDenied);
  EXPECT_TRUE(fs::exists(Host("a.dll")));
  EXPECT_EQ(files.CopyFileA("C:\\a.dll", "C:\\b.dll", false), winerr::Success);
}

}  // namespace
