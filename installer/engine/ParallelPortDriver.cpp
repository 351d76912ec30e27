// Refreshing the parallel-port kernel driver file when the shipped one is newer.
#include "engine/ParallelPortDriver.h"

#include "engine/DriverFileCopy.h"
#include "engine/Win2kXPInstaller.h"

namespace {

using platform::DWORD;
namespace winerr = platform::winerr;

constexpr std::size_t kSystemDirectoryChars = 260;
constexpr const char* kFallbackSystemDirectory = "C:\\WINDOWS\\system32";

std::string InstalledDriverPath(platform::FileSystem& files, const char* fileName) {
  std::string system = SystemDirectory(files, kSystemDirectoryChars);
  if (system.empty()) system = kFallbackSystemDirectory;
  return system + "\\drivers\\" + fileName;
}

bool IsLower(const platform::FileVersion& a, const platform::FileVersion& b) {
  if (a.fileVersionMS != b.fileVersionMS) return a.fileVersionMS < b.fileVersionMS;
  return a.fileVersionLS < b.fileVersionLS;
}

}  // namespace

bool IsInstalledParallelDriverOlder(CommonInstaller& installer) {
  platform::FileSystem& files = installer.context().platform.files;
  platform::FileVersion installed;
  if (files.GetFileVersionA(InstalledDriverPath(files, "tolvpar.sys"), installed) != winerr::Success) return true;
  platform::FileVersion shipped;
  if (files.GetFileVersionA(installer.record.sourceDir + "\\tolvpar.sys", shipped) != winerr::Success) return false;
  return IsLower(installed, shipped);
}

bool Win2kXPInstaller::InstallParallelPortDriver() {
  SetSourceDirectory();
  platform::FileSystem& files = os().files;
  const std::string target = InstalledDriverPath(files, "Tolvpar.sys");
  const std::string source = record.sourceDir + "\\Tolvpar.sys";
  return IsInstalledParallelDriverOlder(*this) && files.CopyFileA(source, target, false) == winerr::Success;
}
