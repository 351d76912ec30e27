#include "app/MediaFolder.h"

namespace fs = std::filesystem;

fs::path MediaFolder(const std::optional<std::string>& option, const fs::path& program, const fs::path& installedMedia,
                     const fs::path& current) {
  if (option) return (current / *option).lexically_normal();
  if (!installedMedia.empty()) {
    const fs::path installed = (program.parent_path() / installedMedia).lexically_normal();
    std::error_code ec;
    if (fs::is_regular_file(installed / "KvxIns.ini", ec)) return installed;
  }
  return current;
}

std::string EnterMediaFolder(const fs::path& folder) {
  std::error_code ec;
  fs::current_path(folder, ec);
  if (ec) return "the distribution folder " + folder.string() + " cannot be used: " + ec.message();
  return {};
}
