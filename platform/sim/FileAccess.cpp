#include "platform/sim/FileAccess.h"

#include "platform/sim/Text.h"

namespace platform::sim {
namespace fs = std::filesystem;

FileAccess::FileAccess(const MachineConfig& config, fs::path driveC) : config_(config), driveC_(std::move(driveC)) {}

bool FileAccess::UnderWindowsFolder(const fs::path& hostFile) const {
  std::error_code ec;
  const fs::path file = fs::weakly_canonical(hostFile, ec);
  const fs::path windows = fs::weakly_canonical(driveC_ / "Windows", ec);
  auto part = file.begin();
  for (const fs::path& folder : windows) {
    // Windows names ignore case.
    if (part == file.end() || !EqualNoCase(part->string(), folder.string())) return false;
    ++part;
  }
  return part != file.end();
}

DWORD FileAccess::Check(const fs::path& hostFile, Change change) const {
  if (!config_.user.administrator && UnderWindowsFolder(hostFile)) return winerr::AccessDenied;
  if (change == Change::Attributes || !loaded_) return winerr::Success;
  std::error_code ec;
  if (!fs::exists(hostFile, ec) || !loaded_(hostFile)) return winerr::Success;
  // A loaded image cannot be written; deleting it is refused as access denied.
  return change == Change::Overwrite ? winerr::SharingViolation : winerr::AccessDenied;
}

}  // namespace platform::sim
