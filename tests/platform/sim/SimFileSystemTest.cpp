// The simulated machine's files: Windows' path lengths, copy and delete rules, attributes and
// the version a file carries.
#include <gtest/gtest.h>

#include "platform/sim/HostPath.h"
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
  ASSERT_EQ(files.GetFullPathNameA("c:\\Kvx\\sub\\..\\.\\Setup.inf", static_cast<DWORD>(expected.size()), path, required),
            winerr::Success);
  EXPECT_EQ(path, "");
  ASSERT_EQ(files.GetFullPathNameA("c:\\Kvx\\sub\\..\\.\\Setup.inf", static_cast<DWORD>(expected.size() + 1), path, required),
            winerr::Success);
  EXPECT_EQ(path, "c:\\Kvx\\Setup.inf");
}

// No name leads off the machine: C: is drive_c, D: the folder the program runs from, ".." stops
// at a drive's root, and a symbolic link may only lead to a place inside its drive's folder.
TEST_F(SimFileSystemTest, PathsStayOnTheMachine) {
  simtest::TempDir media;
  simtest::ScopedCurrentDir cwd(media.path());
  fs::create_directories(Host("Windows"));
  fs::create_directory_symlink(machine->driveC() / "Windows", Host("inside"));
  fs::create_directory_symlink(media.path(), Host("out"));
  fs::create_symlink(media.path() / "none", Host("dangling"));
  struct Case {
    const char* name;
    const char* full;  // as GetFullPathNameA gives it
    std::optional<fs::path> host;
  };
  const fs::path c = machine->driveC(), d = fs::canonical(media.path());
  const Case cases[] = {
      {"C:\\..\\x", "C:\\x", c / "x"},
      {"C:\\a\\..\\..\\..\\x", "C:\\x", c / "x"},
      {"c:x", "c:\\x", c / "x"},
      {"\\x", "C:\\x", c / "x"},
      {"/etc/passwd", "C:\\etc\\passwd", c / "etc" / "passwd"},
      {"C:/WINDOWS/./x//", "C:\\WINDOWS\\x", c / "Windows" / "x"},
      {"x", "D:\\x", d / "x"},
      {".\\driver\\usb\\a.inf", "D:\\driver\\usb\\a.inf", d / "driver" / "usb" / "a.inf"},
      {"..\\..\\x", "D:\\x", d / "x"},
      {"D:\\..\\x", "D:\\x", d / "x"},
      {"E:\\x", "E:\\x", std::nullopt},
      {"\\\\server\\share\\..\\..\\x", "\\\\server\\share\\x", std::nullopt},
      {"C:\\inside\\x", "C:\\inside\\x", c / "inside" / "x"},
      {"C:\\out\\x", "C:\\out\\x", std::nullopt},
      {"C:\\dangling", "C:\\dangling", std::nullopt},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    std::string full;
    DWORD required = 0;
    ASSERT_EQ(files.GetFullPathNameA(test.name, 260, full, required), winerr::Success);
    EXPECT_EQ(full, test.full);
    EXPECT_EQ(platform::sim::HostPath(test.name, machine->driveC()), test.host);
  }
}

// No 8-bit Windows call can pass a NUL inside a name; the host's calls would stop at it, and
// "C:\..<NUL>x" would then be the machine folder itself.
TEST_F(SimFileSystemTest, NameHoldingANulIsInvalid) {
  using namespace std::string_literals;
  simtest::WriteFile(Host("a.dll"), "x");
  const std::string name = "C:\\..\0x"s;
  EXPECT_EQ(platform::sim::HostPath(name, machine->driveC()), std::nullopt);
  std::string full;
  DWORD required = 0, attributes = 0;
  EXPECT_EQ(files.GetFullPathNameA(name, 260, full, required), winerr::InvalidName);
  EXPECT_EQ(files.GetFileAttributesA(name, attributes), winerr::InvalidName);
  EXPECT_EQ(files.CopyFileA("C:\\a.dll", name, false), winerr::InvalidName);
  EXPECT_EQ(files.DeleteFileA("C:\\a.dll\0"s), winerr::InvalidName);
  EXPECT_EQ(files.AppendToFileA(name, "y"), winerr::InvalidName);
  EXPECT_TRUE(fs::exists(Host("a.dll")));
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
  EXPECT_EQ(files.SetFileAttributesA("C:\\src\\a.dll", fileattr::Normal), winerr::Success);
  EXPECT_EQ(files.SetFileAttributesA("C:\\dst\\a.dll", fileattr::Normal), winerr::Success);
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
