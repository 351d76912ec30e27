// Refreshing the parallel-port kernel driver file when the shipped one is newer.
#include "engine/ParallelPortDriver.h"

#include "engine/DriverFileCopy.h"
#include "engine/Win2kXPInstaller.h"

namespace {

using platform::DWORD;
namespace winerr = platform::winerr;

constexpr const char* kFallbackSystemDirectory = "C:\\WINDOWS\\system32";
// Names ignore case: the same file in the drivers folder and the source directory.
constexpr const char* kParallelPortDriver = "Tolvpar.sys";

std::string InstalledDriverPath(platform::FileSystem& files) {
  std::string system = SystemDirectory(files, kMaxPathChars);
  if (system.empty()) system = kFallbackSystemDirectory;
  return KernelDriverPath(system, kParallelPortDriver);
}

std::string ShippedDriverPath(const InstallerRecord& record) {
  return record.sourceDir + "\\" + kParallelPortDriver;
}

bool IsLower(const platform::FileVersion& a, const platform::FileVersion& b) {
  if (a.fileVersionMS != b.fileVersionMS) return a.fileVersionMS < b.fileVersionMS;
  return a.fileVersionLS < b.fileVersionLS;
}

}  // namespace

bool IsInstalledParallelDriverOlder(CommonInstaller& installer) {
  platform::FileSystem& files = installer.context().platform.files;
  platform::FileVersion installed;
  if (files.GetFileVersionA(InstalledDriverPath(files), installed) != winerr::Success) return true;
  platform::FileVersion shipped;
  if (files.GetFileVersionA(ShippedDriverPath(installer.record), shipped) != winerr::Success) return false;
  return IsLower(installed, shipped);
}

bool Win2kXPInstaller::InstallParallelPortDriver() {
  SetSourceDirectory();
  platform::FileSystem& files = os().files;
  const std::string target = InstalledDriverPath(files);
  if (!IsInstalledParallelDriverOlder(*this)) return false;
  return files.CopyFileA(ShippedDriverPath(record), target, false) == winerr::Success;
}
