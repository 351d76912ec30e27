// Where driver files live, and removing the copies staged for the driver's registration.
#include "engine/CommonInstaller.h"
#include "engine/DriverFileCopy.h"
#include "platform/FileSystem.h"

namespace {

using platform::DWORD;
namespace winerr = platform::winerr;

constexpr const char* kDriversSubdirectory = "\\Drivers";
// The buffers the staged paths are formed in, in characters with the NUL.
constexpr std::size_t kDriverDirectoryChars = 200;
constexpr std::size_t kStagedPathChars = 208;

}  // namespace

DWORD CommonInstaller::GetDriverDirectory(std::string& directory, DWORD size) {
  directory.clear();
  std::string system;
  if (os().files.GetSystemDirectoryA(system) != winerr::Success || system.empty() || system.size() >= size)
    return 0;
  directory = system + kDriversSubdirectory;
  if (directory.size() >= size) directory.resize(size - 1);
  return 0;
}

void CommonInstaller::RemoveStagedDriverFiles() {
  if (record.fileList.empty()) return;
  std::string directory;
  if (os().spooler.GetPrinterDriverDirectoryA(directory) != winerr::Success ||
      directory.size() >= kDriverDirectoryChars)
    return;
  platform::FileSystem& files = os().files;
  for (const std::string& name : record.fileList) {
    const std::string path = directory + "\\" + name;
    // A name that was refused for the copy must not delete anything outside the directory.
    if (path.size() >= kStagedPathChars || !IsPlainFileName(name)) continue;
    // A read-only copy would refuse the delete. Failures leave a staged copy behind, which harms nothing.
    (void)files.SetFileAttributesA(path, platform::fileattr::Normal);
    (void)files.DeleteFileA(path);
  }
}
