// The file backend against the real file system: the copies, attribute changes and deletes the
// installer makes in the system and driver directories, full paths and version resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TestLibraries.h"
#include "WineHost.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32PrintSpooler.h"

namespace {

namespace winerr = platform::winerr;
// The seam's DWORD, not <windows.h>'s.
using DWORD = platform::DWORD;
namespace fileattr = platform::fileattr;
using platform::win32::Win32FileSystem;

std::string SystemDirectory() {
  Win32FileSystem files;
  std::string directory;
  files.GetSystemDirectoryA(directory);
  return directory;
}

std::string DriverDirectory() {
  platform::win32::Win32PrintSpooler spooler;
  std::string directory;
  spooler.GetPrinterDriverDirectoryA(directory);
  return directory;
}

// A source file in the temporary folder and the place it is copied to; both go with the object,
// also when the target was left read-only.
class CopyCase {
public:
  explicit CopyCase(const std::string& targetDirectory)
      : source_(test_libraries::TempDirectory() + "\\kvx_fs_source.dat"),
        target_(targetDirectory + "\\kvx_fs_target.dat") {
    Remove();
  }
  ~CopyCase() { Remove(); }
  const std::string& source() const { return source_; }
  const std::string& target() const { return target_; }

private:
  void Remove() {
    for (const std::string* path : {&source_, &target_}) {
      SetFileAttributesA(path->c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path->c_str());
    }
  }
  std::string source_, target_;
};

TEST(Win32FileSystem, SystemDirectoryIsAnExistingSystem32Folder) {
  std::string directory = SystemDirectory();
  ASSERT_GT(directory.size(), 9u);
  std::string tail = directory.substr(directory.size() - 9);
  CharUpperBuffA(tail.data(), static_cast<DWORD>(tail.size()));
  EXPECT_EQ(tail, "\\SYSTEM32");
  Win32FileSystem files;
  DWORD attributes = 0;
  ASSERT_EQ(files.GetFileAttributesA(directory, attributes), winerr::Success);
  EXPECT_TRUE(attributes & fileattr::Directory);
}

TEST(Win32FileSystem, CopiesIntoSystemAndDriverDirectoriesAndOverwrites) {
  for (const std::string& directory : {SystemDirectory(), DriverDirectory()}) {
    SCOPED_TRACE(directory);
    ASSERT_FALSE(directory.empty());
    CopyCase files(directory);
    Win32FileSystem fs;
    test_libraries::WriteFile(files.source(), "first");
    ASSERT_EQ(fs.CopyFileA(files.source(), files.target(), true), winerr::Success);
    EXPECT_EQ(test_libraries::ReadFile(files.target()), "first");

    test_libraries::WriteFile(files.source(), "second, longer");
    EXPECT_EQ(fs.CopyFileA(files.source(), files.target(), true), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(test_libraries::ReadFile(files.target()), "first");
    ASSERT_EQ(fs.CopyFileA(files.source(), files.target(), false), winerr::Success);
    EXPECT_EQ(test_libraries::ReadFile(files.target()), "second, longer");
  }
}

TEST(Win32FileSystem, MissingSourceIsNotCopied) {
  CopyCase files(test_libraries::TempDirectory());
  Win32FileSystem fs;
  EXPECT_EQ(fs.CopyFileA(files.source(), files.target(), false), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  DWORD attributes = 0;
  EXPECT_EQ(fs.GetFileAttributesA(files.target(), attributes), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(attributes, fileattr::Invalid);
}

// A staged driver file left read-only is only deleted once its attributes are back to normal.
TEST(Win32FileSystem, ReadOnlyFileIsDeletedAfterClearingTheAttribute) {
  CopyCase files(DriverDirectory());
  Win32FileSystem fs;
  test_libraries::WriteFile(files.source(), "staged");
  ASSERT_EQ(fs.CopyFileA(files.source(), files.target(), false), winerr::Success);
  ASSERT_EQ(fs.SetFileAttributesA(files.target(), fileattr::ReadOnly), winerr::Success);
  DWORD attributes = 0;
  ASSERT_EQ(fs.GetFileAttributesA(files.target(), attributes), winerr::Success);
  EXPECT_TRUE(attributes & fileattr::ReadOnly);

  EXPECT_EQ(fs.DeleteFileA(files.target()), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  // Windows also refuses to copy over it (5); Wine 8 overwrites it.
  if (!wine_host::UnderWine()) {
    EXPECT_EQ(fs.CopyFileA(files.source(), files.target(), false), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }

  ASSERT_EQ(fs.SetFileAttributesA(files.target(), fileattr::Normal), winerr::Success);
  ASSERT_EQ(fs.GetFileAttributesA(files.target(), attributes), winerr::Success);
  EXPECT_FALSE(attributes & fileattr::ReadOnly);
  EXPECT_EQ(fs.DeleteFileA(files.target()), winerr::Success);
  EXPECT_EQ(fs.GetFileAttributesA(files.target(), attributes), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(fs.DeleteFileA(files.target()), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(fs.SetFileAttributesA(files.target(), fileattr::Normal), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// Restores the current directory however the test ends.
class CurrentDirectory {
public:
  explicit CurrentDirectory(const std::string& directory) {
    GetCurrentDirectoryA(MAX_PATH, saved_);
    SetCurrentDirectoryA(directory.c_str());
  }
  ~CurrentDirectory() { SetCurrentDirectoryA(saved_); }

private:
  char saved_[MAX_PATH] = {};
};

TEST(Win32FileSystem, FullPathOfARelativeNameHonoursTheBufferSize) {
  std::string temp = test_libraries::TempDirectory();
  CurrentDirectory current(temp);
  char actual[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, actual);
  const std::string expected = std::string(actual) + "\\driver\\usb\\KvxVT5USB.inf";
  const auto length = static_cast<DWORD>(expected.size());
  Win32FileSystem fs;

  std::string path = "stale";
  DWORD required = 0;
  ASSERT_EQ(fs.GetFullPathNameA(".\\driver\\usb\\KvxVT5USB.inf", 260, path, required), winerr::Success);
  EXPECT_EQ(path, expected);
  EXPECT_EQ(required, length);

  // No room for the terminating NUL: nothing is returned, the size with the NUL is.
  path = "stale";
  ASSERT_EQ(fs.GetFullPathNameA(".\\driver\\usb\\KvxVT5USB.inf", length, path, required), winerr::Success);
  EXPECT_TRUE(path.empty());
  EXPECT_EQ(required, length + 1);
  ASSERT_EQ(fs.GetFullPathNameA(".\\driver\\usb\\KvxVT5USB.inf", 10, path, required), winerr::Success);
  EXPECT_TRUE(path.empty());
  EXPECT_EQ(required, length + 1);

  ASSERT_EQ(fs.GetFullPathNameA(".\\driver\\usb\\KvxVT5USB.inf", length + 1, path, required), winerr::Success);
  EXPECT_EQ(path, expected);
}

TEST(Win32FileSystem, ReadsTheFixedFileVersion) {
  Win32FileSystem fs;
  platform::FileVersion version;
  ASSERT_EQ(fs.GetFileVersionA(test_libraries::Versioned(), version), winerr::Success);
  EXPECT_EQ(version.fileVersionMS, (3u << 16) | 14u);
  EXPECT_EQ(version.fileVersionLS, (15u << 16) | 926u);
}

TEST(Win32FileSystem, FilesWithoutVersionInformationAreReported) {
  Win32FileSystem fs;
  platform::FileVersion version;
  version.fileVersionMS = 7;
  // Wine 8 reports ERROR_RESOURCE_DATA_NOT_FOUND (1812) where Windows has no such resource type.
  EXPECT_EQ(fs.GetFileVersionA(test_libraries::PortMonitor(), version),
            wine_host::UnderWine() ? static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND) : winerr::ResourceTypeNotFound);
  EXPECT_EQ(fs.GetFileVersionA(test_libraries::Directory() + "\\kvx_no_such_file.sys", version),
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(version.fileVersionMS, 7u);
}

}  // namespace
